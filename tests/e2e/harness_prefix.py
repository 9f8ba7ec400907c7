"""Wine prefixes of the end-to-end harness: made, cached and copied.

Each display gets a Wine prefix of its own (Wine's desktop, tray and clipboard
belong to the display of the first process); the second is a copy of the
first, made in a second. Its wineserver runs for the whole session. The freshly
booted prefix (``wineboot -i``, about 12 s) is kept in
``<repo>/build/e2e-prefix-cache`` for the next runs (``TAMBLIT_E2E_CACHE``
names another folder, ``TAMBLIT_E2E_CACHE=0`` boots one per session).

There is no window manager. Wine is told not to leave its windows to one
(``HKCU\\Software\\Wine\\X11 Driver`` ``Managed=N``): with managed windows and no
manager, Wine waits 2 s for a window state that never comes each time a dialog
or box is hidden. ``TAMBLIT_E2E_MANAGED=1`` keeps Wine's default. Nor may it
grab the X pointer (``GrabPointer=N``; see ``start_wine``).

``make_base_prefix(path, home, log)``, ``cached_base_prefix(session_root,
home)`` -> Path, ``copy_prefix(src, dst)``, ``start_wine(base, name, display,
root, home, dpi=None)`` -> ``Wine`` (used by ``Session``; ``dpi`` sets
``HKCU\\Control Panel\\Desktop`` ``LogPixels`` before Wine's server starts).
"""

from __future__ import annotations

import os
import re
import shutil
import subprocess
from pathlib import Path

from harness_display import Display
from harness_util import REPO, _pid_alive
from harness_wine import WINE_DLL_OVERRIDES, Wine


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


def set_user_value(prefix: Path, key: str, name: str, text: str) -> None:
    """Writes a string value into the prefix's user.reg while no Wine process
    runs in it (a value some part of Wine reads once, at its start)."""
    reg = prefix / "user.reg"
    lines = reg.read_text().split("\n")
    header = "[" + key.replace("\\", "\\\\") + "]"
    line = f'"{name}"="{text}"'
    at = next((i for i, l in enumerate(lines) if l == header or l.startswith(header + " ")), None)
    if at is None:
        lines += [header, line, ""]
    else:
        at += 1
        while at < len(lines) and lines[at].startswith("#"):  # the key's #time and #class
            at += 1
        lines.insert(at, line)
    reg.write_text("\n".join(lines))


def start_wine(base: Path, name: str, display: Display, root: Path, home: Path,
               dpi: int | None = None, desktop: tuple[int, int] | None = None) -> Wine:
    prefix = root / name
    copy_prefix(base, prefix)
    if desktop:
        # Every program of the prefix in one Wine desktop window of that size,
        # whose mode, unlike the X screen's, can be changed.
        set_user_value(prefix, r"Software\Wine\Explorer", "Desktop", "Default")
        set_user_value(prefix, r"Software\Wine\Explorer\Desktops", "Default", "%dx%d" % desktop)
    # Wine (10) clips the cursor to a foreground window that covers the only
    # monitor by grabbing the X pointer; that grab fails on this bare display,
    # and Wine retries it inside the window's message fetch for ever, so a
    # full-screen program never gets a message. Without the grab nothing
    # clips at the X level; Wine still keeps a clip of its own.
    set_user_value(prefix, r"Software\Wine\X11 Driver", "GrabPointer", "N")
    if display.monitors:
        # Wine reads several monitors from Xinerama only while it does not use
        # RandR (which, with its 32-bit library installed, reports one).
        set_user_value(prefix, r"Software\Wine\X11 Driver", "UseXRandR", "N")
    tmp = root / f"{name}-files"
    tmp.mkdir()
    wine = Wine(prefix, display, tmp, home)
    sys_log = root / f"{name}-wine.log"
    if dpi:
        # Wine reads the scale once, when its server starts.
        with open(sys_log, "ab") as out:
            subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                            "/t", "REG_DWORD", "/d", str(dpi), "/f"], env=wine.env,
                           stdin=subprocess.DEVNULL, stdout=out, stderr=out, timeout=120)
            subprocess.run(["wineserver", "-k"], env=wine.env, stdin=subprocess.DEVNULL, stdout=out,
                           stderr=out, timeout=60)
            subprocess.run(["wineserver", "-w"], env=wine.env, stdin=subprocess.DEVNULL, stdout=out,
                           stderr=out, timeout=60)
    # A wineserver that stays for the whole session, and Wine's desktop (with
    # the tray) started now on this display, so that they do not inherit the
    # log files of the first test's program.
    with open(sys_log, "ab") as out:
        subprocess.run(["wineserver", "-p"], env=wine.env, stdin=subprocess.DEVNULL, stdout=out,
                       stderr=out, timeout=60)
        code, info = wine.probe.run("screen", timeout=120, log=out)
    if code != 0:
        raise RuntimeError(f"probe failed in new prefix: {info} {sys_log.read_text(errors='replace')}")
    wine.screen = info
    wine._baseline = {p["pid"] for p in wine.probe.processes()}
    return wine
