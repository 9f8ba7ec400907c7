"""Snapshots to the clipboard, read back by an X client (xclip, to which Wine
offers the CF_DIB as image/bmp and the registered "PNG" as image/png) and by
the probe's list of Windows formats."""

import pytest

from harness import compare_to_pattern, read_bmp
from png_reading import PngRows, read_png
from test_resident import exit_program, fresh_settings, start_resident
from test_snapshot_file import ERROR_CAPTION, INFO_CAPTION, Snap

CLIPBOARD = 3
CF_BITMAP, CF_DIB, CF_PALETTE, CF_DIBV5 = 2, 8, 9, 17
DEMO_ROWS = [[(255, 0, 0), (0, 255, 0), (0, 0, 255)],
             [(255, 255, 255), (0, 0, 0), (128, 128, 128)]]


@pytest.mark.parametrize("wine_name, bpp, owner, formats", [
    ("wine24", 24, 0, [CF_BITMAP, CF_DIB]),
    ("wine8", 8, 1, [CF_BITMAP, CF_PALETTE, CF_DIB]),
    ("wine8", 24, 0, [CF_BITMAP, CF_DIB]),
])
def test_snapshot_is_pasted_pixel_for_pixel(request, tmp_path, wine_name, bpp, owner, formats):
    wine = request.getfixturevalue(wine_name)
    wine.probe.clear_clipboard()
    pattern = wine.start_pattern(30, 20, 240, 180, cell=10)
    left, top, right, bottom = 41, 33, 41 + 151, 33 + 101
    snap = Snap(wine, "C:\\", rect=(left, top, right, bottom), bpp=bpp, dest=CLIPBOARD, owner=owner)
    assert wine.probe.message_box_text(INFO_CAPTION, timeout=20) == "Snapshot copied to Clipboard."

    # Read while the program that placed the data still runs. Wine adds
    # CF_DIBV5, made from the CF_DIB, after the formats placed.
    listed = [f["id"] if f["id"] < 0xC000 else f["name"] for f in wine.probe.clipboard()["formats"]]
    assert listed == formats + ["PNG", CF_DIBV5]
    pasted = read_bmp(wine.x_clipboard("image/bmp"))
    row = (151 * bpp // 8 + 3) // 4 * 4
    assert (pasted.width, pasted.height, pasted.bpp, pasted.top_down) == (151, 101, bpp, False)
    assert pasted.file_size == 14 + 40 + (1024 if bpp == 8 else 0) + row * 101
    assert compare_to_pattern(pasted, (left, top), pattern.rect) == []

    # The PNG file holds the same pixels, indexed at 8 bits.
    png_path = tmp_path / "pasted.png"
    png_path.write_bytes(wine.x_clipboard("image/png"))
    png = read_png(png_path)
    assert (png.size, png.mode) == ((151, 101), "P" if bpp == 8 else "RGB")
    rows = PngRows(png)
    assert all(rows.row(y) == pasted.row(y) for y in range(101))

    wine.probe.answer_message_box(INFO_CAPTION)
    assert snap.result() == 0


def test_busy_clipboard_is_left_as_it_was(wine, tmp_path):
    assert wine.run("dialogdemo", "--out", wine.winpath(tmp_path / "r"), "clip") == 0
    ready = tmp_path / "holding"
    holder = wine.start("clipholder", wine.winpath(ready))
    wine.wait_for(ready.is_file, 20, "the other program to hold the clipboard")

    snap = Snap(wine, "C:\\", rect=(0, 0, 64, 48), dest=CLIPBOARD)
    # Wine waits about 5 s for the clipboard before OpenClipboard fails.
    assert wine.probe.answer_message_box(ERROR_CAPTION, timeout=40) == "Cannot access clipboard."
    assert snap.result() == 10
    assert wine.probe.find_window(caption=INFO_CAPTION, cls="#32770") is None

    holder.kill()
    previous = read_bmp(wine.wait_for(lambda: wine.x_clipboard("image/bmp"), 20, "the clipboard"))
    assert [previous.row(0), previous.row(1)] == DEMO_ROWS


@pytest.mark.wine10
def test_hot_key_puts_the_active_window_on_the_clipboard(wine):
    fresh_settings(wine, source="Window", destination="Clipboard")
    proc = start_resident(wine)
    pattern = wine.start_pattern(123, 211, 301, 155, title="Clipboard Pattern")
    wine.press_keys("ctrl+shift+s", window="Clipboard Pattern")
    assert wine.probe.message_box_text(INFO_CAPTION, timeout=20) == "Snapshot copied to Clipboard."
    pasted = read_bmp(wine.x_clipboard("image/bmp"))
    # Opened for the main window: with no owner the clipboard may refuse the data.
    assert wine.probe.clipboard()["owner"] == wine.probe.find_window(cls="tamblit95")["hwnd"]
    assert (pasted.width, pasted.height, pasted.bpp) == (301, 155, 24)
    assert compare_to_pattern(pasted, (123, 211), pattern.rect) == []
    wine.probe.answer_message_box(INFO_CAPTION)
    exit_program(wine, proc)
