"""The selectable area: the screen frozen at the hot key, shown as a
half-scale model in the "Snapshot Preview" window, and a rubber band dragged
over it with the real mouse; every file is checked pixel by pixel."""

import pytest

from harness import compare_to_pattern, read_bmp, read_file_when_stable
from harness_monitors import DESKTOP, MONITORS, paint_monitors
from preview import MAIN_CLASS, drag, main_window, model_origin, wait_closed, wait_preview
from procstats import process_stats
from xcursor import x_cursor
from test_resident import exit_program, fresh_settings, start_resident

CAPTION = "Tamblit 95"
SAVE = "Save Snapshot"
# Away from the preview window in the middle of the screen and from the tray
# in the top left corner; cells of 10 on even places, so each model pixel
# stands for four screen pixels of one colour.
PATTERN = (40, 60, 200, 140)
HOT_KEY = "ctrl+shift+s"
FILE_NAME_BOX = 1148  # in the Save dialog
RUBBERBAND = (32, 32, 16, 15)  # the selection cursor: size and hot spot
BLACK = (0, 0, 0)


def open_preview(wine, desktop=None):
    wine.probe.keys(HOT_KEY)
    window = wait_preview(wine)
    return window, model_origin(window, desktop or wine.probe.screen())


def save_snapshot(wine, folder, name):
    target = folder / name
    wine.probe.save_dialog_answer(target, caption=SAVE, timeout=30)
    assert wine.probe.answer_message_box(CAPTION, timeout=30) == "Snapshot file created."
    return read_file_when_stable(target, timeout=30)


def screen_rows(before, rect):
    """Rows of the screen picture ``before`` inside ``rect``; what lies outside
    the screen is black."""
    left, top, right, bottom = rect
    for y in range(top, bottom):
        if not 0 <= y < before.height:
            yield [BLACK] * (right - left)
        else:
            yield ([BLACK] * max(-left, 0) + before.row(y)[max(left, 0):min(right, before.width)]
                   + [BLACK] * max(right - before.width, 0))


def assert_preview_finished(wine):
    """Hidden, the mouse no longer captured by the program."""
    window = main_window(wine)
    assert not window["visible"]
    assert window["capture"] == 0


# Drags in model pixels, relative to the model's top-left corner; the file is
# expected to hold the screen rectangle (left, top, right, bottom), or nothing.
# "changed": the pattern is painted over in other colours after the key;
# "clipboard": the snapshot goes to the clipboard instead of a file.
DRAGS = [
    ("over the pattern", (15, 20), (100, 80), (30, 40, 200, 160), ""),
    ("from lower right to upper left", (100, 80), (15, 20), (30, 40, 200, 160), ""),
    ("click without a move", (50, 50), (50, 50), None, ""),
    ("purely horizontal", (10, 40), (120, 40), None, ""),
    ("the whole model, in steps", (0, 0), (512, 384), (0, 0, 1024, 768), "steps"),
    ("from above the model, over the text", (30, -25), (90, 60), (60, -50, 180, 120), ""),
    ("screen changed after the key", (15, 20), (100, 80), (30, 40, 200, 160), "changed"),
    ("to the clipboard", (15, 20), (100, 80), (30, 40, 200, 160), "clipboard"),
]


def one_band(wine, plain, rect) -> bool:
    """Of the model at ``rect``, only the band's dotted outline along its
    edges, whole, differs from the picture ``plain`` of it without a band."""
    shot = wine.probe.capture(*rect)
    w, h = rect[2:]
    changed = {(x, y) for y in range(h)
               for x, (a, b) in enumerate(zip(shot.row(y), plain.row(y))) if a != b}
    return all(x in (0, w - 1) or y in (0, h - 1) for x, y in changed) and len(changed) >= w + h - 4


# Files of the same rectangle taken by earlier cases of the drag test: the two
# directions of one drag must give the same bytes.
_files_by_rect: dict = {}


# The drag over the pattern and the one to the clipboard stand for the family on Wine 10.
_WINE10_DRAGS = {"over the pattern", "to the clipboard"}


@pytest.mark.parametrize("what, start, end, expected, extra", [
    pytest.param(*d, marks=[pytest.mark.wine10] if d[0] in _WINE10_DRAGS else []) for d in DRAGS],
    ids=[d[0] for d in DRAGS])
def test_drag_snaps_the_band_of_the_frozen_screen(wine, what, start, end, expected, extra):
    destination = "Clipboard" if extra == "clipboard" else "File"
    folder, _ = fresh_settings(wine, source="Selected", destination=destination)
    proc = start_resident(wine)
    pattern = wine.start_pattern(*PATTERN, title="Preview Pattern")
    screen = wine.probe.screen()
    before = wine.probe.capture(0, 0, screen["width"], screen["height"])

    held = None
    if extra == "steps":
        # Off the model, so that no magnifier is in its plain picture.
        wine.display.move_pointer(screen["width"] - 1, screen["height"] - 1)
    window, (mx, my) = open_preview(wine)
    if extra == "steps":
        # Each step moves the band's corner past where the magnifier was:
        # nothing of an earlier band may stay behind, nor the last one lack a piece.
        model = (mx, my, screen["width"] // 2, screen["height"] // 2)
        wine.wait_for(lambda: frame_drawn(wine, mx, my), 15, "the preview to be painted")
        plain = wine.probe.capture(*model)
        held = lambda: wine.wait_for(lambda: one_band(wine, plain, model), 10, "one band alone")  # noqa: E731
    if extra == "changed":
        # Another pattern, of other cells, now covers the first one on screen.
        wine.start_pattern(*PATTERN, cell=7, title="Changed Pattern")
        live = wine.probe.capture(*PATTERN)
        assert compare_to_pattern(live, PATTERN[:2], PATTERN, cell=7) == []
    drag(wine, (mx + start[0], my + start[1]), (mx + end[0], my + end[1]), held=held)

    if expected is None:
        # A Save dialog would keep the preview up until answered.
        wait_closed(wine)
        assert list(folder.iterdir()) == []
    else:
        if extra == "clipboard":
            assert wine.probe.message_box_text(CAPTION, timeout=30) == \
                "Snapshot copied to Clipboard."
            data = wine.x_clipboard("image/bmp")
            wine.probe.answer_message_box(CAPTION)
        else:
            data = save_snapshot(wine, folder, "area.bmp")
        if not extra:
            assert _files_by_rect.setdefault(expected, data) == data
        bmp = read_bmp(data)
        left, top, right, bottom = expected
        assert (bmp.width, bmp.height, bmp.bpp) == (right - left, bottom - top, 24)
        assert compare_to_pattern(bmp, (left, top), pattern.rect) == []
        # The rest is the screen as it was before the key: no preview window, no band.
        for y, row in enumerate(screen_rows(before, expected)):
            assert bmp.row(y) == row, f"row {y}"
        wait_closed(wine)
    assert_preview_finished(wine)
    exit_program(wine, proc)


def test_hot_key_during_the_preview_snapshot_save_dialog_is_ignored(wine):
    folder, _ = fresh_settings(wine, source="Selected")
    proc = start_resident(wine)
    pattern = wine.start_pattern(*PATTERN, title="Preview Pattern")

    _, (mx, my) = open_preview(wine)
    drag(wine, (mx + 15, my + 20), (mx + 100, my + 80))
    wine.probe.wait_window(caption=SAVE, cls="#32770", visible=True, timeout=30)
    # The key reaches the program inside the Save dialog's loop; the preview
    # it belongs to is finishing and does not open again. The letter typed
    # after it shows in the file name box only once the key was handled
    # (the hot key comes as a posted message, ahead of keyboard input).
    wine.probe.keys(f"{HOT_KEY} q", id=FILE_NAME_BOX, caption=SAVE, cls="#32770")
    wine.wait_for(lambda: any("q" in c["text"] for c in wine.probe.controls(caption=SAVE)
                              if c["class"] == "Edit"), 15, "the letter in the file name box")
    assert main_window(wine)["capture"] == 0, "the preview opened again inside the Save dialog"
    bmp = read_bmp(save_snapshot(wine, folder, "area.bmp"))
    assert compare_to_pattern(bmp, (30, 40), pattern.rect) == []
    wait_closed(wine)
    assert_preview_finished(wine)
    assert [p.name for p in folder.iterdir()] == ["area.bmp"]

    # The next preview works as ever.
    _, (mx, my) = open_preview(wine)
    drag(wine, (mx + 50, my + 50), (mx + 50, my + 50))
    wait_closed(wine)
    assert_preview_finished(wine)
    exit_program(wine, proc)


def frame_drawn(wine, mx, my):
    """The black outline and the white ring left of the model's top-left corner."""
    bmp = wine.probe.capture(mx - 2, my, 2, 1)
    return bmp.row(0) == [(0, 0, 0), (255, 255, 255)]


def preview_once(wine, mx, my, kind):
    """One preview ended by a click, by a click after the key was pressed again,
    by a drag whose Save dialog is cancelled, or by Alt+F4 in mid-drag."""
    open_preview(wine)
    if kind == "again":
        wine.probe.keys(HOT_KEY)
    if kind == "close":
        wine.display.move_pointer(mx + 15, my + 20)
        wine.display.xdotool("mousedown", 1)
        wine.display.move_pointer(mx + 60, my + 50)
        wine.probe.keys("alt+f4", cls=MAIN_CLASS)
        wait_closed(wine)
        wine.display.xdotool("mouseup", 1)
    elif kind == "cancel":
        drag(wine, (mx + 15, my + 20), (mx + 100, my + 80))
        wine.probe.wait_window(caption=SAVE, cls="#32770", visible=True, timeout=30)
        wine.probe.press(2, ctlclass="Button", caption=SAVE, cls="#32770")
    else:
        drag(wine, (mx + 50, my + 50), (mx + 50, my + 50))
    wait_closed(wine)
    assert_preview_finished(wine)


def test_key_again_freezes_the_preview_itself_and_previews_leave_no_gdi_object(wine):
    folder, _ = fresh_settings(wine, source="Selected")
    proc = start_resident(wine)
    wine.start_pattern(*PATTERN, title="Preview Pattern")
    win_pid = proc.win_pid()

    # Pressed again while the preview is up, the key freezes the screen anew,
    # the preview window included, and the band is cut from that image.
    window, (mx, my) = open_preview(wine)
    wine.wait_for(lambda: frame_drawn(wine, mx, my), 15, "the preview to be painted")
    wine.display.move_pointer(mx + 5, my + 5)
    wine.wait_for(lambda: x_cursor(wine.display.name) == RUBBERBAND, 15, "the selection cursor")
    left, top, right, bottom = window["rect"]
    shown = wine.probe.capture(left, top, right - left, bottom - top)
    # The model's picture of where the window is: the desktop behind it
    # until the new image, holding the window, is painted there.
    modelled = (mx + left // 2, my + top // 2, (right - left) // 2, (bottom - top) // 2)
    old_model = wine.probe.capture(*modelled).data
    wine.probe.keys(HOT_KEY)
    wine.wait_for(lambda: wine.probe.capture(*modelled).data != old_model, 15, "the new image painted")
    # A band over the model's picture of the preview window, even-aligned.
    a = ((left + 1) // 2, (top + 1) // 2)
    b = (right // 2, bottom // 2)
    drag(wine, (mx + a[0], my + a[1]), (mx + b[0], my + b[1]))
    bmp = read_bmp(save_snapshot(wine, folder, "again.bmp"))
    assert (bmp.width, bmp.height) == (2 * (b[0] - a[0]), 2 * (b[1] - a[1]))
    dx, dy = 2 * a[0] - left, 2 * a[1] - top
    for y in range(bmp.height):
        assert bmp.row(y) == shown.row(y + dy)[dx:dx + bmp.width], f"row {y}"
    wait_closed(wine)
    assert_preview_finished(wine)

    # Each way of ending a preview once, then twenty more: the frozen bitmaps,
    # the contexts of the model and of the band are all given back.
    kinds = ["click", "again", "cancel", "close"]
    for kind in kinds:
        preview_once(wine, mx, my, kind)
    before = process_stats(wine, win_pid)["gdi"]
    assert before > 0
    for i in range(20):
        preview_once(wine, mx, my, kinds[i % len(kinds)])
    assert process_stats(wine, win_pid)["gdi"] == before
    # Closed, the preview snapped nothing; closing the hidden window ends nothing.
    assert [p.name for p in folder.iterdir()] == ["again.bmp"]
    wine.probe.close(cls=MAIN_CLASS)
    preview_once(wine, mx, my, "click")
    assert proc.alive and not wine.probe.hotkey_free(HOT_KEY)
    exit_program(wine, proc)


def test_band_across_two_monitors_comes_from_the_frozen_desktop_exactly(monitors3):
    wine = monitors3
    folder, _ = fresh_settings(wine, source="Selected")
    proc = start_resident(wine)
    patterns = paint_monitors(wine)
    dx, dy, dw, dh = DESKTOP
    before = wine.probe.capture(*DESKTOP)

    # The whole desktop at half scale fits the primary monitor.
    window, (mx, my) = open_preview(wine, {"width": dw, "height": dh})
    left, top, right, bottom = window["rect"]
    assert 0 <= left and right <= MONITORS["PRI"][2] and 0 <= top and bottom <= MONITORS["PRI"][3]
    # From the left monitor's pattern to the primary's, in model pixels; the
    # band shows where the pointer is while the button is held.
    start, end = (mx + 100, my + 360), (mx + 1400, my + 500)
    edge = (start[0] + 10, start[1], 300, 1)
    plain = wine.probe.capture(*edge).row(0)
    wine.display.move_pointer(*start)
    wine.display.xdotool("mousedown", 1)
    wine.display.move_pointer(*end)
    wine.wait_for(lambda: wine.probe.capture(*edge).row(0) != plain, 15, "the band on the model")
    wine.display.xdotool("mouseup", 1)

    bmp = read_bmp(save_snapshot(wine, folder, "across.bmp"))
    x0, y0 = dx + 200, dy + 720
    assert (bmp.width, bmp.height) == (2600, 280)
    assert x0 < 0 < x0 + bmp.width
    for name in ("LEFT", "PRI"):
        assert compare_to_pattern(bmp, (x0, y0), patterns[name].rect) == [], name
    for y in range(bmp.height):
        assert bmp.row(y) == before.row(y + 720)[200:200 + bmp.width], f"row {y}"
    wait_closed(wine)
    assert_preview_finished(wine)
    exit_program(wine, proc)


def test_last_area_key_picks_one_when_none_is_kept_and_takes_it_again_after_a_restart(wine):
    folder, _ = fresh_settings(wine, kind_keys=["LastArea"])
    proc = start_resident(wine)
    pattern = wine.start_pattern(*PATTERN, title="Last Area Pattern")
    wine.probe.keys("ctrl+alt+l")
    window = wait_preview(wine)
    ox, oy = model_origin(window, wine.probe.screen())
    drag(wine, (ox + 30, oy + 40), (ox + 80, oy + 95))
    first = read_bmp(save_snapshot(wine, folder, "first.bmp"))
    wait_closed(wine)
    exit_program(wine, proc)

    # A new run takes the same pixels of the live screen, without a preview.
    proc = start_resident(wine)
    wine.probe.keys("ctrl+alt+l")
    second = read_bmp(save_snapshot(wine, folder, "second.bmp"))
    assert (second.width, second.height) == (first.width, first.height) == (100, 110)
    assert compare_to_pattern(second, (60, 80), pattern.rect) == []
    assert not main_window(wine)["visible"]
    exit_program(wine, proc)


WM_CANCELMODE = 0x001F


def test_lost_mouse_leaves_no_band_nor_cursor_and_the_next_drag_is_exact(wine):
    folder, _ = fresh_settings(wine, source="Selected")
    proc = start_resident(wine)
    pattern = wine.start_pattern(*PATTERN, title="Preview Pattern")
    screen = wine.probe.screen()
    before = wine.probe.capture(0, 0, screen["width"], screen["height"])

    _, (mx, my) = open_preview(wine)
    wine.wait_for(lambda: frame_drawn(wine, mx, my), 15, "the preview to be painted")
    edge = (mx + 20, my + 20, 60, 1)
    plain = wine.probe.capture(*edge).row(0)
    wine.display.move_pointer(mx + 15, my + 20)
    wine.display.xdotool("mousedown", 1)
    wine.display.move_pointer(mx + 100, my + 80)
    wine.wait_for(lambda: wine.probe.capture(*edge).row(0) != plain, 15, "the band on the model")

    # As Wine sends it when the X focus moves to another window.
    wine.probe.post(WM_CANCELMODE, cls=MAIN_CLASS)
    wine.wait_for(lambda: main_window(wine)["capture"] == 0, 15, "the mouse given back")
    wine.wait_for(lambda: wine.probe.capture(*edge).row(0) == plain, 15, "the band taken off")
    assert x_cursor(wine.display.name) != RUBBERBAND
    wine.display.xdotool("mouseup", 1)
    assert main_window(wine)["visible"] and list(folder.iterdir()) == []

    # The preview is still up; a new press takes the mouse again.
    drag(wine, (mx + 15, my + 20), (mx + 100, my + 80))
    bmp = read_bmp(save_snapshot(wine, folder, "after.bmp"))
    assert (bmp.width, bmp.height) == (170, 120)
    assert compare_to_pattern(bmp, (30, 40), pattern.rect) == []
    for y, row in enumerate(screen_rows(before, (30, 40, 200, 160))):
        assert bmp.row(y) == row, f"row {y}"
    wait_closed(wine)
    assert_preview_finished(wine)
    exit_program(wine, proc)
