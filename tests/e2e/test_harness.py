"""The harness itself: displays, prefixes, the probe and the pattern window."""

import struct

import pytest

from harness import compare_to_pattern, pattern_colour, read_bmp
from procstats import process_stats


@pytest.mark.parametrize("wine_name, depth", [pytest.param("wine24", 24, marks=pytest.mark.wine10),
                                              ("wine8", 8)])
def test_pattern_window_is_listed_and_captured_exactly(request, wine_name, depth):
    wine = request.getfixturevalue(wine_name)
    assert wine.screen["bitspixel"] == (32 if depth == 24 else 8)
    rect = (37, 21, 203, 117)
    pattern = wine.start_pattern(*rect, cell=9)
    win = wine.probe.find_window(hwnd=pattern.hwnd)
    x, y, w, h = rect
    assert win["rect"] == [x, y, x + w, y + h]
    assert win["exe"].lower() == "pattern.exe"

    # A capture a little larger than the window: the pattern inside, in its
    # exact colours, also on the palette display.
    bmp = wine.probe.capture(x - 5, y - 5, w + 10, h + 10, bpp=8 if depth == 8 else 24)
    assert bmp.pixel(5, 5) == pattern_colour(x, y, rect, 9)
    assert compare_to_pattern(bmp, (x - 5, y - 5), rect, cell=9) == []


def test_processes_end_with_the_test_that_started_them(wine):
    wine.start_pattern(0, 0, 50, 50, title="Leftover")
    # The next test finds no such window: checked in the test that follows.


def test_no_window_left_from_previous_test(wine):
    assert wine.probe.find_window(caption="Leftover") is None


def test_process_stats_count_what_a_program_holds(wine):
    # The pattern window holds its window and a brush per colour; Wine's own
    # GetGuiResources would say 0 for both.
    pattern = wine.start_pattern(0, 0, 50, 50, title="Counted")
    stats = process_stats(wine, pattern.proc.win_pid())
    assert stats["user"] >= 1
    assert stats["gdi"] >= 16
    assert stats["handles"] > 0 and stats["private"] > 0


def test_hot_key_arrives_through_send_input_and_x(wine):
    wine.start_pattern(300, 300, 40, 40, title="Focus Holder")
    assert wine.probe.hotkey_free("ctrl+shift+f11")
    listener = wine.probe.listen_hotkey("ctrl+shift+f11", timeout=20)
    assert not wine.probe.hotkey_free("ctrl+shift+f11")
    wine.probe.keys("ctrl+shift+f11")
    got = listener.result()
    assert got["received"]

    listener = wine.probe.listen_hotkey("ctrl+shift+f11", timeout=20)
    wine.press_keys("ctrl+shift+F11", window="Focus Holder")
    assert listener.result()["received"]


def test_registry_round_trip(wine):
    key = r"HKCU\Software\TamblitHarnessTest"
    wine.reg_delete_key(key)
    assert wine.reg_query(key, "Name") is None
    wine.reg_set(key, "Name", "value with spaces")
    wine.reg_set(key, "Count", 7, type="REG_DWORD")
    wine.reg_set(key + r"\Sub", "Raw", b"\x00\x01\xff", type="REG_BINARY")
    assert wine.reg_query(key, "Name") == ("REG_SZ", "value with spaces")
    assert wine.reg_query(key, "Count") == ("REG_DWORD", 7)
    assert wine.reg_query(key + r"\Sub", "Raw") == ("REG_BINARY", b"\x00\x01\xff")
    assert wine.reg_subkeys(key) == ["Sub"]
    assert wine.reg_delete_key(key)
    assert wine.reg_values(key) is None


def test_standard_dialogs_are_answered(wine, tmp_path):
    result = tmp_path / "result.txt"
    proc = wine.start("dialogdemo", "--out", wine.winpath(result), "msgbox", "Tamblit 95",
                      "Snapshot file created.")
    assert wine.probe.answer_message_box("Tamblit 95", button=2) == "Snapshot file created."
    assert proc.wait(10) == 0
    assert result.read_text() == "2"  # IDCANCEL

    target = tmp_path / "picture.bmp"
    proc = wine.start("dialogdemo", "--out", wine.winpath(result), "save", "Save Snapshot")
    wine.probe.save_dialog_answer(target, caption="Save Snapshot")
    assert proc.wait(10) == 0
    assert result.read_text() == "1 " + wine.winpath(target)


def test_controls_are_read_and_set(wine, tmp_path):
    result = tmp_path / "result.txt"
    proc = wine.start("dialogdemo", "--out", wine.winpath(result), "form")
    wine.probe.wait_window(caption="Harness Form", visible=True)
    assert wine.probe.set_text(100, "typed", caption="Harness Form") == "typed"
    wine.probe.press(101, bm_click=True, caption="Harness Form")
    wine.probe.keys("ctrl+alt+p", id=102, caption="Harness Form")
    hot = wine.wait_for(lambda: wine.probe.control(102, caption="Harness Form")["hotkey"],
                        what="hot key control to take ctrl+alt+p")
    assert hot == 0x650  # (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8 | 'P'
    assert wine.probe.control(101, caption="Harness Form")["check"] == 1
    wine.probe.press(1, caption="Harness Form")
    assert proc.wait(10) == 0
    assert result.read_text() == "typed|1|1616"


def test_clipboard_is_read_from_windows_and_from_x(wine, tmp_path):
    wine.probe.clear_clipboard()
    assert wine.probe.clipboard_dib() is None
    assert wine.run("dialogdemo", "--out", wine.winpath(tmp_path / "r"), "clip") == 0
    expected = [[(255, 0, 0), (0, 255, 0), (0, 0, 255)],
                [(255, 255, 255), (0, 0, 0), (128, 128, 128)]]
    dib = wine.probe.clipboard_dib()
    assert [dib.row(0), dib.row(1)] == expected
    assert wine.probe.clipboard()["text"] == "demo"
    from_x = wine.wait_for(lambda: wine.x_clipboard("image/bmp"), what="image/bmp on X")
    bmp = read_bmp(from_x)
    assert [bmp.row(0), bmp.row(1)] == expected


def _bmp(width, height, bpp, rows, palette=(), top_down=False):
    """A BMP file built by hand: rows of raw pixel bytes, top row first."""
    stride = (width * bpp + 31) // 32 * 4
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    stored = rows if top_down else rows[::-1]
    bits = b"".join(r.ljust(stride, b"\xee") for r in stored)
    off = 14 + 40 + len(table)
    header = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bpp, 0,
                         len(bits), 2835, 2835, len(palette), 0)
    return b"BM" + struct.pack("<IHHI", off + len(bits), 0, 0, off) + header + table + bits


def test_bmp_reader_rows_padding_and_palettes():
    # 24 bits, width 3: every row padded by 3 bytes; bottom-up and top-down.
    rows = [bytes((0, 0, 255, 0, 255, 0, 255, 0, 0)), bytes((1, 2, 3, 4, 5, 6, 7, 8, 9))]
    for top_down in (False, True):
        bmp = read_bmp(_bmp(3, 2, 24, rows, top_down=top_down))
        assert bmp.row(0) == [(255, 0, 0), (0, 255, 0), (0, 0, 255)]
        assert bmp.pixel(2, 1) == (9, 8, 7)
        assert bmp.top_down == top_down
    # 4 bits: two pixels a byte, high nibble first, through the colour table.
    pal = [(0, 0, 0), (255, 0, 0), (0, 0, 255)]
    bmp = read_bmp(_bmp(3, 1, 4, [bytes((0x12, 0x00))], palette=pal))
    assert [bmp.index(x, 0) for x in range(3)] == [1, 2, 0]
    assert bmp.row(0) == [(255, 0, 0), (0, 0, 255), (0, 0, 0)]
    # 8 bits with a full table.
    pal = [(i, 255 - i, 7) for i in range(256)]
    bmp = read_bmp(_bmp(5, 1, 8, [bytes((0, 1, 128, 254, 255))], palette=pal))
    assert bmp.pixel(2, 0) == (128, 127, 7) and len(bmp.palette) == 256

    good = _bmp(3, 2, 24, rows)
    with pytest.raises(ValueError, match="truncated"):
        read_bmp(good[:-1])
    with pytest.raises(ValueError):
        read_bmp(b"XX" + good[2:])
