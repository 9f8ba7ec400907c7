"""Shared helpers of the end-to-end harness: where the Windows build is,
polling with a deadline, tracing, ending processes by PID.

The Windows build is found through ``TAMBLIT_WIN32_BUILD`` (a path, relative
ones are taken from the repository root; default ``build/win32``).

``exe_path(name)`` -> Path of a program of the build (skips the test when
    missing); ``build_dir()`` -> Path of the build.
``wait_for(predicate, timeout=10, what="...", interval=0.05)`` -> the first
    truthy result of ``predicate()``; on timeout raises AssertionError naming
    ``what``.
``read_file_when_stable(path, timeout)`` -> bytes: waits until a file exists
    and stops growing (a program writes it in several calls).

``TAMBLIT_E2E_TRACE=1`` prints every probe command and program start with its
duration to stderr (with ``pytest -s``).
"""

from __future__ import annotations

import itertools
import os
import signal
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]

# Numbers the files of probe answers and program logs of one run.
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
