"""The hot key path end to end (full screen to a file, pixels checked) on the
displays a user may have: 8, 16 and 24 bits per pixel, 640x480 and 1920x1080,
and a desktop of three monitors (full screen and the active window); with a
delay the snapshot is of the screen when the wait ends."""

import time

import pytest

pytest.importorskip("test_resident")
from test_resident import (DIALOG, SETTINGS, exit_program, fresh_settings, holds_for,  # noqa: E402
                           save_snapshot, snapshot_through_hot_key, start_resident,
                           visible_save_dialogs)

from harness import PATTERN_COLOURS, compare_to_pattern, pattern_colour, read_bmp  # noqa: E402
from harness_monitors import DESKTOP, off_monitor_pixels, paint_monitors  # noqa: E402
from test_area_picker import waiting_picker  # noqa: E402

SIZES = [(640, 480), (1920, 1080)]
DEPTHS = [8, 16, 24]
PATTERN = (200, 150, 210, 130)


def differences(bmp, reference, rect, limit=20):
    """Pixels of the snapshot (whose origin is the screen's) that differ from
    the reference capture of rect."""
    x0, y0, w, h = rect
    bad = []
    for y in range(h):
        got, want = bmp.row(y0 + y)[x0:x0 + w], reference.row(y)
        bad += [((x0 + x, y0 + y), g, r) for x, (g, r) in enumerate(zip(got, want)) if g != r]
        if len(bad) >= limit:
            break
    return bad[:limit]


@pytest.mark.parametrize("depth", DEPTHS)
@pytest.mark.parametrize("size", SIZES, ids=lambda s: f"{s[0]}x{s[1]}")
def test_full_screen_through_the_hot_key_on_each_display(e2e_session, size, depth):
    display = e2e_session.display(size[0], size[1], depth)
    wine = e2e_session.wine(f"wine{size[0]}x{size[1]}x{depth}", display)
    folder, _ = fresh_settings(wine, source="Screen")
    proc = start_resident(wine)
    pattern = wine.start_pattern(*PATTERN, title="Display Pattern")

    bmp = read_bmp(snapshot_through_hot_key(wine, folder, "Display Pattern"))
    # Deeper than 8 bits the file is 24 bits, whatever the display's own format.
    bpp = 8 if depth == 8 else 24
    assert (bmp.width, bmp.height, bmp.bpp) == (size[0], size[1], bpp)
    row = (size[0] * bpp // 8 + 3) // 4 * 4
    assert bmp.file_size == 14 + 40 + (1024 if bpp == 8 else 0) + row * size[1]

    # What the display shows, read independently of the program.
    reference = wine.probe.capture(*pattern.rect, bpp=24)
    assert differences(bmp, reference, pattern.rect) == []
    if depth == 16:
        # The display holds fewer bits of each colour; the file has what it
        # holds: the 16 pattern colours stay 16 distinct ones, each near its own.
        x0, y0, w, h = pattern.rect
        pairs = {(pattern_colour(x, y, pattern.rect), bmp.pixel(x, y))
                 for y in range(y0, y0 + h, 5) for x in range(x0, x0 + w, 5)}
        assert len(pairs) == len({want for want, _ in pairs}) == len({got for _, got in pairs}) == 16
        assert all(abs(g - w) <= 8 for want, got in pairs for g, w in zip(got, want))
    else:
        assert compare_to_pattern(bmp, (0, 0), pattern.rect) == []
    exit_program(wine, proc)


def test_full_screen_holds_every_monitor_and_black_where_none_is(monitors3):
    wine = monitors3
    folder, _ = fresh_settings(wine, source="Screen")
    proc = start_resident(wine)
    patterns = paint_monitors(wine)

    bmp = read_bmp(snapshot_through_hot_key(wine, folder, "Monitor Pattern PRI"))
    assert (bmp.width, bmp.height, bmp.bpp) == (DESKTOP[2], DESKTOP[3], 24)
    for name in ("PRI", "LEFT", "TOP"):
        assert compare_to_pattern(bmp, DESKTOP[:2], patterns[name].rect) == [], name
    # The window in the gap is on the X screen but on no monitor.
    assert off_monitor_pixels(bmp, DESKTOP[:2]) == []
    exit_program(wine, proc)


# Windows left of the primary monitor (negative coordinates), and across two
# monitors, whose halves come from both.
ACTIVE_WINDOWS = [("on the left monitor", (-1100, 300, 501, 400)),
                  ("across the left and primary monitors", (-250, 450, 500, 301))]


@pytest.mark.parametrize("what, rect", ACTIVE_WINDOWS, ids=[a[0] for a in ACTIVE_WINDOWS])
def test_active_window_on_any_monitor_comes_out_whole(monitors3, what, rect):
    wine = monitors3
    folder, _ = fresh_settings(wine, source="Window")
    proc = start_resident(wine)
    pattern = wine.start_pattern(*rect, title="Active Monitor Pattern")

    bmp = read_bmp(snapshot_through_hot_key(wine, folder, "Active Monitor Pattern"))
    assert (bmp.width, bmp.height) == rect[2:]
    assert compare_to_pattern(bmp, rect[:2], pattern.rect) == []
    exit_program(wine, proc)


def test_full_screen_follows_a_change_of_display_mode(e2e_session):
    # What the program learnt of the display stands until Windows tells it of
    # a change; a Wine desktop in a window changes its mode as a user would.
    wine = e2e_session.wine("desktop800x600", e2e_session.display(1024, 768, 24), desktop=(800, 600))
    # The picker on the screen chosen: its window waits, built ahead, over
    # the desktop of the moment, and full-screen snapshots never show it.
    folder, _ = fresh_settings(wine, source="Screen")
    wine.reg_set(SETTINGS + r"\Source", "Picker", "Screen")
    proc = start_resident(wine)
    pattern = wine.start_pattern(*PATTERN, title="Mode Pattern")
    for size in [(800, 600), (640, 480)]:
        if size != (800, 600):
            assert wine.probe.set_mode(*size) == {"width": size[0], "height": size[1]}
        waiting_picker(wine, (0, 0) + size)
        bmp = read_bmp(snapshot_through_hot_key(wine, folder, "Mode Pattern", name=f"{size[0]}.bmp"))
        assert (bmp.width, bmp.height) == size
        assert compare_to_pattern(bmp, (0, 0), pattern.rect) == []
    exit_program(wine, proc, by_message=True)


def test_a_delay_snaps_the_screen_when_it_ends_and_the_key_again_calls_it_off(wine):
    folder, _ = fresh_settings(wine, source="Screen", Delay=2)
    proc = start_resident(wine)
    pattern = wine.start_pattern(*PATTERN, title="Delay Pattern")

    # Pressed again during the wait: no snapshot at all.
    wine.press_keys("ctrl+shift+s", window="Delay Pattern")
    time.sleep(0.3)
    wine.press_keys("ctrl+shift+s")
    holds_for(lambda: visible_save_dialogs(wine) == [], "no snapshot after the key again", 3.5)

    # The pattern moves its colours on just after the press; the picture
    # shows them moved, taken when the two seconds were over.
    pressed = time.monotonic()
    wine.press_keys("ctrl+shift+s")
    wine.probe.post(0x0400 + 1, hwnd=pattern.hwnd)
    wine.probe.wait_window(caption="Save Snapshot", cls=DIALOG, visible=True, timeout=30)
    assert time.monotonic() - pressed >= 1.8
    bmp = read_bmp(save_snapshot(wine, folder))
    x0, y0, w, h = pattern.rect
    for x, y in ((x0, y0), (x0 + 15, y0 + 25), (x0 + w - 1, y0 + h - 1)):
        before = PATTERN_COLOURS.index(pattern_colour(x, y, pattern.rect))
        assert bmp.pixel(x, y) == PATTERN_COLOURS[(before + 1) % 16]
    exit_program(wine, proc)
