"""What the help viewer (Wine's winhlp32, window class MS_WINHELP) shows, read
from outside it by tests/drivers/helptext.exe in the same prefix."""

import json

import harness

HELP_CLASS = "MS_WINHELP"


def help_view(wine: "harness.Wine", find: str = "") -> dict | None:
    """{"caption", "text", "x", "y"} of the visible help window, (x, y) being the
    screen point of the first character of ``find`` (-1 when not shown); None
    when there is no help window."""
    out = wine.tmp / "helptext.json"
    out.unlink(missing_ok=True)
    code = wine.run(harness.exe_path("helptext"), "--out", wine.winpath(out), find, timeout=30)
    if code != 0:
        return None
    data = json.loads(out.read_text())
    out.unlink()
    return data


def wait_topic(wine: "harness.Wine", title: str, find: str = "", timeout: float = 15) -> dict:
    """Waits until the help window shows the topic whose heading is ``title``."""
    return wine.wait_for(lambda: (lambda v: v if v and v["text"].startswith(title) else None)(
        help_view(wine, find)), timeout, f"the help topic {title!r}")


def click_text(wine: "harness.Wine", text: str) -> None:
    """Clicks the first character of ``text`` in the help window, as a user would."""
    view = help_view(wine, text)
    assert view and view["x"] >= 0, f"{text!r} is not shown in the help window: {view}"
    wine.click(view["x"], view["y"])
