"""The area picked on the frozen screen itself: the "Snapshot Area" window over
the whole desktop, driven with the real X pointer and keys; every picture is
checked against the desktop captured just before the key, with nothing moving."""

import subprocess

import pytest

from harness import read_bmp
from harness_monitors import DESKTOP, PATTERNS
from preview import drag, model_origin, wait_closed, wait_preview
from procstats import process_stats
from test_preview import HOT_KEY, PATTERN, SAVE, save_snapshot
from test_resident import SETTINGS, exit_program, fresh_settings, holds_for, start_resident

PICKER = {"cls": "tamblit95 area", "caption": "Snapshot Area"}
WM_CANCELMODE, WM_DISPLAYCHANGE = 0x1F, 0x7E

# Per display: the desktop (x, y, w, h), the pattern window to pick from and
# how far a drag reaches from near its top-left corner: on three monitors
# from the left one's pattern, at negative coordinates, onto the primary.
DISPLAYS = {
    "one display": ((0, 0, 1024, 768), PATTERN, (209, 159)),
    "three monitors": (DESKTOP, PATTERNS["LEFT"], (1309, 159)),
}


def band(a, b):
    return (min(a[0], b[0]), min(a[1], b[1]), max(a[0], b[0]) + 1, max(a[1], b[1]) + 1)


def press_picker_keys(wine, keys):
    wine.probe.keys(keys, **PICKER)


def take(wine, way, pattern, reach):
    """Does one way of taking; returns the rectangle it should take, or None."""
    x, y = pattern[0] + 10, pattern[1] + 10
    far = (x + reach[0], y + reach[1])
    window = (pattern[0], pattern[1], pattern[0] + pattern[2], pattern[1] + pattern[3])
    d = wine.display
    if way.startswith("drag"):
        corners = {"right down": ((x, y), far), "left up": (far, (x, y)),
                   "left down": ((far[0], y), (x, far[1])), "right up": ((x, far[1]), (far[0], y))}
        start, end = corners[way[5:]]
        drag(wine, start, end)
        return band(start, end)
    if way == "click on a window":
        wine.click(x + 40, y + 30)
        return window
    if way == "enter over a window":
        d.move_pointer(x + 40, y + 30)
        press_picker_keys(wine, "enter")
        return window
    if way in ("arrows with the button down", "shift arrows with the button down"):
        d.move_pointer(x, y)
        d.xdotool("mousedown", 1)
        d.move_pointer(x + 90, y + 40)
        shift = way.startswith("shift")
        press_picker_keys(wine, "shift+right shift+down left" if shift else "right right down")
        end = (x + 99, y + 50) if shift else (x + 92, y + 41)
        wine.wait_for(lambda: tuple(wine.probe.screen()["cursor"]) == end, 10, f"pointer nudged to {end}")
        d.xdotool("mouseup", 1)
        return band((x, y), end)
    if way == "escape":
        d.move_pointer(x + 40, y + 30)
        press_picker_keys(wine, "esc")
    else:
        wine.click(x + 40, y + 30, button=3)
    return None


WAYS = ["drag right down", "drag left up", "drag left down", "drag right up", "click on a window",
        "enter over a window", "arrows with the button down", "shift arrows with the button down",
        "escape", "right button"]
CASES = [(d, w) for d in DISPLAYS for w in WAYS
         if d == "one display" or w in ("drag left up", "click on a window", "shift arrows with the button down")]


def start_picker_program(wine, picker="Screen"):
    folder, _ = fresh_settings(wine, source="Selected")
    wine.reg_set(SETTINGS + r"\Source", "Picker", picker)
    return folder, start_resident(wine)


def waiting_picker(wine, rect):
    """The picker's window built ahead of the key: visible to Windows over
    the whole desktop, yet not mapped on X."""
    found = wine.wait_for(lambda: next((w for w in wine.probe.list(cls=PICKER["cls"])
                                        if w["visible"] and not w["caption"] and w["rect"] == list(rect)), None),
                          30, f"picker built ahead over {rect}")
    xid = wine.wait_for(lambda: wine.xwindow_id(found["hwnd"]), 10, "its X window")
    info = subprocess.run(["xwininfo", "-id", str(xid), "-display", wine.display.name], capture_output=True,
                          text=True, stdin=subprocess.DEVNULL, timeout=20).stdout
    assert "IsUnMapped" in info
    return found


def open_picker(wine, desktop):
    wine.probe.keys(HOT_KEY)
    picker = wine.probe.wait_window(visible=True, timeout=30, **PICKER)
    x, y, w, h = desktop
    assert picker["rect"] == [x, y, x + w, y + h]
    return picker


# One drag stands for the family on Wine 10.
@pytest.mark.parametrize("where, way", [
    pytest.param(*c, marks=[pytest.mark.wine10] if c == ("one display", "drag right down") else [])
    for c in CASES], ids=[f"{d}: {w}" for d, w in CASES])
def test_each_way_of_taking_gives_the_frozen_pixels(request, where, way):
    desktop, pattern_rect, reach = DISPLAYS[where]
    wine = request.getfixturevalue("wine24" if where == "one display" else "monitors3")
    folder, proc = start_picker_program(wine)
    wine.start_pattern(*pattern_rect, title="Picker Pattern")
    before = wine.probe.capture(*desktop)

    open_picker(wine, desktop)
    expected = take(wine, way, pattern_rect, reach)
    if expected is None:
        wine.probe.wait_gone(timeout=30, **PICKER)
        assert not any(w["visible"] for w in wine.probe.list(caption=SAVE, cls="#32770"))
        assert list(folder.iterdir()) == []
    else:
        bmp = read_bmp(save_snapshot(wine, folder, "area.bmp"))
        left, top, right, bottom = expected
        assert (bmp.width, bmp.height) == (right - left, bottom - top)
        dx, dy = left - desktop[0], top - desktop[1]
        for y in range(bmp.height):
            assert bmp.row(y) == before.row(y + dy)[dx:dx + bmp.width], f"row {y}"
        assert wine.reg_query(SETTINGS + r"\Source", "LastArea") == ("REG_SZ", ",".join(map(str, expected)))
        assert wine.probe.find_window(**PICKER) is None
    exit_program(wine, proc)


def no_save_dialog(wine):
    return not any(w["visible"] for w in wine.probe.list(caption=SAVE, cls="#32770"))


def test_picker_survives_or_ends_cleanly_and_ignores_a_second_key(wine):
    folder, proc = start_picker_program(wine)
    pattern = wine.start_pattern(*PATTERN, title="Picker Pattern")
    win_pid = proc.win_pid()
    desktop, d = (0, 0, 1024, 768), wine.display
    x, y = PATTERN[0] + 10, PATTERN[1] + 10

    # The key again while it is up: the same picker, which goes on working
    # after the mouse is taken from it in mid-drag (the band is dropped).
    # The window built ahead takes no click: the one underneath gets it.
    ahead = waiting_picker(wine, (0, 0, 1024, 768))
    wine.focus_window(wine.tray_window())
    wine.click(x, y)
    wine.wait_for(lambda: wine.probe.foreground() == pattern.hwnd, 10, "pattern clicked forward")
    first = open_picker(wine, desktop)
    assert first["hwnd"] == ahead["hwnd"]
    wine.probe.keys(HOT_KEY)
    d.move_pointer(x, y)
    d.xdotool("mousedown", 1)
    d.move_pointer(x + 50, y + 50)
    wine.probe.post(WM_CANCELMODE, **PICKER)
    d.xdotool("mouseup", 1)
    holds_for(lambda: [w["hwnd"] for w in wine.probe.list(**PICKER)] == [first["hwnd"]] and no_save_dialog(wine),
              "one picker, nothing taken", 2)
    wine.probe.keys("enter", **PICKER)
    bmp = read_bmp(save_snapshot(wine, folder, "window.bmp"))
    assert (bmp.width, bmp.height) == PATTERN[2:]

    # Another program brought forward, or the display changed: the picker
    # goes, taking nothing, and leaves neither the mouse held, nor GDI
    # objects, nor a trace on the screen; the keyboard is the pattern's again.
    gdi = None
    tray_bottom = wine.probe.find_window(hwnd=wine.tray_window())["rect"][3]
    below_tray = (0, tray_bottom, 1024, 768 - tray_bottom)  # its icons may change meanwhile
    for round in range(4):
        screen = wine.probe.capture(*below_tray).data
        open_picker(wine, desktop)
        if round % 2:
            wine.probe.post(WM_DISPLAYCHANGE, 24, (768 << 16) | 1024, **PICKER)
        else:
            wine.probe.focus(hwnd=pattern.hwnd)
        wine.probe.wait_gone(timeout=30, **PICKER)
        wine.wait_for(lambda: wine.probe.foreground() == pattern.hwnd, 10, "the pattern in front again")
        assert wine.probe.capture(*below_tray).data == screen, "the picker left something on the screen"
        assert no_save_dialog(wine)
        assert wine.probe.find_window(cls="tamblit95")["capture"] == 0
        stats = process_stats(wine, win_pid)["gdi"]
        if round == 1:
            gdi = stats
        elif gdi is not None:
            assert stats == gdi
    assert [p.name for p in folder.iterdir()] == ["window.bmp"]
    exit_program(wine, proc)


CELLS, ZOOM, OFFSET = 21, 6, 20  # the magnifier: pixels each way, enlargement, distance from the pointer


def magnifier_mismatches(wine, pointer, pixel, before):
    """Every fourth enlarged pixel of the magnifier below right of the pointer
    (inside its one-pixel border) against the frozen pixels around ``pixel``."""
    shot = wine.probe.capture(pointer[0] + OFFSET + 1, pointer[1] + OFFSET + 1, CELLS * ZOOM, CELLS * ZOOM)
    return [(i, j) for j in range(0, CELLS, 4) for i in range(0, CELLS, 4)
            if shot.pixel(i * ZOOM + ZOOM // 2, j * ZOOM + ZOOM // 2)
            != before.pixel(pixel[0] - CELLS // 2 + i, pixel[1] - CELLS // 2 + j)]


@pytest.mark.parametrize("picker", ["Model", "Screen"])
def test_magnifier_enlarges_the_frozen_pixels_under_the_pointer(wine, picker):
    _, proc = start_picker_program(wine, picker)
    wine.start_pattern(*PATTERN, title="Picker Pattern")
    before = wine.probe.capture(0, 0, 1024, 768)
    if picker == "Model":
        wine.probe.keys(HOT_KEY)
        mx, my = model_origin(wait_preview(wine), wine.probe.screen())
        pointer, pixel = (mx + 60, my + 43), (120, 86)  # half scale
    else:
        open_picker(wine, (0, 0, 1024, 768))
        pointer = pixel = (123, 87)
    wine.display.move_pointer(*pointer)
    wine.wait_for(lambda: not magnifier_mismatches(wine, pointer, pixel, before), 15, "the magnifier")
    if picker == "Screen":
        wine.probe.keys("esc", **PICKER)
        wine.probe.wait_gone(timeout=30, **PICKER)
    else:
        wine.click(*pointer)  # a click without a drag still closes the model
        wait_closed(wine)
    exit_program(wine, proc)
