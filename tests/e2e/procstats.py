"""What a Windows process holds (GDI objects, windows, handles, memory), read
from outside it by tests/drivers/procstats.exe in the same prefix."""

import json

import harness


def process_stats(wine: "harness.Wine", win_pid: int) -> dict:
    """{"gdi", "user", "handles", "private", "workingset", "peakprivate",
    "peakworkingset"} of the Windows process ``win_pid`` (memory in bytes, the
    peaks since it started); -1 where Wine could not tell."""
    out = wine.tmp / f"procstats-{win_pid}.json"
    out.unlink(missing_ok=True)
    code = wine.run(harness.exe_path("procstats"), "--out", wine.winpath(out), win_pid, timeout=30)
    if code != 0:
        raise AssertionError(f"procstats {win_pid}: exit {code}")
    data = json.loads(out.read_text())
    out.unlink()
    return data
