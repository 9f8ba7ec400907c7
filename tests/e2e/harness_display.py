"""X displays of the end-to-end harness: Xvfb servers and X input.

``Display`` (fixtures ``display24``, ``display8``)
    Xvfb with -noreset at 1024x768x24 (32 bits per pixel as Wine sees it) and
    at 640x480x8 (a palette display: BITSPIXEL 8, RC_PALETTE), each on a free
    display number. ``.name`` (":N"), ``.number``, ``.width``, ``.height``,
    ``.depth``, ``.pid``, ``.env`` (os.environ with DISPLAY set),
    ``.xdotool(*args)`` -> stdout text, ``.xwininfo_root()``.
``display.move_pointer(x, y)`` / ``display.pointer()``: use these, not
    ``xdotool mousemove --sync``, which stalls 15 s when the pointer is already
    at the target. After each test the pointer is put in the bottom right
    corner. Both take Windows screen coordinates: on a display of several
    monitors (``monitors``, see harness_monitors) the X root point of the
    primary monitor's top-left corner is ``.origin``, which they add and
    subtract; elsewhere it is (0, 0).

X input of a ``Wine`` object (``XInput``, on the Wine's display)
-----------------------------------------------------------------
``press_keys("ctrl+shift+s", window=None)`` xdotool keys on the display.
    ``window`` (caption or hwnd) is first given the X focus; without it some
    Wine window must already have it.
``focus_window(caption_or_hwnd)`` -> X window id: X keyboard focus via
    ``xdotool windowfocus --sync``.
``xwindow_id(caption_or_hwnd)`` -> X window id or None (a window without a
    caption is matched by its program and place on the screen).
``click(x, y, button=1, double=False)`` a real X mouse click (1 left, 3 right).
``tray_window()`` -> hwnd of Wine's notification area (top left): Wine 8's
    "Wine System Tray" (``__winex11_standalone_tray``), Wine 10's
    ``Shell_TrayWnd`` (an X window without a name); either can take the focus.
``tray_icons()`` -> child dicts (with screen ``rect``) of the icons in it
    (``__winex11_tray_icon`` / ``__wine_tray_icon``), left to right.
``click_tray_icon(index=0, button=1, double=False, timeout=10)`` waits for the
    icon and clicks its middle; Wine's tray then sends the owner its callback
    message (WM_LBUTTONDOWN/UP, WM_RBUTTONUP, WM_LBUTTONDBLCLK...).
``x_clipboard(target="image/bmp")`` -> bytes or None: the CLIPBOARD selection
    as an X client (xclip) gets it; Wine offers a CF_DIB as a whole BMP file.
    ``x_clipboard_targets()`` -> list of target names.
"""

from __future__ import annotations

import os
import re
import select
import subprocess
import time
from pathlib import Path

from harness_util import _die_with_parent, _kill_pid, wait_for


def _ere_escape(text: str) -> str:
    return re.sub(r"([.\[\]()*+?{}|^$\\])", r"\\\1", text)

class Display:
    """An Xvfb server of this test session."""

    def __init__(self, width: int, height: int, depth: int, logdir: Path, monitors=None):
        self.width, self.height, self.depth = width, height, depth
        self.monitors = tuple(monitors or ())
        self.origin = (0, 0)
        self.log = logdir / f"xvfb-{width}x{height}x{depth}{'-monitors' if self.monitors else ''}.log"
        rfd, wfd = os.pipe()
        try:
            with open(self.log, "wb") as log:
                self._proc = subprocess.Popen(
                    ["Xvfb", "-displayfd", str(wfd), "-screen", "0",
                     f"{width}x{height}x{depth}", "-noreset", "-nolisten", "tcp"],
                    stdin=subprocess.DEVNULL, stdout=log, stderr=log, pass_fds=(wfd,),
                    preexec_fn=_die_with_parent)
            os.close(wfd)
            wfd = -1
            self.pid = self._proc.pid
            number = b""
            deadline = time.monotonic() + 30
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or self._proc.poll() is not None:
                    self.stop()
                    raise RuntimeError(f"Xvfb did not start: {self.log.read_text(errors='replace')}")
                ready, _, _ = select.select([rfd], [], [], min(left, 0.5))
                if ready:
                    chunk = os.read(rfd, 64)
                    if not chunk:
                        time.sleep(0.05)
                    number += chunk
        finally:
            if wfd >= 0:
                os.close(wfd)
            os.close(rfd)
        self.number = int(number.strip())
        self.name = f":{self.number}"
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop("XAUTHORITY", None)
        wait_for(self._answers, 30, f"Xvfb {self.name} to answer", interval=0.1)
        if self.monitors:
            self._declare_monitors()

    def _declare_monitors(self) -> None:
        """RandR monitors on the one screen, as Wine reads them through
        Xinerama: (name, x, y, w, h, primary) in X root coordinates. The
        primary is tied to the output, which drops the whole-screen monitor."""
        for name, x, y, w, h, primary in self.monitors:
            # Sizes in millimetres at about 96 dpi; Wine only reads the pixels.
            geometry = f"{w}/{w * 254 // 960}x{h}/{h * 254 // 960}+{x}+{y}"
            subprocess.run(["xrandr", "--setmonitor", ("*" if primary else "") + name, geometry,
                            "screen" if primary else "none"], env=self.env, check=True,
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=20)
            if primary:
                self.origin = (x, y)

    def _answers(self) -> bool:
        if self._proc.poll() is not None:
            raise RuntimeError(f"Xvfb {self.name} exited: {self.log.read_text(errors='replace')}")
        r = subprocess.run(["xdpyinfo", "-display", self.name], stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=10)
        return r.returncode == 0

    def xdotool(self, *args, timeout: float = 20, check: bool = True) -> str:
        args = [str(a) for a in args]
        if args and args[0] == "mousemove" and "--sync" in args:
            # --sync waits for the pointer to move; when it is already at the
            # target no motion comes and xdotool stalls for 15 s.
            target = [a for a in args[1:] if re.fullmatch(r"-?\d+", a)][:2]
            x, y = self.pointer()
            at = (x + self.origin[0], y + self.origin[1])
            if len(target) == 2 and at == (int(target[0]), int(target[1])):
                args.remove("--sync")
        r = subprocess.run(["xdotool", *args], env=self.env, stdin=subprocess.DEVNULL,
                           capture_output=True, text=True, timeout=timeout)
        if check and r.returncode != 0:
            raise RuntimeError(f"xdotool {' '.join(map(str, args))} failed: {r.stderr.strip()}")
        return r.stdout

    def pointer(self) -> tuple[int, int]:
        out = self.xdotool("getmouselocation", "--shell")
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]) - self.origin[0], int(values["Y"]) - self.origin[1]

    def move_pointer(self, x: int, y: int) -> None:
        """Moves the X pointer and waits until it is there. (``xdotool mousemove
        --sync`` waits 15 s for a motion that never comes when the pointer is
        already at the target.)"""
        self.xdotool("mousemove", x + self.origin[0], y + self.origin[1])
        wait_for(lambda: self.pointer() == (x, y), 10, f"pointer at {x},{y}")

    def xwininfo_root(self) -> str:
        return subprocess.run(["xwininfo", "-root", "-tree", "-display", self.name],
                              stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              timeout=20).stdout

    def stop(self) -> None:
        if self._proc.poll() is None:
            self._proc.terminate()
            try:
                self._proc.wait(5)
            except subprocess.TimeoutExpired:
                _kill_pid(self._proc.pid)
                self._proc.wait(5)

    def __repr__(self) -> str:
        return f"Display({self.name} {self.width}x{self.height}x{self.depth})"


# Wine's notification area and its icons: Wine 8, then Wine 10.
TRAY_CLASSES = "__winex11_standalone_tray|Shell_TrayWnd"
TRAY_ICON_CLASSES = {"__winex11_tray_icon", "__wine_tray_icon"}
_TREE_LINE = re.compile(r'^\s*(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \((?:"([^"]*)")?.*?\)\s+'
                        r'(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+)\s*$')


class XInput:
    """X input and the X clipboard for a ``Wine`` object: needs its
    ``.display`` and ``.probe``."""

    def xwindow_id(self, window) -> int | None:
        caption = window
        if isinstance(window, int):
            found = self.probe.find_window(hwnd=window)
            if not found:
                return None
            if not found["caption"]:
                return self._unnamed_xwindow(found)
            caption = found["caption"]
        out = self.display.xdotool("search", "--name", f"^{_ere_escape(caption)}$", check=False)
        ids = [int(x) for x in out.split()]
        return ids[0] if ids else None

    def _unnamed_xwindow(self, found: dict) -> int | None:
        """Wine 10 leaves some windows' X names empty (its notification
        area): the top-level X window of the same program at the same place."""
        l, t, r, b = found["rect"]
        for line in self.display.xwininfo_root().splitlines():
            m = _TREE_LINE.match(line)
            if not m or (m.group(2) or "") or (m.group(3) or "").lower() != found["exe"].lower():
                continue
            w, h, x, y = (int(m.group(i)) for i in (4, 5, 8, 9))
            if (x, y, x + w, y + h) == (l, t, r, b):
                return int(m.group(1), 16)
        return None

    def tray_window(self, timeout: float = 10) -> int:
        return self.probe.wait_window(cls=TRAY_CLASSES, visible=True, timeout=timeout)["hwnd"]

    def focus_window(self, window, timeout: float = 10) -> int:
        xid = wait_for(lambda: self.xwindow_id(window), timeout, f"X window of {window!r}")
        self.display.xdotool("windowfocus", "--sync", xid)
        return xid

    def press_keys(self, keys: str, window=None) -> None:
        if window is not None:
            self.focus_window(window)
        self.display.xdotool("key", "--clearmodifiers", *keys.split())

    def click(self, x: int, y: int, button: int = 1, double: bool = False) -> None:
        """A real X mouse click at screen point (x, y) (1 left, 2 middle, 3 right)."""
        self.display.move_pointer(x, y)
        args = ["click"] + (["--repeat", "2", "--delay", "80"] if double else []) + [button]
        self.display.xdotool(*args)

    def tray_icons(self) -> list[dict]:
        """Icons in Wine's tray window, left to right: child dicts with rect."""
        icons = []
        for tray in self.probe.list(cls=TRAY_CLASSES):
            icons += [c for c in tray["children"] if c["class"] in TRAY_ICON_CLASSES
                      and c["visible"]]
        return sorted(icons, key=lambda c: (c["rect"][1], c["rect"][0]))

    def click_tray_icon(self, index: int = 0, button: int = 1, double: bool = False,
                        timeout: float = 10) -> dict:
        icons = wait_for(lambda: len(self.tray_icons()) > index and self.tray_icons(), timeout,
                         f"tray icon {index}")
        l, t, r, b = icons[index]["rect"]
        self.click((l + r) // 2, (t + b) // 2, button, double)
        return icons[index]

    def x_clipboard(self, target: str = "image/bmp", timeout: float = 10) -> bytes | None:
        """What an X client gets from the CLIPBOARD selection as ``target``
        (Wine offers a CF_DIB as image/bmp, a complete BMP file); None when
        that target is not offered."""
        targets = self.x_clipboard_targets(timeout)
        if target not in targets:
            return None
        r = subprocess.run(["xclip", "-selection", "clipboard", "-t", target, "-o"],
                           env=self.display.env, stdin=subprocess.DEVNULL, capture_output=True,
                           timeout=timeout)
        return r.stdout if r.returncode == 0 else None

    def x_clipboard_targets(self, timeout: float = 10) -> list[str]:
        r = subprocess.run(["xclip", "-selection", "clipboard", "-t", "TARGETS", "-o"],
                           env=self.display.env, stdin=subprocess.DEVNULL, capture_output=True,
                           text=True, timeout=timeout)
        return r.stdout.split() if r.returncode == 0 else []
