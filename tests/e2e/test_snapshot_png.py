"""Snapshots to PNG files, end to end through snapdriver.exe: the file's type
follows the name typed, the type saved last is proposed next, PNG files and
bitmaps share one number sequence, and a full disk leaves nothing behind.
Every PNG is read by pngcheck and Pillow, not by code of ours."""

import os

import pytest

from harness import compare_to_pattern, read_bmp, wait_for
from png_reading import PNG_SIGNATURE, PngRows, read_png
from test_snapshot_file import (ERROR_CAPTION, INFO_CAPTION, SAVE_CAPTION, Snap, confirm_overwrite,  # noqa: F401
                                file_names, new_snapdir, small_drive, snapdir, windir)

SETTINGS = r"HKCU\Software\Tamblit\Tamblit95"
NAME_BOX, TYPE_LIST = 1148, 1136


def save(wine, directory, name, rect=(0, 0, 40, 30), **kw):
    snap = Snap(wine, windir(wine, directory), rect=rect, **kw)
    snap.save_as(directory / name)
    assert wine.probe.answer_message_box(INFO_CAPTION, timeout=20) == "Snapshot file created."
    assert snap.result() == 0


def proposed(wine):
    """The name and the type the Save dialog offers, once it is up."""
    wine.probe.wait_window(caption=SAVE_CAPTION, cls="#32770", visible=True, timeout=20)
    name = wait_for(lambda: wine.probe.control(id=NAME_BOX, ctlclass="Edit", caption=SAVE_CAPTION)["text"],
                    10, "the proposed name")
    return name, wine.probe.control(id=TYPE_LIST, ctlclass="ComboBox", caption=SAVE_CAPTION)["text"]


@pytest.mark.parametrize("wine_name, bpp", [("wine24", 24), ("wine8", 8)])
def test_png_holds_the_bitmaps_pixels(request, new_snapdir, wine_name, bpp):
    wine = request.getfixturevalue(wine_name)
    d = new_snapdir(wine)
    pattern = wine.start_pattern(30, 20, 240, 180, cell=10)
    # Odd width: bitmap rows carry padding. Over 64 KB of pixels at both
    # depths, so the two halves are compressed at once and joined.
    w, h = 301, 241
    rect = (41, 33, 41 + w, 33 + h)
    save(wine, d, "same.bmp", rect=rect, bpp=bpp)
    save(wine, d, "same.png", rect=rect, bpp=bpp)

    bmp, png = read_bmp(d / "same.bmp"), read_png(d / "same.png")
    assert png.size == (w, h)
    if bpp == 24:
        assert png.mode == "RGB"
        assert [PngRows(png).row(y) for y in range(h)] == [bmp.row(y) for y in range(h)]
        assert compare_to_pattern(PngRows(png), rect[:2], pattern.rect) == []
    else:
        assert png.mode == "P"
        palette = png.getpalette()
        assert [tuple(palette[3 * i:3 * i + 3]) for i in range(256)] == bmp.palette
        assert [png.getpixel((x, y)) for y in range(h) for x in range(w)] == \
            [bmp.index(x, y) for y in range(h) for x in range(w)]


@pytest.mark.parametrize("typed, written, magic", [
    ("shot.png", "shot.png", PNG_SIGNATURE), ("SHOT.PNG", "SHOT.PNG", PNG_SIGNATURE),
    ("shot.bmp", "shot.bmp", b"BM"), ("shot", "shot.bmp", b"BM")])
def test_typed_extension_decides_the_type(wine, snapdir, typed, written, magic):
    save(wine, snapdir, typed)
    assert file_names(snapdir) == [written]
    assert (snapdir / written).read_bytes()[:len(magic)] == magic


def test_type_saved_last_is_proposed_next(wine, snapdir):
    wine.reg_delete_key(SETTINGS)
    snap = Snap(wine, windir(wine, snapdir), rect=(0, 0, 16, 16), extra=("--load-settings", 1))
    assert proposed(wine) == ("snap001.bmp", "Bitmap Files")  # nothing stored: bitmaps, as before
    snap.save_as(snapdir / "first.png")
    wine.probe.answer_message_box(INFO_CAPTION, timeout=20)
    assert snap.result() == 0
    assert wine.reg_query(SETTINGS + r"\Format", "FileType") == ("REG_SZ", "PNG")

    # A new process reads the type back; a name typed without an extension
    # gets the type the dialog shows.
    snap = Snap(wine, windir(wine, snapdir), rect=(0, 0, 16, 16), extra=("--load-settings", 1))
    assert proposed(wine) == ("snap001.png", "PNG Files (*.png)")
    snap.save_as(snapdir / "second")
    wine.probe.answer_message_box(INFO_CAPTION, timeout=20)
    assert snap.result() == 0
    assert read_png(snapdir / "second.png").size == (16, 16)

    wine.reg_set(SETTINGS + r"\Format", "FileType", "GIF")  # unreadable: bitmaps
    snap = Snap(wine, windir(wine, snapdir), rect=(0, 0, 16, 16), extra=("--load-settings", 1))
    assert proposed(wine)[0] == "snap001.bmp"
    wine.probe.press(2, ctlclass="Button", caption=SAVE_CAPTION, cls="#32770")
    assert snap.result() == -1


def test_bitmaps_and_png_files_share_one_number_sequence(wine, snapdir):
    (snapdir / "snap001.png").write_bytes(b"png")
    (snapdir / "snap002.bmp").write_bytes(b"bmp")
    snap = Snap(wine, windir(wine, snapdir), rect=(0, 0, 16, 16))
    assert proposed(wine)[0] == "snap003.bmp"
    wine.probe.press(2, ctlclass="Button", caption=SAVE_CAPTION, cls="#32770")
    assert snap.result() == -1


@pytest.mark.parametrize("replacing", [False, True])
def test_disk_full_while_writing_png_leaves_no_partial_file(wine, small_drive, replacing):
    mnt = small_drive(8)
    content = os.urandom(3000)
    if replacing:
        (mnt / "keep.png").write_bytes(content)
    drive = wine.map_drive("t", mnt)
    # One-pixel cells over the whole screen: far more than 8 KB once compressed.
    wine.start_pattern(0, 0, 1024, 768, cell=1)
    snap = Snap(wine, drive)
    snap.save_as(drive + "keep.png")
    if replacing:
        confirm_overwrite(wine)
    assert wine.probe.answer_message_box(ERROR_CAPTION, timeout=30) == \
        "Cannot create file: out of disk space?"
    assert snap.result() == 3
    assert file_names(mnt) == (["keep.png"] if replacing else [])
    if replacing:
        assert (mnt / "keep.png").read_bytes() == content
