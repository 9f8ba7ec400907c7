"""End-to-end test harness: the Windows programs under Wine on virtual X displays.

Run with ``/usr/bin/python3 -m pytest tests/e2e/<file> -x -q``. The Windows build
is found through the environment variable ``TAMBLIT_WIN32_BUILD`` (a path,
relative ones are taken from the repository root; default ``build/win32``).
When the build (or one program in it) is missing the test is skipped with a
message saying so.

Fixtures (tests/e2e/conftest.py)
--------------------------------
``display24``, ``display8``  (session) -> ``Display``
    Xvfb with -noreset at 1024x768x24 (32 bits per pixel as Wine sees it) and
    at 640x480x8 (a palette display: BITSPIXEL 8, RC_PALETTE), each on a free
    display number. ``.name`` (":N"), ``.number``, ``.width``, ``.height``,
    ``.depth``, ``.pid``, ``.env`` (os.environ with DISPLAY set),
    ``.xdotool(*args)`` -> stdout text, ``.xwininfo_root()``.
``wine24``, ``wine8``  (session) -> ``Wine``
    A Wine prefix of its own bound to ``display24`` / ``display8`` (Wine's
    desktop, tray and clipboard belong to the display of the first process, so
    each display gets its own prefix; the second is a copy of the first, made
    in a second). Its wineserver runs for the whole session. The freshly booted
    prefix (``wineboot -i``, about 12 s) is kept in
    ``<repo>/build/e2e-prefix-cache`` for the next runs (``TAMBLIT_E2E_CACHE``
    names another folder, ``TAMBLIT_E2E_CACHE=0`` boots one per session).
``wine``  (function) -> ``Wine``: shorthand for ``wine24``.
``tmp_path`` as usual; ``build_dir`` (session) -> Path of the Windows build.

There is no window manager. Wine is told not to leave its windows to one
(``HKCU\\Software\\Wine\\X11 Driver`` ``Managed=N``): with managed windows and no
manager, Wine waits 2 s for a window state that never comes each time a dialog
or box is hidden. ``TAMBLIT_E2E_MANAGED=1`` keeps Wine's default.
``TAMBLIT_E2E_TRACE=1`` prints every probe command and program start with its
duration to stderr (with ``pytest -s``).

Every process a test starts through a ``Wine`` object is killed by PID when the
test ends, pass or fail; then every Windows process that was not there when the
prefix was made (a program started by a program, a second copy...), except
Wine's own services, is ended by its Windows process id; drives mapped with
``map_drive`` are unmapped and the X pointer is parked in the bottom right
corner. Registry values and files a test changes are not reset: a test sets
up what it relies on. At session end ``wineserver -k`` ends each prefix, Xvfb
is stopped by PID and the temporary directory is removed (set
``TAMBLIT_E2E_KEEP=1`` to keep it; its path is printed). A run stopped by
SIGTERM cleans up the same way; Xvfb ends with the run even when it is killed,
and the next run ends the wineservers of a killed one.

Module functions: ``exe_path(name)`` -> Path (skips the test when missing),
``build_dir()``, ``wait_for(...)``, ``read_file_when_stable(...)``,
``read_bmp(...)``, ``pattern_colour(...)``, ``compare_to_pattern(...)``.

``Wine`` object
---------------
Attributes: ``.prefix`` (Path), ``.drive_c`` (Path), ``.user_dir`` (Path of
``C:\\users\\<user>``), ``.appdata`` (``...\\AppData\\Roaming``), ``.display``
(Display), ``.env`` (dict for subprocess), ``.probe`` (Probe), ``.tmp`` (a
scratch folder of the session, not cleaned per test).

``start(exe, *args, cwd=None, env=None)`` -> ``WineProcess``
    ``exe`` is a Linux path, a program name of the build (``"tamblit95"``,
    ``"uiprobe.exe"``, see ``exe_path``) or a Wine built-in (``"reg"``,
    ``"notepad"``...). Output goes to a log file: ``proc.output()``.
``run(exe, *args, timeout=60, cwd=None, env=None)`` -> exit code
    Waits; on timeout kills it and raises ``TimeoutError``.
``WineProcess``: ``.pid`` (Linux PID; the Windows PID differs, see
    ``.win_pid()``), ``.wait(timeout=30)`` -> exit code (raises
    ``TimeoutError``), ``.poll()`` -> exit code or None, ``.alive``,
    ``.kill()``, ``.output()`` -> text written to stdout/stderr, ``.log`` (Path).
    Exit codes come through Linux, so only the low 8 bits of the Windows exit
    code survive.
``winpath(linux_path)`` -> ``"C:\\..."`` for paths inside drive_c, else
    ``"Z:\\..."``; ``linuxpath(win_path)`` the other way (C:, Z: and mapped
    drives).
``map_drive(letter, linux_dir)`` -> ``"T:\\"``; unmapped at the end of the test.
``reg_query(key, value=None)`` -> ``(type_name, data)`` or None if the key
    or value is missing (``value=None`` or ``""`` is the key's default value).
    REG_SZ/EXPAND_SZ -> str, REG_DWORD -> int, REG_MULTI_SZ -> list of str,
    anything else -> bytes. Read live from the running wineserver, so nothing
    needs flushing.
``reg_values(key)`` -> ``{name: (type_name, data)}`` or None if no such key;
    ``reg_subkeys(key)`` -> list or None; ``reg_raw(key, value)`` -> bytes.
``reg_set(key, value, data, type="REG_SZ")``; ``data`` may be bytes for any
    type; an int for REG_DWORD. ``reg_delete_value(key, value)``,
    ``reg_delete_key(key)`` (with its subtree; True if it existed).
    Keys are written ``HKCU\\Software\\...`` or ``HKEY_CURRENT_USER\\...``.
``wait_for(predicate, timeout=10, what="...", interval=0.05)`` -> the first
    truthy result of ``predicate()``; on timeout raises AssertionError naming
    ``what``.
``press_keys("ctrl+shift+s", window=None)`` xdotool keys on the display.
    ``window`` (caption or hwnd) is first given the X focus; without it some
    Wine window must already have it.
``focus_window(caption_or_hwnd)`` -> X window id: X keyboard focus via
    ``xdotool windowfocus --sync``.
``xwindow_id(caption_or_hwnd)`` -> X window id or None.
``read_file_when_stable(path, timeout)`` -> bytes: waits until a file exists
    and stops growing (a program writes it in several calls).
``click(x, y, button=1, double=False)`` a real X mouse click (1 left, 3 right).
``display.move_pointer(x, y)`` / ``display.pointer()``: use these, not
    ``xdotool mousemove --sync``, which stalls 15 s when the pointer is already
    at the target. After each test the pointer is put in the bottom right
    corner.
``tray_icons()`` -> child dicts (with screen ``rect``) of the icons in Wine's
    tray window ("Wine System Tray", top left), left to right.
``click_tray_icon(index=0, button=1, double=False, timeout=10)`` waits for the
    icon and clicks its middle; Wine's tray then sends the owner its callback
    message (WM_LBUTTONDOWN/UP, WM_RBUTTONUP, WM_LBUTTONDBLCLK...).
``x_clipboard(target="image/bmp")`` -> bytes or None: the CLIPBOARD selection
    as an X client (xclip) gets it; Wine offers a CF_DIB as a whole BMP file.
    ``x_clipboard_targets()`` -> list of target names.
``screen`` dict: the probe's ``screen()`` taken when the prefix was made.
``start_pattern(...)``: see below.

Popup menus (TrackPopupMenu) are windows of class "#32768" whose items the
probe cannot read (menus live in the owning process under Wine). Choose an item
with keys while the menu is open (``probe.keys("down down enter")``), or close
it with ``probe.keys("esc")`` and post the command with ``probe.command(id,
hwnd=...)``.

Crashes: winedbg is disabled (WINEDLLOVERRIDES), so a crashing program ends at
once with exit code 5 (page fault) or similar and "Unhandled page fault" in
``proc.output()``, instead of hanging in a debugger.

Hot keys under Wine 8 (measured by test_harness.py): a hot key registered with
``RegisterHotKey`` is delivered both for X key events (``xdotool key``, but
only while a Wine window has the X focus) and for ``SendInput`` from another
Wine process (``probe.keys``), which needs no X focus at all. Prefer
``probe.keys(...)`` for hot keys and for typing into a control;
``press_keys`` exercises the real X path.

``Probe`` (``wine.probe``; runs tests/drivers/uiprobe.exe in the prefix)
--------------------------------------------------------------------------
Window selectors (keyword arguments everywhere): ``caption`` (exact),
``cls`` (class name, ``"A|B"`` for either), ``hwnd``, ``pid`` (Windows PID),
``exe`` (image name, e.g. ``"tamblit95.exe"``). Visible windows come first.

``list(**sel)`` -> list of window dicts: ``hwnd, class, caption, pid, tid,
    exe, rect [l,t,r,b] (screen), client [w,h], visible, enabled, iconic,
    style, exstyle, owner, focus, active, children``. Each child: ``hwnd,
    parent, id, class, text, rect, style, exstyle, visible, enabled`` and by
    class ``check`` (Button: BM_GETCHECK), ``hotkey``/``hotkey_vk``/
    ``hotkey_mods`` (msctls_hotkey32: HKM_GETHOTKEY), ``cursel``/``items``
    (ComboBox, ListBox), ``pos`` (trackbar, up-down).
``find_window(**sel)`` -> dict or None; ``wait_window(timeout=10,
    visible=False, **sel)`` -> dict (raises AssertionError on timeout);
    ``wait_gone(timeout=10, **sel)``.
``control(id=None, ctlclass=None, **sel)`` -> child dict (raises if
    missing); ``controls(**sel)`` -> list of child dicts.
``press(id, bm_click=False, ctlclass=None, **sel)``: WM_COMMAND(id,
    BN_CLICKED) posted to the button's parent (never blocks on the modal loop
    it starts), or BM_CLICK posted to the button. WM_COMMAND only notifies the
    dialog: to toggle an auto check box or radio button use ``bm_click=True``.
``command(id, **sel)`` WM_COMMAND(id, 0) to the top-level window (menu items);
``post(msg, wparam=0, lparam=0, **sel)``; ``close(all=False, **sel)``.
``set_text(id, text, ctlclass=None, **sel)`` -> text read back.
``save_dialog_answer(path, caption=None, timeout=10)``: waits for the file
    dialog (class #32770, by caption when given), writes ``path`` into its
    file name box (a Linux path is turned into a Windows one) and presses its
    OK button (Save/Open).
``message_box_text(caption, timeout=10)`` -> text of the message box's static
    (id 65535); ``answer_message_box(caption, button=1, timeout=10)`` ->
    its text, after pressing the button (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7).
``focus(id=None, **sel)``; ``keys("ctrl+shift+s f1", id=None, **sel)``:
    focuses the window (and control) inside Wine, then SendInput. Key names:
    letters, digits, f1-f24, enter, tab, esc, space, backspace, delete, insert,
    home, end, pageup, pagedown, left, right, up, down, print, pause, ctrl,
    shift, alt, win, numpad0-9, vk0xNN; chords joined by '+', sequence by ' '.
``hotkey_free("ctrl+shift+s")`` -> True if nobody holds that hot key now.
``listen_hotkey("ctrl+shift+s", timeout=10)`` -> ``HotKeyListener`` with
    ``.result()`` -> dict(received, wparam, lparam) (a probe holding the key).
``processes()`` -> list of dict(pid, parent, exe); ``terminate(win_pid)``.
``clipboard()`` -> dict(formats [dict(id, name)], text (CF_TEXT, if any));
    ``clipboard_dib()`` -> ``Bmp`` of the CF_DIB (a file header put in front)
    or None; ``clear_clipboard()``.
``screen()`` -> dict(width, height, bitspixel, rastercaps, sizepalette,
    palette [0xRRGGBB ...] on palette displays).
``capture(x, y, w, h, bpp=24)`` -> ``Bmp``: a reference capture of a screen
    area with BitBlt + GetDIBits (independent of the program under test).
``run(command, *args, timeout=30)`` -> (exit code, dict) for anything else.

Pattern window and pictures
---------------------------
``wine.start_pattern(x, y, w, h, cell=10, title="Tamblit Pattern")`` ->
    ``PatternWindow`` (``.proc``, ``.rect``, ``.cell``, ``.hwnd``,
    ``.colour_at(x, y)``), started and waited for until it is visible.
``pattern_colour(x, y, rect, cell=10)`` -> (r, g, b) expected at screen pixel
    (x, y) inside rect (x, y, w, h), None outside. ``PATTERN_COLOURS`` lists
    the 16 colours.
``read_bmp(path_or_bytes)`` -> ``Bmp``: ``.width``, ``.height``, ``.bpp``,
    ``.top_down``, ``.compression``, ``.palette`` (list of (r, g, b)),
    ``.file_size``, ``.offbits``, ``.header_size``, ``.image_size``,
    ``.xppm``, ``.yppm``, ``.clr_used``, ``.clr_important``, ``.data``;
    ``.pixel(x, y)`` -> (r, g, b) with y = 0 the top row, ``.index(x, y)``
    for palette pictures, ``.row(y)`` -> list of (r, g, b). Raises
    ``ValueError`` for a malformed file (truncated pixel data, bad header).
``compare_to_pattern(bmp, origin, rect, cell=10, limit=20)`` -> list of up to
    ``limit`` mismatches ``((x, y), got, expected)`` for the picture whose top
    left pixel is screen point ``origin`` (only pixels inside ``rect``).
"""

from __future__ import annotations

import json
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import itertools
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]

# winedbg is off so that a crashing program ends at once instead of waiting for a
# debugger; winemenubuilder would write menu entries into the real home.
WINE_DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"

_counter = itertools.count(1)


# ---------------------------------------------------------------- build paths

def build_dir() -> Path:
    value = os.environ.get("TAMBLIT_WIN32_BUILD", "build/win32")
    p = Path(value)
    if not p.is_absolute():
        p = REPO / p
    return p


_SEARCH_DIRS = ("", "drivers", "snap", "bench", "setup")


def exe_path(name: str, skip: bool = True) -> Path | None:
    """Path of a Windows program of the build; skips the test when missing.

    ``name`` with or without ".exe". Looks in <build>, <build>/drivers,
    <build>/snap, <build>/bench, <build>/setup, then anywhere below <build>.
    """
    import pytest

    if not name.lower().endswith(".exe"):
        name += ".exe"
    root = build_dir()
    if not root.is_dir():
        if skip:
            pytest.skip(f"Windows build not found at {root} (build it with "
                        f"'cmake --preset win32 && cmake --build --preset win32', or set "
                        f"TAMBLIT_WIN32_BUILD)")
        return None
    for d in _SEARCH_DIRS:
        p = root / d / name
        if p.is_file():
            return p
    for p in sorted(root.rglob(name)):
        if "CMakeFiles" not in p.parts and p.is_file():
            return p
    if skip:
        pytest.skip(f"{name} is not in the Windows build at {root}")
    return None


# ---------------------------------------------------------------- helpers

def wait_for(predicate, timeout: float = 10, what: str = "condition", interval: float = 0.05):
    """Polls ``predicate()`` until it returns something truthy; returns that."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


def read_file_when_stable(path, timeout: float = 10, settle: float = 0.2) -> bytes:
    """Waits until ``path`` exists and its size stays the same for ``settle`` s."""
    path = Path(path)
    state = {"size": -1, "since": 0.0}

    def stable():
        try:
            size = path.stat().st_size
        except FileNotFoundError:
            return False
        now = time.monotonic()
        if size != state["size"]:
            state["size"], state["since"] = size, now
            return False
        return now - state["since"] >= settle

    wait_for(stable, timeout, f"{path} to be written")
    return path.read_bytes()


_TRACE = os.environ.get("TAMBLIT_E2E_TRACE") == "1"
_T0 = time.monotonic()


def _trace(text: str) -> None:
    """With TAMBLIT_E2E_TRACE=1, every probe command and program start is
    printed to stderr with the time it took (run pytest with -s to see it)."""
    if _TRACE:
        import sys
        print(f"[{time.monotonic() - _T0:8.2f}] {text}", file=sys.stderr, flush=True)


def _die_with_parent() -> None:
    """In the child before exec: SIGTERM when the test run ends, even killed."""
    try:
        import ctypes
        ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except Exception:  # noqa: BLE001 - only a safety net
        pass


def _pid_alive(pid: int) -> bool:
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    return True


def _kill_pid(pid: int) -> None:
    try:
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def _ere_escape(text: str) -> str:
    return re.sub(r"([.\[\]()*+?{}|^$\\])", r"\\\1", text)


# ---------------------------------------------------------------- X displays

class Display:
    """An Xvfb server of this test session."""

    def __init__(self, width: int, height: int, depth: int, logdir: Path):
        self.width, self.height, self.depth = width, height, depth
        self.log = logdir / f"xvfb-{width}x{height}x{depth}.log"
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
            if len(target) == 2 and self.pointer() == (int(target[0]), int(target[1])):
                args.remove("--sync")
        r = subprocess.run(["xdotool", *args], env=self.env, stdin=subprocess.DEVNULL,
                           capture_output=True, text=True, timeout=timeout)
        if check and r.returncode != 0:
            raise RuntimeError(f"xdotool {' '.join(map(str, args))} failed: {r.stderr.strip()}")
        return r.stdout

    def pointer(self) -> tuple[int, int]:
        out = self.xdotool("getmouselocation", "--shell")
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def move_pointer(self, x: int, y: int) -> None:
        """Moves the X pointer and waits until it is there. (``xdotool mousemove
        --sync`` waits 15 s for a motion that never comes when the pointer is
        already at the target.)"""
        self.xdotool("mousemove", x, y)
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


# ---------------------------------------------------------------- Wine

class WineProcess:
    """A Wine program started by a test; killed by PID at the end of the test."""

    def __init__(self, popen: subprocess.Popen, log: Path, exe: str, wine: "Wine"):
        self._popen = popen
        self.pid = popen.pid
        self.log = log
        self.exe = exe
        self._wine = wine

    def poll(self):
        return self._popen.poll()

    @property
    def alive(self) -> bool:
        return self._popen.poll() is None

    def wait(self, timeout: float = 30) -> int:
        try:
            return self._popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError(f"{self.exe} (pid {self.pid}) still running after {timeout:g} s; "
                               f"output: {self.output()[-2000:]}") from None

    def kill(self) -> None:
        if self._popen.poll() is None:
            _trace(f"kill {Path(self.exe).name} (pid {self.pid})")
            _kill_pid(self.pid)
            try:
                self._popen.wait(10)
            except subprocess.TimeoutExpired:
                pass

    def output(self) -> str:
        try:
            return self.log.read_text(errors="replace")
        except FileNotFoundError:
            return ""

    def win_pid(self, timeout: float = 10) -> int:
        """Windows process id, found by image name (the newest such process)."""
        name = Path(self.exe).name.lower()
        if not name.endswith(".exe"):
            name += ".exe"

        def find():
            procs = [p for p in self._wine.probe.processes() if p["exe"].lower() == name]
            return procs[-1]["pid"] if procs else None

        return wait_for(find, timeout, f"Windows process of {self.exe}")

    def __repr__(self) -> str:
        return f"WineProcess({self.exe}, pid={self.pid})"


_BUILTINS = {"reg", "regedit", "cmd", "notepad", "wineboot", "winecfg", "explorer", "start",
             "control", "taskmgr", "winver", "wordpad", "rundll32", "msiexec", "cacls",
             "attrib", "xcopy", "whoami", "hostname", "ipconfig", "net", "tasklist", "taskkill"}


_WINE_SERVICES = {"services.exe", "winedevice.exe", "plugplay.exe", "svchost.exe", "rpcss.exe",
                  "conhost.exe", "wineboot.exe", "mscorsvw.exe"}


class Wine:
    """One Wine prefix bound to one Display for the whole session."""

    def __init__(self, prefix: Path, display: Display, tmp: Path, home: Path):
        self.prefix = prefix
        self.display = display
        self.tmp = tmp
        self.drive_c = prefix / "drive_c"
        self.env = dict(display.env, WINEPREFIX=str(prefix), WINEARCH="win32", WINEDEBUG="-all",
                        WINEDLLOVERRIDES=WINE_DLL_OVERRIDES, HOME=str(home))
        users = [p for p in (self.drive_c / "users").iterdir()
                 if p.name != "Public" and p.is_dir()] if (self.drive_c / "users").is_dir() else []
        self.user_dir = users[0] if users else self.drive_c / "users" / os.environ.get("USER", "root")
        self.appdata = self.user_dir / "AppData" / "Roaming"
        self._procs: list[WineProcess] = []
        self._drives: list[Path] = []
        self.used = False
        self._baseline: set[int] = set()
        self.screen: dict = {}
        self.probe = Probe(self)

    # -- processes

    def _resolve(self, exe) -> str:
        exe = str(exe)
        if os.sep in exe or os.path.exists(exe):
            return str(Path(exe).resolve())
        bare = exe[:-4] if exe.lower().endswith(".exe") else exe
        if bare.lower() in _BUILTINS:
            return exe
        return str(exe_path(exe))

    def start(self, exe, *args, cwd=None, env=None) -> WineProcess:
        path = self._resolve(exe)
        self.used = True
        log = self.tmp / f"proc-{next(_counter)}-{Path(path).stem}.log"
        full_env = dict(self.env)
        if env:
            full_env.update(env)
        with open(log, "wb") as out:
            popen = subprocess.Popen(["wine", path, *map(str, args)], env=full_env,
                                     cwd=str(cwd) if cwd else str(self.tmp),
                                     stdin=subprocess.DEVNULL, stdout=out, stderr=out)
        proc = WineProcess(popen, log, path, self)
        self._procs.append(proc)
        _trace(f"start {Path(path).name} {' '.join(map(str, args))} (pid {proc.pid})")
        return proc

    def run(self, exe, *args, timeout: float = 60, cwd=None, env=None) -> int:
        proc = self.start(exe, *args, cwd=cwd, env=env)
        try:
            return proc.wait(timeout)
        except TimeoutError:
            proc.kill()
            raise

    def start_pattern(self, x: int, y: int, w: int, h: int, cell: int = 10,
                      title: str = "Tamblit Pattern", timeout: float = 15) -> "PatternWindow":
        proc = self.start("pattern", "--rect", f"{x},{y},{w},{h}", "--cell", cell, "--title", title)
        win = self.probe.wait_window(caption=title, cls="TamblitPattern", visible=True,
                                     timeout=timeout)
        return PatternWindow(proc, (x, y, w, h), cell, win["hwnd"])

    # -- paths and drives

    def winpath(self, linux_path) -> str:
        p = Path(os.path.abspath(str(linux_path)))
        try:
            rel = p.relative_to(self.drive_c.resolve())
            return "C:\\" + str(rel).replace("/", "\\") if str(rel) != "." else "C:\\"
        except ValueError:
            pass
        try:
            rel = p.relative_to(self.drive_c)
            return "C:\\" + str(rel).replace("/", "\\") if str(rel) != "." else "C:\\"
        except ValueError:
            return "Z:" + str(p).replace("/", "\\")

    def linuxpath(self, win_path: str) -> Path:
        m = re.match(r"^([A-Za-z]):[\\/]?(.*)$", win_path)
        if not m:
            raise ValueError(f"not a drive path: {win_path}")
        letter, rest = m.group(1).lower(), m.group(2).replace("\\", "/")
        base = Path(os.path.realpath(self.prefix / "dosdevices" / f"{letter}:"))
        return base / rest if rest else base

    def map_drive(self, letter: str, linux_dir) -> str:
        letter = letter.rstrip(":").lower()
        link = self.prefix / "dosdevices" / f"{letter}:"
        if link.is_symlink() or link.exists():
            link.unlink()
        link.symlink_to(Path(linux_dir).resolve())
        self._drives.append(link)
        return f"{letter.upper()}:\\"

    # -- registry (through the probe: live from wineserver)

    def reg_values(self, key: str):
        code, data = self.probe.run("regget", "--key", key)
        if code != 0:
            raise RuntimeError(f"regget {key}: {data}")
        if not data.get("exists"):
            return None
        return {name: (v["type_name"] or v["type"], _reg_data(v))
                for name, v in data["values"].items()}

    def reg_subkeys(self, key: str):
        code, data = self.probe.run("regget", "--key", key)
        if code != 0:
            raise RuntimeError(f"regget {key}: {data}")
        return data["subkeys"] if data.get("exists") else None

    def reg_query(self, key: str, value: str | None = None):
        values = self.reg_values(key)
        if values is None:
            return None
        return values.get(value or "")

    def reg_raw(self, key: str, value: str | None = None) -> bytes | None:
        code, data = self.probe.run("regget", "--key", key)
        if code != 0 or not data.get("exists"):
            return None
        v = data["values"].get(value or "")
        return bytes.fromhex(v["hex"]) if v else None

    def reg_set(self, key: str, value: str | None, data, type: str = "REG_SZ") -> None:
        args = ["--key", key, "--value", value or "", "--type", type]
        if isinstance(data, (bytes, bytearray)):
            args += ["--hex", bytes(data).hex()]
        else:
            args += ["--data", str(data)]
        code, out = self.probe.run("regset", *args)
        if code != 0:
            raise RuntimeError(f"regset {key} {value}: {out}")

    def reg_delete_value(self, key: str, value: str | None) -> bool:
        code, out = self.probe.run("regdel", "--key", key, "--value", value or "")
        if code not in (0, 1):
            raise RuntimeError(f"regdel {key} {value}: {out}")
        return code == 0

    def reg_delete_key(self, key: str) -> bool:
        code, out = self.probe.run("regdel", "--key", key)
        if code not in (0, 1):
            raise RuntimeError(f"regdel {key}: {out}")
        return code == 0

    # -- X input

    def xwindow_id(self, window) -> int | None:
        caption = window
        if isinstance(window, int):
            found = self.probe.find_window(hwnd=window)
            if not found:
                return None
            caption = found["caption"]
        out = self.display.xdotool("search", "--name", f"^{_ere_escape(caption)}$", check=False)
        ids = [int(x) for x in out.split()]
        return ids[0] if ids else None

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
        for tray in self.probe.list(cls="__winex11_standalone_tray"):
            icons += [c for c in tray["children"] if c["class"] == "__winex11_tray_icon"
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

    wait_for = staticmethod(wait_for)

    # -- lifetime

    def end_test(self) -> None:
        """Kills what the test started and unmaps its drives."""
        for proc in self._procs:
            proc.kill()
        started = bool(self._procs) or self.used
        self._procs.clear()
        self.used = False
        for link in self._drives:
            if link.is_symlink():
                link.unlink()
        self._drives.clear()
        if not started:
            return
        # The pointer goes back to the bottom right corner, away from the tray
        # and from where the next test will click.
        try:
            self.display.move_pointer(self.display.width - 1, self.display.height - 1)
        except Exception:  # noqa: BLE001
            pass
        # Windows processes that were not there when the prefix was made were
        # started by the test, directly or by a program it ran (a folder window,
        # a second copy of a program): ended by Windows process id. Wine's own
        # services, which start on demand, stay.
        try:
            procs = self.probe.processes()
            for p in procs:
                if (p["pid"] not in self._baseline and p["exe"].lower() not in _WINE_SERVICES
                        and p["exe"].lower() != "uiprobe.exe"):
                    self.probe.terminate(p["pid"])
                elif p["exe"].lower() in _WINE_SERVICES:
                    self._baseline.add(p["pid"])
        except Exception:  # noqa: BLE001 - cleanup must not hide the test's own result
            pass

    def shutdown(self) -> None:
        for proc in self._procs:
            proc.kill()
        subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        try:
            subprocess.run(["wineserver", "-w"], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        except subprocess.TimeoutExpired:
            pass

    def __repr__(self) -> str:
        return f"Wine({self.prefix} on {self.display.name})"


def _reg_data(v: dict):
    t = v["type_name"]
    if t in ("REG_SZ", "REG_EXPAND_SZ", "REG_DWORD", "REG_MULTI_SZ"):
        return v["data"]
    return bytes.fromhex(v["hex"])


def make_base_prefix(path: Path, home: Path, log: Path) -> None:
    """wineboot -i into ``path`` (about 12 s), then waits for Wine to go quiet."""
    env = dict(os.environ, WINEPREFIX=str(path), WINEARCH="win32", WINEDEBUG="-all",
               WINEDLLOVERRIDES=WINE_DLL_OVERRIDES, HOME=str(home))
    env.pop("DISPLAY", None)
    with open(log, "ab") as out:
        r = subprocess.run(["wineboot", "-i"], env=env, stdin=subprocess.DEVNULL, stdout=out,
                           stderr=out, timeout=300)
        subprocess.run(["wineserver", "-w"], env=env, stdin=subprocess.DEVNULL, stdout=out,
                       stderr=out, timeout=120)
    if r.returncode != 0 or not (path / "system.reg").is_file():
        raise RuntimeError(f"wineboot failed ({r.returncode}): {log.read_text(errors='replace')}")
    if _unmanaged_windows():
        with open(log, "ab") as out:
            subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                            "/d", "N", "/f"], env=env, stdin=subprocess.DEVNULL, stdout=out,
                           stderr=out, timeout=120)
            subprocess.run(["wineserver", "-w"], env=env, stdin=subprocess.DEVNULL, stdout=out,
                           stderr=out, timeout=120)
    # Desktop, Documents... are links to the home folder of the moment: made
    # real folders of the prefix, so that nothing a program saves there lands
    # outside it (or in a folder that is gone in the next session).
    for user in (path / "drive_c" / "users").iterdir():
        for link in user.iterdir():
            if link.is_symlink():
                link.unlink()
                link.mkdir()


def _unmanaged_windows() -> bool:
    return os.environ.get("TAMBLIT_E2E_MANAGED", "0") != "1"


# Bumped when make_base_prefix changes what it makes.
_PREFIX_RECIPE = "1"


def cached_base_prefix(session_root: Path, home: Path) -> Path:
    """The freshly booted prefix, made once and kept in <repo>/build/e2e-prefix-cache
    (``TAMBLIT_E2E_CACHE`` names another folder; ``0`` makes one per session)."""
    where = os.environ.get("TAMBLIT_E2E_CACHE", "")
    log = session_root / "wineboot.log"
    if where == "0":
        base = session_root / "base-prefix"
        make_base_prefix(base, home, log)
        return base
    cache = Path(where) if where else REPO / "build" / "e2e-prefix-cache"
    version = subprocess.run(["wine", "--version"], stdin=subprocess.DEVNULL, capture_output=True,
                             text=True, timeout=60).stdout.strip() or "wine"
    name = re.sub(r"[^A-Za-z0-9.]+", "-", f"{version}-r{_PREFIX_RECIPE}-"
                  f"{'unmanaged' if _unmanaged_windows() else 'managed'}")
    final = cache / name
    if (final / "complete").is_file():
        return final
    cache.mkdir(parents=True, exist_ok=True)
    for part in cache.glob("*.part-*"):  # left by a run that was killed while booting
        owner = part.name.rsplit("-", 1)[1]
        if owner.isdigit() and not _pid_alive(int(owner)):
            shutil.rmtree(part, ignore_errors=True)
    work = cache / f"{name}.part-{os.getpid()}"
    shutil.rmtree(work, ignore_errors=True)
    make_base_prefix(work, home, log)
    (work / "complete").write_text(version + "\n")
    try:
        work.rename(final)
    except OSError:  # another session finished first
        shutil.rmtree(work, ignore_errors=True)
    return final


_HARDLINK_SKIP = {".ini", ".log", ".txt", ".dat", ".reg"}


def copy_prefix(src: Path, dst: Path) -> None:
    """Copies a prefix; the large system files under drive_c/windows are hard
    links (nothing writes to them), everything else a real copy."""
    windows = src / "drive_c" / "windows"

    def copy(s, d):
        sp = Path(s)
        if sp.suffix.lower() not in _HARDLINK_SKIP and windows in sp.parents:
            try:
                os.link(s, d)
                return d
            except OSError:
                pass
        return shutil.copy2(s, d)

    shutil.copytree(src, dst, symlinks=True, copy_function=copy,
                    ignore=lambda d, names: ["complete"] if Path(d) == src else [])


def start_wine(base: Path, name: str, display: Display, root: Path, home: Path) -> Wine:
    prefix = root / name
    copy_prefix(base, prefix)
    tmp = root / f"{name}-files"
    tmp.mkdir()
    wine = Wine(prefix, display, tmp, home)
    # A wineserver that stays for the whole session, and Wine's desktop (with
    # the tray) started now on this display, so that they do not inherit the
    # log files of the first test's program.
    sys_log = root / f"{name}-wine.log"
    with open(sys_log, "ab") as out:
        subprocess.run(["wineserver", "-p"], env=wine.env, stdin=subprocess.DEVNULL, stdout=out,
                       stderr=out, timeout=60)
        code, info = wine.probe.run("screen", timeout=120, log=out)
    if code != 0:
        raise RuntimeError(f"probe failed in new prefix: {info} {sys_log.read_text(errors='replace')}")
    wine.screen = info
    wine._baseline = {p["pid"] for p in wine.probe.processes()}
    return wine


# ---------------------------------------------------------------- the UI probe

class HotKeyListener:
    def __init__(self, proc: WineProcess, out: Path):
        self.proc, self.out = proc, out

    def result(self, timeout: float = 30) -> dict:
        self.proc.wait(timeout)
        return json.loads(self.out.read_text())


class Probe:
    """Drives tests/drivers/uiprobe.exe inside one Wine prefix."""

    def __init__(self, wine: Wine):
        self._wine = wine

    @staticmethod
    def _sel(caption=None, cls=None, hwnd=None, pid=None, exe=None) -> list[str]:
        args: list[str] = []
        if caption is not None:
            args += ["--caption", caption]
        if cls is not None:
            args += ["--class", cls]
        if hwnd is not None:
            args += ["--hwnd", str(hwnd)]
        if pid is not None:
            args += ["--pid", str(pid)]
        if exe is not None:
            args += ["--exe", exe]
        return args

    def run(self, command: str, *args, timeout: float = 30, log=None):
        """Runs one probe command; returns (exit code, parsed JSON or {})."""
        w = self._wine
        out = w.tmp / f"probe-{next(_counter)}.json"
        exe = str(exe_path("uiprobe"))
        started = time.monotonic()
        cmd = ["wine", exe, "--out", w.winpath(out), command, *map(str, args)]
        if log is None:
            log_path = w.tmp / "probe.log"
            with open(log_path, "ab") as f:
                r = subprocess.Popen(cmd, env=w.env, cwd=str(w.tmp), stdin=subprocess.DEVNULL,
                                     stdout=f, stderr=f)
        else:
            r = subprocess.Popen(cmd, env=w.env, cwd=str(w.tmp), stdin=subprocess.DEVNULL,
                                 stdout=log, stderr=log)
        try:
            code = r.wait(timeout)
        except subprocess.TimeoutExpired:
            _kill_pid(r.pid)
            r.wait(10)
            raise TimeoutError(f"uiprobe {command} {' '.join(map(str, args))} did not finish "
                               f"in {timeout:g} s") from None
        try:
            data = json.loads(out.read_text(encoding="utf-8"))
        except (FileNotFoundError, ValueError):
            data = {}
        finally:
            out.unlink(missing_ok=True)
        _trace(f"probe {command} {' '.join(map(str, args))} -> {code} "
               f"in {time.monotonic() - started:.2f} s")
        return code, data

    def _check(self, command: str, *args, timeout: float = 30) -> dict:
        code, data = self.run(command, *args, timeout=timeout)
        if code != 0:
            raise AssertionError(f"uiprobe {command} {' '.join(map(str, args))}: exit {code}, "
                                 f"{data.get('error', data)}")
        return data

    # -- looking

    def list(self, **sel) -> list[dict]:
        return self._check("list", *self._sel(**sel))["windows"]

    def find_window(self, **sel) -> dict | None:
        windows = self.list(**sel)
        return windows[0] if windows else None

    def _describe(self) -> str:
        try:
            return ", ".join(f"{w['caption']!r}/{w['class']}" + ("" if w["visible"] else "(hidden)")
                             for w in self.list())
        except Exception as e:  # noqa: BLE001
            return f"(cannot list: {e})"

    def wait_window(self, timeout: float = 10, visible: bool = False, **sel) -> dict:
        args = self._sel(**sel) + ["--timeout", str(int(timeout * 1000))]
        if visible:
            args.append("--visible")
        code, data = self.run("wait", *args, timeout=timeout + 30)
        if code != 0:
            raise AssertionError(f"window {sel} did not appear in {timeout:g} s; windows now: "
                                 f"{self._describe()}")
        return data["window"]

    def wait_gone(self, timeout: float = 10, **sel) -> None:
        args = self._sel(**sel) + ["--timeout", str(int(timeout * 1000)), "--gone"]
        code, data = self.run("wait", *args, timeout=timeout + 30)
        if code != 0:
            raise AssertionError(f"window {sel} still there after {timeout:g} s")

    def controls(self, **sel) -> list[dict]:
        win = self.find_window(**sel)
        if win is None:
            raise AssertionError(f"no window {sel}; windows now: {self._describe()}")
        return win["children"]

    def control(self, id=None, ctlclass=None, **sel) -> dict:
        kids = self.controls(**sel)
        classes = {c.lower() for c in ctlclass.split("|")} if ctlclass else None
        match = [c for c in kids if (id is None or c["id"] == id)
                 and (classes is None or c["class"].lower() in classes)]
        if not match:
            raise AssertionError(f"no control id={id} class={ctlclass} in {sel}; controls: "
                                 + ", ".join(f"{c['id']}/{c['class']}/{c['text']!r}" for c in kids))
        match.sort(key=lambda c: not c["visible"])
        return match[0]

    def processes(self) -> list[dict]:
        return self._check("procs")["processes"]

    def screen(self) -> dict:
        return self._check("screen")

    # -- acting

    def press(self, id: int, bm_click: bool = False, ctlclass=None, **sel) -> dict:
        args = self._sel(**sel) + ["--id", str(id)]
        if ctlclass:
            args += ["--ctlclass", ctlclass]
        if bm_click:
            args.append("--bmclick")
        return self._check("press", *args)

    def command(self, id: int, **sel) -> dict:
        return self._check("command", *self._sel(**sel), "--id", str(id))

    def post(self, msg: int, wparam: int = 0, lparam: int = 0, **sel) -> dict:
        return self._check("post", *self._sel(**sel), "--msg", str(msg), "--wparam",
                           str(wparam & 0xFFFFFFFF), "--lparam", str(lparam))

    def close(self, all: bool = False, **sel) -> dict:
        return self._check("close", *self._sel(**sel), *(["--all"] if all else []))

    def set_text(self, id: int, text: str, ctlclass=None, **sel) -> str:
        args = self._sel(**sel) + ["--id", str(id), "--text", text]
        if ctlclass:
            args += ["--ctlclass", ctlclass]
        return self._check("settext", *args)["text"]

    def save_dialog_answer(self, path, caption=None, timeout: float = 10) -> dict:
        path = str(path)
        if path.startswith("/"):
            path = self._wine.winpath(path)
        sel = {"cls": "#32770"}
        if caption is not None:
            sel["caption"] = caption
        self.wait_window(timeout=timeout, visible=True, **sel)
        # The dialog's child controls may still be in creation right after it shows.
        return wait_for(lambda: self._try("savefile", *self._sel(**sel), "--path", path),
                        timeout, f"file dialog {caption!r} to take the file name")

    def _try(self, command, *args):
        code, data = self.run(command, *args)
        return data if code == 0 else None

    def message_box_text(self, caption: str, timeout: float = 10) -> str:
        self.wait_window(caption=caption, cls="#32770", visible=True, timeout=timeout)

        def text():
            try:
                return self.control(id=65535, ctlclass="Static", caption=caption,
                                    cls="#32770")["text"] or None
            except AssertionError:
                return None

        return wait_for(text, timeout, f"text of message box {caption!r}")

    def answer_message_box(self, caption: str, button: int = 1, timeout: float = 10) -> str:
        text = self.message_box_text(caption, timeout)
        self.press(button, ctlclass="Button", caption=caption, cls="#32770")
        return text

    def focus(self, id=None, **sel) -> dict:
        args = self._sel(**sel) + (["--id", str(id)] if id is not None else [])
        return self._check("focus", *args)

    def keys(self, keys: str, id=None, **sel) -> dict:
        args = self._sel(**sel) + (["--id", str(id)] if id is not None else [])
        return self._check("keys", *args, "--keys", keys)

    def hotkey_free(self, keys: str) -> bool:
        return self._check("hotkeyfree", "--keys", keys)["free"]

    def listen_hotkey(self, keys: str, timeout: float = 10) -> HotKeyListener:
        w = self._wine
        out = w.tmp / f"hotkey-{next(_counter)}.json"
        proc = w.start("uiprobe", "--out", w.winpath(out), "hotkey", "--keys", keys,
                       "--timeout", str(int(timeout * 1000)))
        ready = Path(str(out) + ".ready")
        wait_for(lambda: ready.exists() or out.exists(), 30, "hot key listener to register")
        return HotKeyListener(proc, out)

    def clipboard(self) -> dict:
        """Formats on the Windows clipboard (list of dict(id, name)) and its CF_TEXT."""
        return self._check("clipboard")

    def clipboard_dib(self) -> "Bmp | None":
        """The clipboard's CF_DIB as a BMP (file header added), or None."""
        out = self._wine.tmp / f"clip-{next(_counter)}.bmp"
        data = self._check("clipboard", "--path", self._wine.winpath(out))
        try:
            return read_bmp(out) if data.get("dib_written") else None
        finally:
            out.unlink(missing_ok=True)

    def clear_clipboard(self) -> None:
        self._check("clipclear")

    def terminate(self, win_pid: int) -> bool:
        code, _ = self.run("terminate", "--pid", str(win_pid))
        return code == 0

    def capture(self, x: int, y: int, w: int, h: int, bpp: int = 24) -> "Bmp":
        out = self._wine.tmp / f"capture-{next(_counter)}.bmp"
        self._check("capture", "--rect", f"{x},{y},{w},{h}", "--bpp", str(bpp),
                    "--path", self._wine.winpath(out))
        try:
            return read_bmp(out)
        finally:
            out.unlink(missing_ok=True)


# ---------------------------------------------------------------- pattern

PATTERN_COLOURS = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def pattern_colour(x: int, y: int, rect, cell: int = 10):
    """Colour pattern.exe paints at screen pixel (x, y); None outside ``rect``."""
    rx, ry, rw, rh = rect
    if not (rx <= x < rx + rw and ry <= y < ry + rh):
        return None
    cx, cy = (x - rx) // cell, (y - ry) // cell
    return PATTERN_COLOURS[(7 * cx + 11 * cy + cx * cy) % 16]


class PatternWindow:
    def __init__(self, proc: WineProcess, rect, cell: int, hwnd: int):
        self.proc, self.rect, self.cell, self.hwnd = proc, tuple(rect), cell, hwnd

    def colour_at(self, x: int, y: int):
        return pattern_colour(x, y, self.rect, self.cell)


def compare_to_pattern(bmp: "Bmp", origin, rect, cell: int = 10, limit: int = 20) -> list:
    """Mismatches between a picture whose top left is screen point ``origin``
    and the pattern in ``rect``; only pixels inside both are compared."""
    ox, oy = origin
    rx, ry, rw, rh = rect
    bad = []
    for y in range(max(ry, oy), min(ry + rh, oy + bmp.height)):
        row = bmp.row(y - oy)
        for x in range(max(rx, ox), min(rx + rw, ox + bmp.width)):
            got = row[x - ox]
            want = pattern_colour(x, y, rect, cell)
            if got != want:
                bad.append(((x, y), got, want))
                if len(bad) >= limit:
                    return bad
    return bad


# ---------------------------------------------------------------- BMP files

class Bmp:
    """A parsed BMP file (BITMAPCOREHEADER, BITMAPINFOHEADER, V4 or V5)."""

    def __init__(self, data: bytes):
        self.data = bytes(data)
        d = self.data
        if len(d) < 26 or d[:2] != b"BM":
            raise ValueError("not a BMP file (no 'BM' signature)")
        self.file_size, _r1, _r2, self.offbits = struct.unpack_from("<IHHI", d, 2)
        self.header_size = struct.unpack_from("<I", d, 14)[0]
        masks = None
        if self.header_size == 12:
            w, h, self.planes, self.bpp = struct.unpack_from("<HHHH", d, 18)
            self.width, height = w, h
            self.compression = 0
            self.image_size = self.xppm = self.yppm = self.clr_used = self.clr_important = 0
            entry = 3
        elif self.header_size in (40, 52, 56, 108, 124):
            if len(d) < 14 + 40:
                raise ValueError("truncated BITMAPINFOHEADER")
            (self.width, height, self.planes, self.bpp, self.compression, self.image_size,
             self.xppm, self.yppm, self.clr_used, self.clr_important) = struct.unpack_from(
                "<iiHHIIiiII", d, 18)
            entry = 4
            if self.compression == 3:  # BI_BITFIELDS
                if self.header_size >= 52:
                    masks = struct.unpack_from("<III", d, 14 + 40)
                else:
                    masks = struct.unpack_from("<III", d, 14 + self.header_size)
        else:
            raise ValueError(f"unknown BMP header size {self.header_size}")
        if self.planes != 1:
            raise ValueError(f"planes is {self.planes}")
        if self.bpp not in (1, 4, 8, 16, 24, 32):
            raise ValueError(f"unsupported bit count {self.bpp}")
        if self.compression not in (0, 3):
            raise ValueError(f"unsupported compression {self.compression}")
        if self.width <= 0 or height == 0:
            raise ValueError(f"bad size {self.width} x {height}")
        self.top_down = height < 0
        self.height = abs(height)
        if self.bpp <= 8:
            count = self.clr_used or (1 << self.bpp)
            if count > (1 << self.bpp):
                raise ValueError(f"{count} colours for {self.bpp} bits")
        else:
            count = self.clr_used
        table = 14 + self.header_size + (12 if masks is not None and self.header_size == 40 else 0)
        if table + count * entry > len(d):
            raise ValueError("truncated colour table")
        self.palette = [(d[table + i * entry + 2], d[table + i * entry + 1], d[table + i * entry])
                        for i in range(count)]
        self.masks = masks or ((0x7C00, 0x03E0, 0x001F) if self.bpp == 16 else None)
        self.stride = ((self.width * self.bpp + 31) // 32) * 4
        if self.offbits + self.stride * self.height > len(d):
            raise ValueError(f"pixel data truncated: need {self.offbits + self.stride * self.height}"
                             f" bytes, file has {len(d)}")

    def _row_offset(self, y: int) -> int:
        if not 0 <= y < self.height:
            raise IndexError(y)
        line = y if self.top_down else self.height - 1 - y
        return self.offbits + line * self.stride

    def index(self, x: int, y: int) -> int:
        if self.bpp > 8:
            raise ValueError("not a palette picture")
        if not 0 <= x < self.width:
            raise IndexError(x)
        off = self._row_offset(y)
        bit = x * self.bpp
        byte = self.data[off + bit // 8]
        shift = 8 - self.bpp - (bit % 8)
        return (byte >> shift) & ((1 << self.bpp) - 1)

    def pixel(self, x: int, y: int):
        if self.bpp <= 8:
            return self.palette[self.index(x, y)]
        if not 0 <= x < self.width:
            raise IndexError(x)
        off = self._row_offset(y)
        if self.bpp == 24:
            b, g, r = self.data[off + 3 * x: off + 3 * x + 3]
            return (r, g, b)
        if self.bpp == 32 and self.compression == 0:
            b, g, r = self.data[off + 4 * x: off + 4 * x + 3]
            return (r, g, b)
        size = self.bpp // 8
        v = int.from_bytes(self.data[off + size * x: off + size * x + size], "little")
        return tuple(_scale(v, m) for m in self.masks)

    def row(self, y: int) -> list:
        off = self._row_offset(y)
        if self.bpp == 24:
            raw = self.data[off: off + 3 * self.width]
            return [(raw[i + 2], raw[i + 1], raw[i]) for i in range(0, len(raw), 3)]
        if self.bpp == 32 and self.compression == 0:
            raw = self.data[off: off + 4 * self.width]
            return [(raw[i + 2], raw[i + 1], raw[i]) for i in range(0, len(raw), 4)]
        return [self.pixel(x, y) for x in range(self.width)]


def _scale(v: int, mask: int) -> int:
    if not mask:
        return 0
    shift = (mask & -mask).bit_length() - 1
    bits = bin(mask).count("1")
    value = (v & mask) >> shift
    return (value * 255 + ((1 << bits) - 1) // 2) // ((1 << bits) - 1)


def read_bmp(source) -> Bmp:
    """Parses a BMP from a path or bytes."""
    if isinstance(source, (bytes, bytearray)):
        return Bmp(source)
    return Bmp(Path(source).read_bytes())


# ---------------------------------------------------------------- session

def clean_dead_sessions() -> None:
    """Ends what an earlier test run left behind when it was killed before it
    could clean up: its wineservers (by prefix) and Xvfb servers (by PID, when
    still Xvfb), and removes its folder. Runs whose process lives are left alone."""
    for root in Path(tempfile.gettempdir()).glob("tamblit-e2e-*"):
        try:
            record = json.loads((root / "session.json").read_text())
        except (OSError, ValueError):
            continue
        if _pid_alive(record.get("pid", 0)):
            continue
        for prefix in record.get("prefixes", []):
            if Path(prefix).is_dir():
                env = dict(os.environ, WINEPREFIX=prefix)
                subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        for pid in record.get("xvfb", []):
            try:
                exe = os.readlink(f"/proc/{pid}/exe")
            except OSError:
                continue
            if os.path.basename(exe) == "Xvfb":
                _kill_pid(pid)
        shutil.rmtree(root, ignore_errors=True)


class Session:
    """Displays and prefixes of one pytest run, made on first use."""

    def __init__(self):
        keep = os.environ.get("TAMBLIT_E2E_KEEP") == "1"
        clean_dead_sessions()
        self.root = Path(tempfile.mkdtemp(prefix="tamblit-e2e-"))
        self.keep = keep
        self._record: dict = {"pid": os.getpid(), "xvfb": [], "prefixes": []}
        self._save_record()
        self.home = self.root / "home"
        self.home.mkdir()
        self.displays: dict[tuple, Display] = {}
        self.wines: dict[str, Wine] = {}
        self._base: Path | None = None

    def display(self, width: int, height: int, depth: int) -> Display:
        key = (width, height, depth)
        if key not in self.displays:
            self.displays[key] = Display(width, height, depth, self.root)
            self._record["xvfb"].append(self.displays[key].pid)
            self._save_record()
        return self.displays[key]

    def _save_record(self) -> None:
        (self.root / "session.json").write_text(json.dumps(self._record))

    def base_prefix(self) -> Path:
        if self._base is None:
            exe_path("uiprobe")  # skip before spending 12 s when there is nothing to test
            self._base = cached_base_prefix(self.root, self.home)
        return self._base

    def wine(self, name: str, display: Display) -> Wine:
        if name not in self.wines:
            self._record["prefixes"].append(str(self.root / name))
            self._save_record()
            self.wines[name] = start_wine(self.base_prefix(), name, display, self.root, self.home)
        return self.wines[name]

    def end_test(self) -> None:
        for w in self.wines.values():
            w.end_test()

    def close(self) -> None:
        for w in self.wines.values():
            try:
                w.shutdown()
            except Exception:  # noqa: BLE001
                pass
        for d in self.displays.values():
            d.stop()
        if self.keep:
            print(f"\ne2e files kept in {self.root}")
        else:
            shutil.rmtree(self.root, ignore_errors=True)
