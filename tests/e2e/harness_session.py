"""The session of the end-to-end harness: displays and prefixes of one pytest
run, and what is cleaned up after each test and after the run.

Fixtures (tests/e2e/conftest.py)
--------------------------------
``display24``, ``display8``  (session) -> ``Display`` (harness_display)
    Xvfb at 1024x768x24 and at 640x480x8 (a palette display).
``wine24``, ``wine8``  (session) -> ``Wine`` (harness_wine)
    A Wine prefix of its own bound to ``display24`` / ``display8``, made as
    harness_prefix says.
``wine``  (function) -> ``Wine``: shorthand for ``wine24``.
``monitors3``  (session) -> ``Wine`` on a display of three monitors
    (harness_monitors).
``Session.wine(name, display, dpi=None)`` makes further prefixes, for example
    one at another scale on a display of its own (tests/e2e/test_scaling.py).
``tmp_path`` as usual; ``build_dir`` (session) -> Path of the Windows build.

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
"""

from __future__ import annotations

import json
import os
import shutil
import subprocess
import tempfile
from pathlib import Path

from harness_display import Display
from harness_prefix import cached_base_prefix, start_wine
from harness_util import _kill_pid, _pid_alive, exe_path
from harness_wine import Wine


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

    def display(self, width: int, height: int, depth: int, monitors=None) -> Display:
        key = (width, height, depth, tuple(monitors or ()))
        if key not in self.displays:
            self.displays[key] = Display(width, height, depth, self.root, monitors)
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

    def wine(self, name: str, display: Display, dpi: int | None = None,
             desktop: tuple[int, int] | None = None) -> Wine:
        if name not in self.wines:
            self._record["prefixes"].append(str(self.root / name))
            self._save_record()
            self.wines[name] = start_wine(self.base_prefix(), name, display, self.root, self.home,
                                          dpi, desktop)
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
