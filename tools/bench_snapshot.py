"""Figures of the snapshot path beside ``xwd -root``, all on one 1920x1080x24
display in one run (tools/run-bench.sh runs this). Prints medians with their
spread (min-max, n) and the ratios; asserts nothing.

  1. capture, conversion and 4096-byte writes at 24 and 8 bits
     (snap_bench.exe) in rounds that alternate with whole ``xwd -root``
     processes; the first capture of each process beside the later ones.
  2. hot key to frozen pixels, to the DIB filled and to the Save dialog shown,
     through the real X key (hotkey_bench.exe, the program's own capture and
     dialog code, warmed up at start as the program is): first press beside
     later presses.
  3. the resident tamblit95: hot key to its Save dialog mapped on the X
     display, first press after start-up beside later ones, and its memory
     idle and at the peak of a full-screen snapshot; with --peer, another
     build's tamblit95.exe started in turn with this one, and the ratios.
  4. scale: the 24-bit snapshot path (capture, conversion, write) per
     megapixel at 640x480, 1920x1080, 3840x2160 and a desktop of three
     monitors (3200x1680, tests/e2e/harness_monitors.py), each beside the
     1920x1080 figure, and the working set at the peak of one snapshot
     beside the compatible bitmap + the DIB, with the buffer Wine brings the
     copy from the screen through reported apart.
  5. the picker on the screen (picker_bench.exe), at 1920x1080 and on three
     monitors, each beside whole ``xwd -root`` processes on the same display:
     the desktop frozen alone, the picker opened (frozen, up and painted) and
     one pointer move repainted, without a button and with a band.
"""

import argparse
import re
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

import harness  # noqa: E402
from harness_monitors import start_monitors  # noqa: E402
from procstats import process_stats  # noqa: E402

WIDTH, HEIGHT = 1920, 1080
SETTINGS = r"HKCU\Software\Tamblit\Tamblit95"
SAVE_CAPTION = "Save Snapshot"
IDCANCEL = 2


def fig(values) -> str:
    if not values:
        return "n/a"
    return (f"{statistics.median(values):8.1f} ({min(values):.1f}-{max(values):.1f}, "
            f"n={len(values)})")


def ratio(a, b) -> str:
    return f"{statistics.median(a) / statistics.median(b):5.2f}x" if a and b else "  n/a"


class MapWatcher:
    """Wall-clock moments at which top-level X windows are mapped, from xev."""

    def __init__(self, display):
        self.display = display
        self.maps: list[tuple[float, str]] = []
        self.names: dict[str, str] = {}
        self._proc = subprocess.Popen(
            ["stdbuf", "-oL", "xev", "-root", "-event", "substructure", "-display", display.name],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        stamp = None
        for line in self._proc.stdout:
            if line.startswith("MapNotify"):
                stamp = time.time()
            elif stamp is not None:
                m = re.search(r"window (0x[0-9a-f]+)", line)
                if m:
                    # Named now: a dialog cancelled at once is gone a moment later.
                    self.name(m.group(1))
                    self.maps.append((stamp, m.group(1)))
                stamp = None

    def name(self, window: str) -> str:
        if window not in self.names:
            self.names[window] = self.display.xdotool("getwindowname", int(window, 16),
                                                      check=False).strip()
        return self.names[window]

    def mapped(self, caption: str, after: float, timeout: float = 30) -> float:
        def find():
            for stamp, window in list(self.maps):
                if stamp >= after and self.name(window) == caption:
                    return stamp
            return None
        return harness.wait_for(find, timeout, f"{caption!r} mapped")

    def stop(self):
        self._proc.terminate()
        self._proc.wait(5)


def stage_figures(wine, rounds, runs, xwd_runs):
    out = wine.tmp / "bench.txt"
    xwd_file = wine.tmp / "root.xwd"
    stages = {bits: {"capture": [], "convert": [], "write": [], "memcpy": [], "first": []}
              for bits in (24, 8)}
    xwd = []

    def time_xwd():
        for _ in range(xwd_runs):
            t = time.perf_counter()
            subprocess.run(["xwd", "-root", "-silent", "-out", str(xwd_file)], env=wine.display.env,
                           check=True)
            xwd.append((time.perf_counter() - t) * 1000)

    def snap_bench():
        wine.run(harness.exe_path("snap_bench"), wine.winpath(out), runs, timeout=600)
        for line in out.read_text().splitlines():
            f = line.split()
            if f and f[0] == "run":
                s = stages[int(f[1])]
                for key, value in zip(("capture", "convert", "write", "memcpy"), f[2:]):
                    s[key].append(float(value))
            elif f and f[0] == "first":
                stages[int(f[1])]["first"].append(float(f[2]))

    for r in range(rounds):
        for step in ((time_xwd, snap_bench) if r % 2 == 0 else (snap_bench, time_xwd)):
            step()
    xwd_file.unlink(missing_ok=True)

    print(f"1. Stages of a {WIDTH}x{HEIGHT} snapshot, {rounds} alternating rounds, ms")
    print(f"   xwd -root, whole process        {fig(xwd)}")
    for bits, s in stages.items():
        total = [c + v + w for c, v, w in zip(s["capture"], s["convert"], s["write"])]
        print(f"   {bits:2d} bits capture                  {fig(s['capture'])}  {ratio(s['capture'], xwd)} xwd")
        print(f"   {bits:2d} bits first capture/process   {fig(s['first'])}  "
              f"{ratio(s['first'], s['capture'])} later")
        print(f"   {bits:2d} bits conversion               {fig(s['convert'])}  "
              f"{ratio(s['convert'], s['memcpy'])} memcpy {fig(s['memcpy'])}")
        print(f"   {bits:2d} bits 4096-byte writes         {fig(s['write'])}")
        print(f"   {bits:2d} bits capture+conversion+write {fig(total)}  {ratio(total, xwd)} xwd")
    return xwd


def split_runs(runs, value):
    """First presses of each process, and all later presses."""
    return [value(r[0]) for r in runs], [value(x) for r in runs for x in r[1:]]


def hotkey_run(wine, watcher, presses):
    """One hotkey_bench process; a dict of ms after the key per press."""
    out = wine.tmp / "hotkey.txt"
    out.unlink(missing_ok=True)
    proc = wine.start(harness.exe_path("hotkey_bench"), wine.winpath(out), presses)
    harness.wait_for(lambda: out.exists() and "ready" in out.read_text(), 60, "hotkey_bench ready")
    wine.focus_window("Hotkey Bench")
    rows = []
    for i in range(presses):
        t0 = time.time()
        wine.display.xdotool("key", "ctrl+shift+s")
        line = harness.wait_for(
            lambda: next((l for l in out.read_text().splitlines() if l.startswith(f"press {i + 1} ")),
                         None), 60, f"press {i + 1}")
        f = line.split()
        values = {f[k]: float(f[k + 1]) for k in range(2, len(f), 2)}  # ms since 1970
        values["mapped"] = watcher.mapped(SAVE_CAPTION, t0) * 1000
        rows.append({k: v - t0 * 1000 for k, v in values.items()})
        if i + 1 < presses:
            wine.focus_window("Hotkey Bench")
    proc.wait(60)
    return rows


def hotkey_figures(wine, watcher, starts, presses, xwd):
    runs = [hotkey_run(wine, watcher, presses) for _ in range(starts)]

    print("2. Hot key stages (program's capture and Save dialog code), ms after xdotool key")
    for key, label in (("arrived", "WM_HOTKEY arrives"), ("frozen", "pixels frozen"),
                       ("converted", "DIB block filled"), ("shown", "Save dialog visible"),
                       ("mapped", "Save dialog mapped on X")):
        first, later = split_runs(runs, lambda r: r[key])
        print(f"   {label:24s} first {fig(first)}  later {fig(later)}  "
              f"first/later {ratio(first, later)}  later {ratio(later, xwd)} xwd")
    parts = {"key to frozen": lambda r: r["frozen"],
             "conversion": lambda r: r["converted"] - r["frozen"],
             "dialog creation": lambda r: r["shown"] - r["converted"]}
    for label, part in parts.items():
        first, later = split_runs(runs, part)
        print(f"   part: {label:17s} first {fig(first)}  later {fig(later)}")


def resident_run(wine, watcher, presses, exe="tamblit95"):
    """One start of tamblit95: key-to-dialog times and memory readings."""
    proc = wine.start(exe)
    wine.probe.wait_window(caption="Tamblit 95", cls="#32770", visible=True, timeout=60)
    wine.probe.wait_gone(caption="Tamblit 95", cls="#32770", timeout=60)
    harness.wait_for(lambda: not wine.probe.hotkey_free("ctrl+shift+s"), 30, "hot key held")
    win_pid = proc.win_pid()
    idle = process_stats(wine, win_pid)
    times, during = [], []
    for _ in range(presses):
        wine.focus_window(wine.tray_window())
        t0 = time.time()
        wine.display.xdotool("key", "ctrl+shift+s")
        times.append((watcher.mapped(SAVE_CAPTION, t0) - t0) * 1000)
        during.append(process_stats(wine, win_pid))
        wine.probe.wait_window(caption=SAVE_CAPTION, cls="#32770", visible=True, timeout=30)
        wine.probe.press(IDCANCEL, caption=SAVE_CAPTION, cls="#32770")
        harness.wait_for(lambda: not [w for w in wine.probe.list(caption=SAVE_CAPTION, cls="#32770")
                                      if w["visible"]], 30, "Save dialog closed")
    after = process_stats(wine, win_pid)
    proc.kill()
    proc.wait(30)
    return times, idle, during, after


def resident_figures(wine, watcher, starts, presses, peer=None):
    folder = wine.drive_c / "bench-snaps"
    folder.mkdir(exist_ok=True)
    wine.reg_delete_key(SETTINGS)
    wine.reg_set(SETTINGS + r"\Directories", "SnapshotDir", wine.winpath(folder) + "\\")
    runs, peer_runs = [], []
    for _ in range(starts):
        if peer:
            peer_runs.append(resident_run(wine, watcher, presses, peer))
        runs.append(resident_run(wine, watcher, presses))
    if peer:
        print(f"3. Peer build {peer}")
        peer_first, peer_later = print_resident(peer_runs)
        print("3. This build")
    first, later = print_resident(runs)
    if peer:
        idle, peer_idle = (statistics.median(r[1]["private"] for r in rs) for rs in (runs, peer_runs))
        print(f"   this build / peer: idle private {idle / peer_idle:.2f}x, first press "
              f"{ratio(first, peer_first)}, later presses {ratio(later, peer_later)}")


def print_resident(runs):
    times, idle, during, after = runs[-1]

    mb = 1 / (1 << 20)
    bitmap = WIDTH * HEIGHT * 4  # a compatible bitmap of the 32-bit display
    dib = 40 + WIDTH * HEIGHT * 3
    first, later = split_runs([r[0] for r in runs], lambda t: t)
    print("3. Resident tamblit95, hot key to its Save dialog mapped on X, ms")
    print(f"   first press after start-up {fig(first)}  later {fig(later)}  first/later {ratio(first, later)}")
    print("   memory, MB                  private  working set")
    print(f"   idle                        {idle['private'] * mb:7.1f}  {idle['workingset'] * mb:7.1f}")
    for label, s in (("first snapshot, dialog up", during[0]), ("later snapshot, dialog up", during[-1]),
                     ("after all, idle again", after)):
        print(f"   {label:27s} {s['private'] * mb:7.1f}  {s['workingset'] * mb:7.1f}")
    # Wine keeps a true peak of the working set only; private bytes are
    # sampled while the Save dialog is up.
    held = max(s["private"] for s in during)
    peak_ws = max(s["peakworkingset"] for s in during + [after])
    print(f"   peak working set            {'':7s}  {peak_ws * mb:7.1f}")
    budget = bitmap + dib
    print(f"   bitmap + DIB {budget * mb:.1f} MB; peak working set - idle {(peak_ws - idle['workingset']) * mb:.1f} MB "
          f"({(peak_ws - idle['workingset']) / budget:.2f}x of it); private held while the Save dialog "
          f"waits - idle {(held - idle['private']) * mb:.1f} MB ({(held - idle['private']) / budget:.2f}x)")
    print(f"   GDI/USER/handles idle {idle['gdi']}/{idle['user']}/{idle['handles']}, "
          f"after {after['gdi']}/{after['user']}/{after['handles']}")
    return first, later


SCALE_DISPLAYS = [(640, 480), (1920, 1080), (3840, 2160), "three monitors"]


def scale_run(wine, runs, memory):
    """The header, the 24-bit runs' (capture, conversion, write) in ms, and,
    when asked, the memory line's fields."""
    out = wine.tmp / "scale.txt"
    wine.run(harness.exe_path("snap_bench"), wine.winpath(out), runs, timeout=900)
    header = out.read_text().splitlines()[0]
    runs24 = [list(map(float, f[2:5])) for f in (l.split() for l in out.read_text().splitlines())
              if f[:2] == ["run", "24"]]
    fields = []
    if memory:
        wine.run(harness.exe_path("snap_bench"), wine.winpath(out), runs, "memory", timeout=300)
        fields = [int(v) for v in out.read_text().split()[1:]]
    out.unlink()
    return header, runs24, fields


def scale_figures(session, runs, rounds):
    # Every display is up before the first round, and the rounds visit them
    # in turn, forwards then backwards: a machine that slows or speeds up
    # during the run weighs on every size alike.
    wines = {}
    for size in SCALE_DISPLAYS:
        if size == "three monitors":
            wines[size] = start_monitors(session)
        else:
            # One prefix per display: the 1920x1080 one is the stages' own.
            name = "bench" if size == (WIDTH, HEIGHT) else f"scale{size[0]}x{size[1]}"
            wines[size] = session.wine(name, session.display(size[0], size[1], 24))
    gathered = {size: ["", [], []] for size in SCALE_DISPLAYS}
    for r in range(rounds):
        for size in (SCALE_DISPLAYS if r % 2 == 0 else SCALE_DISPLAYS[::-1]):
            header, runs24, fields = scale_run(wines[size], runs, memory=(r == 0))
            gathered[size][0] = header
            gathered[size][1] += runs24
            gathered[size][2] = fields or gathered[size][2]
            session.end_test()
    rows = []
    for size in SCALE_DISPLAYS:
        header, runs24, fields = gathered[size]
        stages = [statistics.median(column) for column in zip(*runs24)] if runs24 else []
        rows.append((size, header, [sum(r) for r in runs24], fields, stages))

    mb = 1 / (1 << 20)
    per_mp = {}
    print(f"4. Scale: 24-bit capture+conversion+write per megapixel, {rounds} alternating rounds of {runs} runs; "
          "memory of one snapshot")
    sizes = {}
    for size, header, totals, _, _ in rows:
        w, h = (int(v) for v in re.findall(r"desktop (\d+) x (\d+)", header)[0])
        sizes[size] = (w, h)
        per_mp[size] = [t / (w * h / 1e6) for t in totals]
    for size, header, totals, _, stages in rows:
        w, h = sizes[size]
        print(f"   {w:4d}x{h:<4d} {w * h / 1e6:5.2f} MP  total {fig(totals)}  ms/MP {fig(per_mp[size])}  "
              f"{ratio(per_mp[size], per_mp.get((1920, 1080), []))} of 1920x1080")
        if stages:
            print(f"   {'':9s} ms/MP by stage: capture {stages[0] / (w * h / 1e6):.1f}  conversion "
                  f"{stages[1] / (w * h / 1e6):.1f}  write {stages[2] / (w * h / 1e6):.1f}")
    medians = [statistics.median(v) for v in per_mp.values() if v]
    if medians:
        print(f"   ms/MP largest/smallest {max(medians) / min(medians):.2f}x (aim: within 1.25x)")
    print("   memory, MB      bitmap+DIB  peak-idle  Wine copy buffer  peak-idle without it (x bitmap+DIB)")
    for size, header, _, m, _ in rows:
        if len(m) != 7:
            print(f"   {str(size):15s} n/a")
            continue
        idle, copy_peak, after_copy, with_dib, end_peak, bitmap, dib = m
        buffer = max(copy_peak - after_copy, 0)
        # The peak came either during the copy (bitmap + Wine's buffer), and
        # then what the program itself held at most is the bitmap + the DIB
        # once filled, or later, while the DIB was filled.
        own = (end_peak if end_peak > copy_peak else max(with_dib, after_copy)) - idle
        print(f"   {str(size):15s} {(bitmap + dib) * mb:10.1f}  {(end_peak - idle) * mb:9.1f}  "
              f"{buffer * mb:16.1f}  {own * mb:9.1f} ({own / (bitmap + dib):.2f}x; aim: 1.10x or less)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--runs", type=int, default=15, help="snapshots per snap_bench process")
    parser.add_argument("--xwd", type=int, default=15, help="xwd processes per round")
    parser.add_argument("--presses", type=int, default=6, help="hot key presses per process")
    parser.add_argument("--starts", type=int, default=3, help="processes started for the hot key figures")
    parser.add_argument("--figures", default="12345", help="which figures to take (1, 2, 3, 4, 5)")
    parser.add_argument("--peer", help="another build's tamblit95.exe, whose resident figures are taken in turn with ours")
    parser.add_argument("--scale-runs", type=int, default=10, help="snapshots per process for the scale figures (4)")
    parser.add_argument("--scale-rounds", type=int, default=8, help="processes per display for the scale figures (4)")
    args = parser.parse_args()

    session = harness.Session()
    try:
        if set("1235") & set(args.figures):
            display = session.display(WIDTH, HEIGHT, 24)
            wine = session.wine("bench", display)
            watcher = MapWatcher(display)
            try:
                xwd = stage_figures(wine, args.rounds, args.runs, args.xwd) if "1" in args.figures else []
                if "2" in args.figures:
                    hotkey_figures(wine, watcher, args.starts, args.presses, xwd)
                if "3" in args.figures:
                    resident_figures(wine, watcher, args.starts, args.presses, args.peer)
                if "5" in args.figures:
                    from bench_picker import picker_figures
                    picker_figures(session, wine, watcher, 5, 3, args.xwd, args.presses)
            finally:
                watcher.stop()
                session.end_test()
        if "4" in args.figures:
            scale_figures(session, args.scale_runs, args.scale_rounds)
    finally:
        session.close()


if __name__ == "__main__":
    main()
