"""Real X keys into a dialog, and which control has the keyboard focus then:
for the keyboard checks (Tab order, underlined letters) of every dialog, and
whether a text fits the box that shows it."""

from harness_display import _ere_escape
from harness_util import wait_for


def focused_id(probe, hwnd):
    """Id of the dialog's control that has the focus; None when none of them has."""
    win = probe.find_window(hwnd=hwnd)
    if not win:
        return None
    return next((c["id"] for c in win["children"] if c["hwnd"] == win["focus"]), None)


def press(wine, hwnd, keys):
    """Gives the dialog the X focus and presses keys there. Other X windows of
    the same name (a box closed earlier, not yet destroyed) cannot take it."""
    caption = wine.probe.find_window(hwnd=hwnd)["caption"]
    found = wine.display.xdotool("search", "--onlyvisible", "--name", f"^{_ere_escape(caption)}$",
                                 check=False).split()
    for xid in found:
        try:
            wine.display.xdotool("windowfocus", "--sync", xid)
            break
        except RuntimeError:
            continue
    else:
        raise AssertionError(f"no X window of {caption!r} takes the focus")
    wine.display.xdotool("key", "--clearmodifiers", *keys.split())


def keys_reach(wine, hwnd, steps, timeout=10):
    """For each (keys, id): presses the keys through X on the dialog and waits
    until control id has the focus."""
    for keys, id in steps:
        press(wine, hwnd, keys)
        try:
            wait_for(lambda: focused_id(wine.probe, hwnd) == id, timeout)
        except AssertionError:
            raise AssertionError(f"{keys!r} reached control {focused_id(wine.probe, hwnd)}, "
                                 f"not {id}") from None


def tab_order(wine, hwnd, ids):
    """Tab, from the control that has the focus, goes through ids in this order."""
    keys_reach(wine, hwnd, [("Tab", id) for id in ids])


def ink_right_gap(wine, control, border=3):
    """Pixels between the rightmost pixel of the control's text and its right
    edge: a text cut off by the control's edge leaves none."""
    left, top, right, bottom = control["rect"]
    bmp = wine.probe.capture(left, top, right - left, bottom - top)
    background = bmp.pixel(bmp.width - border - 1, bmp.height // 2)
    inked = [x for x in range(border, bmp.width - border)
             if any(bmp.pixel(x, y) != background for y in range(border, bmp.height - border))]
    assert inked, f"no text in control {control['id']}"
    return bmp.width - border - 1 - max(inked)
