"""Driving the area preview of tamblit95 as a user does: the main window
found on screen, its half-scale model located, and drags made with real X
pointer events over it."""

MAIN_CLASS = "tamblit95"
PREVIEW_CAPTION = "Snapshot Preview"
SCALE = 2


def main_window(wine) -> dict:
    return wine.probe.find_window(cls=MAIN_CLASS)


def wait_preview(wine, timeout: float = 30) -> dict:
    return wine.probe.wait_window(cls=MAIN_CLASS, caption=PREVIEW_CAPTION, visible=True,
                                  timeout=timeout)


def wait_closed(wine, timeout: float = 30) -> None:
    wine.wait_for(lambda: not main_window(wine)["visible"], timeout, "the preview to close")


def model_origin(window: dict, screen: dict) -> tuple[int, int]:
    """Screen point of the model's top-left pixel: centred in the client area,
    which sits inside the window's thin frame, flush with its bottom edge."""
    left, top, right, bottom = window["rect"]
    cw, ch = window["client"]
    border = (right - left - cw) // 2
    cx, cy = left + border, bottom - border - ch
    return (cx + (cw - screen["width"] // SCALE) // 2,
            cy + (ch - screen["height"] // SCALE) // 2)


def _handled(wine, point) -> None:
    """Wine has the pointer at ``point`` and the program has read its queue
    since (a message it must answer)."""
    wine.wait_for(lambda: tuple(wine.probe.screen()["cursor"]) == tuple(point), 10,
                  f"Wine's pointer at {point}")
    main_window(wine)


def drag(wine, start, end, steps: int = 4, held=None) -> None:
    """Left button down at ``start``, moved in a few steps to ``end`` and
    released there: real X events, as from a mouse. With ``held`` each step
    is handled before the next, and ``held()`` runs before the release."""
    d = wine.display
    d.move_pointer(*start)
    # Pressed only once the move is handled: a press that Wine reads before
    # it lands where the pointer was, which may be outside the model.
    _handled(wine, start)
    d.xdotool("mousedown", 1)
    for i in range(1, steps + 1):
        point = (start[0] + (end[0] - start[0]) * i // steps,
                 start[1] + (end[1] - start[1]) * i // steps)
        d.move_pointer(*point)
        if held:
            _handled(wine, point)
    # Released only once the last move is handled: otherwise Wine now and
    # then hands over the release before it, and the band stops one step short.
    _handled(wine, end)
    if held:
        held()
    d.xdotool("mouseup", 1)
