"""Wine programs of the end-to-end harness: the ``Wine`` object of a prefix
(fixtures ``wine24``, ``wine8``, ``wine``) and the ``WineProcess`` it starts.

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
``wait_for(...)``: the same as harness_util's.
``press_keys``, ``focus_window``, ``xwindow_id``, ``click``, ``tray_window``,
    ``tray_icons``, ``click_tray_icon``, ``x_clipboard``, ``x_clipboard_targets``: X input, see
    harness_display.
``screen`` dict: the probe's ``screen()`` taken when the prefix was made.
``generation``: Wine's major version (8 on the machine, 10 in the root
    filesystem of tools/wine10-root.sh); ``wine_generation()`` the same
    without a prefix. Tests branch on it only for what Wine itself does
    differently, never to excuse the program.
``start_pattern(...)``: see harness_pictures.

``end_test()`` ends what a test started (see harness_session for what is
cleaned up after each test and after the run).

Crashes: winedbg is disabled (WINEDLLOVERRIDES), so a crashing program ends at
once with exit code 5 (page fault) or similar and "Unhandled page fault" in
``proc.output()``, instead of hanging in a debugger.
"""

from __future__ import annotations

import os
import re
import subprocess
from pathlib import Path

from harness_display import Display, XInput
from harness_pictures import PatternWindow
from harness_probe import Probe
from harness_util import _counter, _kill_pid, _trace, exe_path, wait_for

# winedbg is off so that a crashing program ends at once instead of waiting for a
# debugger; winemenubuilder would write menu entries into the real home.
WINE_DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"


_generation: int | None = None


def wine_generation() -> int:
    """Major version of the Wine on PATH ("wine-10.0 (Debian ...)" -> 10)."""
    global _generation
    if _generation is None:
        out = subprocess.run(["wine", "--version"], stdin=subprocess.DEVNULL, capture_output=True,
                             text=True, timeout=60).stdout
        m = re.match(r"wine-(\d+)", out.strip())
        _generation = int(m.group(1)) if m else 0
    return _generation


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
             "attrib", "xcopy", "whoami", "hostname", "ipconfig", "net", "tasklist", "taskkill",
             "uninstaller", "winefile", "winemine"}


_WINE_SERVICES = {"services.exe", "winedevice.exe", "plugplay.exe", "svchost.exe", "rpcss.exe",
                  "conhost.exe", "wineboot.exe", "mscorsvw.exe"}


class Wine(XInput):
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
        self.generation = wine_generation()
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
            d = self.display
            d.move_pointer(d.width - 1 - d.origin[0], d.height - 1 - d.origin[1])
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
