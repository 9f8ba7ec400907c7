"""The UI probe of the end-to-end harness: uiprobe.exe (tests/drivers/uiprobe/) run in
a prefix to look at and drive windows from inside Wine.

``Probe`` (``wine.probe``; runs drivers/uiprobe.exe of the build in the prefix)
-------------------------------------------------------------------------------
Window selectors (keyword arguments everywhere): ``caption`` (exact),
``cls`` (class name, ``"A|B"`` for either), ``hwnd``, ``pid`` (Windows PID),
``exe`` (image name, e.g. ``"tamblit95.exe"``). Visible windows come first.

``list(**sel)`` -> list of window dicts: ``hwnd, class, caption, pid, tid,
    exe, rect [l,t,r,b] (screen), client [w,h], visible, enabled, iconic,
    style, exstyle, owner, focus, active, capture (the last three: of the
    window's thread), children``. Each child: ``hwnd,
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
    palette [0xRRGGBB ...] on palette displays, cursor [x, y] as Wine has it).
``capture(x, y, w, h, bpp=24)`` -> ``Bmp``: a reference capture of a screen
    area with BitBlt + GetDIBits (independent of the program under test).
``link(path)`` -> dict(target, workdir, description) of a shell link, read with
    IShellLinkA; None when it cannot be loaded. ``version(path)`` -> dict of
    the version resource as GetFileVersionInfoA reads it (signature, filems,
    filels, productms, productls, language, codepage, strings {name: text}).
``text_fit(font=("MS Sans Serif", 8), **sel)`` -> list of dict(id, class, text,
    need [w, h], have [w, h]): each visible label's and button's text measured
    in the dialog's font at the display's resolution, with the room its box or
    edges take, against the control's client size.
``run(command, *args, timeout=30)`` -> (exit code, dict) for anything else.

Popup menus (TrackPopupMenu) are windows of class "#32768" whose items the
probe cannot read (menus live in the owning process under Wine). Choose an item
with keys while the menu is open (``probe.keys("down down enter")``), or close
it with ``probe.keys("esc")`` and post the command with ``probe.command(id,
hwnd=...)``.

Hot keys under Wine 8 (measured by test_harness.py): a hot key registered with
``RegisterHotKey`` is delivered both for X key events (``xdotool key``, but
only while a Wine window has the X focus) and for ``SendInput`` from another
Wine process (``probe.keys``), which needs no X focus at all. Prefer
``probe.keys(...)`` for hot keys and for typing into a control;
``press_keys`` exercises the real X path.
"""

from __future__ import annotations

import json
import subprocess
import time
from pathlib import Path
from typing import TYPE_CHECKING

from harness_pictures import Bmp, read_bmp
from harness_util import _counter, _kill_pid, _trace, exe_path, wait_for

if TYPE_CHECKING:
    from harness_wine import Wine, WineProcess


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

    def foreground(self) -> int:
        """The foreground window's handle (the listing itself matches no class)."""
        return self._check("list", "--class", "#none#")["foreground"]

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

    def set_mode(self, width: int, height: int) -> dict:
        return self._check("mode", "--value", f"{width}x{height}")

    def text_fit(self, font=("MS Sans Serif", 8), **sel) -> list[dict]:
        return self._check("textfit", *self._sel(**sel), "--value", f"{font[0]},{font[1]}")["controls"]

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

    def execute(self, path, *args, timeout: float = 60) -> HotKeyListener:
        """Starts a Windows program through the probe; .result()["code"] is its
        whole exit code (the one Wine hands to Linux keeps only 8 bits)."""
        w = self._wine
        out = w.tmp / f"exec-{next(_counter)}.json"
        text = ["--text", " ".join(map(str, args))] if args else []
        proc = w.start("uiprobe", "--out", w.winpath(out), "exec", "--path", w.winpath(path),
                       *text, "--timeout", str(int(timeout * 1000)))
        return HotKeyListener(proc, out)

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

    def clipboard_dib(self, bitmap: bool = False) -> "Bmp | None":
        """The clipboard's CF_DIB as a BMP (file header added), or None; with
        ``bitmap``, its CF_BITMAP read as a 24-bit BMP."""
        out = self._wine.tmp / f"clip-{next(_counter)}.bmp"
        data = self._check("clipboard", "--path", self._wine.winpath(out),
                           *(["--value", "bitmap"] if bitmap else []))
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

    def link(self, path) -> dict | None:
        code, data = self.run("link", "--path", self._wine.winpath(path))
        return data if code == 0 else None

    def version(self, path) -> dict:
        return self._check("version", "--path", self._wine.winpath(path))
