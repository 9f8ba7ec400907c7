"""The picker on the screen in the benchmark: the desktop frozen alone, the
picker opened and painted, one pointer move repainted (bench/picker_bench_win.cpp),
beside a whole `xwd -root` in the same run, and the real X key to the picker
mapped in the resident program. Called by bench_snapshot.py (figure 5)."""

import subprocess
import time

import harness
from bench_snapshot import HEIGHT, SETTINGS, WIDTH, fig, hotkey_run, ratio
from harness_monitors import start_monitors


def picker_run(wine, runs, xwd_runs):
    out = wine.tmp / "picker.txt"
    xwd_file = wine.tmp / "root.xwd"
    figures = {"freeze": [], "open": [], "move": [], "drag": [], "xwd": []}
    for _ in range(xwd_runs):
        t = time.perf_counter()
        subprocess.run(["xwd", "-root", "-silent", "-out", str(xwd_file)], env=wine.display.env, check=True)
        figures["xwd"].append((time.perf_counter() - t) * 1000)
    xwd_file.unlink(missing_ok=True)
    wine.run(harness.exe_path("picker_bench"), wine.winpath(out), runs, timeout=600)
    for line in out.read_text().splitlines():
        f = line.split()
        if len(f) == 2 and f[0] in figures:
            figures[f[0]].append(float(f[1]))
    out.unlink()
    return figures


def resident_picker_run(wine, watcher, presses):
    """The resident tamblit95 picking on the screen: the real X key to the
    "Snapshot Area" window mapped, each picker closed with Escape."""
    wine.reg_delete_key(SETTINGS)
    wine.reg_set(SETTINGS + r"\Source", "Area", "Selected")
    wine.reg_set(SETTINGS + r"\Source", "Picker", "Screen")
    wine.reg_set(SETTINGS + r"\Preferences", "Sound", "Off")
    proc = wine.start("tamblit95")
    wine.probe.wait_window(caption="Tamblit 95", cls="#32770", visible=True, timeout=60)
    wine.probe.wait_gone(caption="Tamblit 95", cls="#32770", timeout=60)
    harness.wait_for(lambda: not wine.probe.hotkey_free("ctrl+shift+s"), 30, "hot key held")
    times = []
    for _ in range(presses):
        # As a user finds it: the next picker's window built ahead.
        harness.wait_for(lambda: any(w["visible"] and not w["caption"]
                                     for w in wine.probe.list(cls="tamblit95 area")), 30, "picker built ahead")
        wine.focus_window(wine.tray_window())
        t0 = time.time()
        wine.display.xdotool("key", "ctrl+shift+s")
        times.append((watcher.mapped("Snapshot Area", t0) - t0) * 1000)
        wine.probe.keys("esc", caption="Snapshot Area")
        wine.probe.wait_gone(caption="Snapshot Area", timeout=30)
    proc.kill()
    proc.wait(30)
    return times


def picker_figures(session, wine, watcher, runs, rounds, xwd_runs, presses):
    key_to_picker, key_to_frozen = [], []
    for _ in range(rounds):
        key_to_picker += resident_picker_run(wine, watcher, presses)
        key_to_frozen += [row["frozen"] for row in hotkey_run(wine, watcher, presses)]
    wines = {f"{WIDTH}x{HEIGHT}": wine, "three monitors": start_monitors(session)}
    gathered = {name: {} for name in wines}
    for r in range(rounds):
        for name in (list(wines) if r % 2 == 0 else list(wines)[::-1]):
            for key, values in picker_run(wines[name], runs, xwd_runs).items():
                gathered[name].setdefault(key, []).extend(values)
            session.end_test()
    print(f"5. Picking on the screen, {rounds} alternating rounds, ms")
    for name, f in gathered.items():
        print(f"   {name}")
        print(f"     xwd -root, whole process      {fig(f['xwd'])}")
        print(f"     desktop frozen alone          {fig(f['freeze'])}  {ratio(f['freeze'], f['xwd'])} xwd")
        if name == f"{WIDTH}x{HEIGHT}":
            print(f"     X key to desktop frozen       {fig(key_to_frozen)}")
            print(f"     X key to picker mapped        {fig(key_to_picker)}  "
                  f"{ratio(key_to_picker, key_to_frozen)} key to frozen, {ratio(key_to_picker, f['xwd'])} xwd")
        print(f"     picker open, painted          {fig(f['open'])}  {ratio(f['open'], f['freeze'])} frozen "
              "alone (goal 1.5x)")
        print(f"     pointer move repainted        {fig(f['move'])}  (goal 8 ms or less)")
        print(f"     move with a band repainted    {fig(f['drag'])}")
