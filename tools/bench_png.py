"""PNG snapshots beside the screenshot tools people use on Linux, on one
1920x1080x24 display showing text and gradients (tools/bench_screen.py), in
one run: rounds alternate between png_bench.exe (capture, conversion and PNG
file, as the program takes them) and whole ``scrot``, ``maim`` and
``xwd -root`` processes. Prints medians with their spread (min-max, n), the
ratios, the file sizes and the memory a PNG snapshot holds; asserts nothing.
tools/run-bench.sh runs it after bench_snapshot.py."""

import argparse
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

import bench_screen  # noqa: E402
import harness  # noqa: E402
from bench_snapshot import fig, ratio  # noqa: E402

WIDTH, HEIGHT = 1920, 1080
PEERS = {
    "scrot": lambda out: ["scrot", "-o", str(out / "scrot.png")],
    "maim": lambda out: ["maim", str(out / "maim.png")],
    "xwd": lambda out: ["xwd", "-root", "-silent", "-out", str(out / "root.xwd")],
}


def show_picture(display, folder):
    picture = folder / "screen.png"
    bench_screen.make(WIDTH, HEIGHT).save(picture)
    # It sets the root window's background and exits, with status 1 even then.
    subprocess.run(["display-im6.q16", "-window", "root", str(picture)], env=display.env,
                   stderr=subprocess.DEVNULL)


def time_peer(name, folder, env, n, times):
    for _ in range(n):
        t = time.perf_counter()
        subprocess.run(PEERS[name](folder), env=env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        times[name].append((time.perf_counter() - t) * 1000)


def png_bench(wine, runs, stages, peaks):
    out = wine.tmp / "png_bench.txt"
    wine.run(harness.exe_path("png_bench"), wine.winpath(out), runs, timeout=600)
    for line in out.read_text().splitlines():
        f = line.split()
        if f and f[0] == "run":
            for key, value in zip(("capture", "convert", "png", "bytes"), f[1:]):
                stages[key].append(float(value))
        elif f and f[0] == "peak":
            peaks.append(tuple(int(v) for v in f[1:]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=4)
    parser.add_argument("--runs", type=int, default=10, help="PNG snapshots per png_bench process")
    parser.add_argument("--peer-runs", type=int, default=10, help="processes of each peer per round")
    args = parser.parse_args()

    session = harness.Session()
    try:
        display = session.display(WIDTH, HEIGHT, 24)
        wine = session.wine("benchpng", display)
        with tempfile.TemporaryDirectory() as tmp:
            folder = Path(tmp)
            show_picture(display, folder)
            times = {name: [] for name in PEERS}
            stages = {"capture": [], "convert": [], "png": [], "bytes": []}
            peaks = []
            steps = [lambda: png_bench(wine, args.runs, stages, peaks)] + [
                (lambda name=name: time_peer(name, folder, display.env, args.peer_runs, times))
                for name in PEERS]
            for r in range(args.rounds):
                for step in (steps if r % 2 == 0 else steps[::-1]):
                    step()
            sizes = {name: (folder / f"{name}.png").stat().st_size for name in ("scrot", "maim")}
        report(args.rounds, times, stages, peaks, sizes)
    finally:
        session.end_test()
        session.close()


# What zlib's deflate allocates per stream at window 15, memory level 6:
# (1 << (15 + 2)) + (1 << (6 + 9)) bytes, by zlib's own account.
ZLIB_STATE = (1 << 17) + (1 << 15)


def report(rounds, times, stages, peaks, sizes):
    total = [c + v + p for c, v, p in zip(stages["capture"], stages["convert"], stages["png"])]
    print(f"5. PNG snapshots of a {WIDTH}x{HEIGHT}x24 screen of text and gradients, "
          f"{rounds} alternating rounds, ms")
    for name, label in (("scrot", "scrot -o f.png"), ("maim", "maim f.png"), ("xwd", "xwd -root")):
        print(f"   {label:15s} whole process     {fig(times[name])}")
    print(f"   capture                           {fig(stages['capture'])}")
    print(f"   conversion                        {fig(stages['convert'])}")
    print(f"   PNG file (compression, writes)    {fig(stages['png'])}")
    print(f"   PNG snapshot, all three           {fig(total)}  {ratio(total, times['scrot'])} scrot "
          f"(goal 0.50x, stretch 0.35x)  {ratio(total, times['maim'])} maim  {ratio(total, times['xwd'])} xwd")
    ours = int(statistics.median(stages["bytes"])) if stages["bytes"] else 0
    print(f"   file bytes: ours {ours}, scrot {sizes['scrot']} ({ours / sizes['scrot']:.2f}x, goal 1.10x), "
          f"maim {sizes['maim']} ({ours / sizes['maim']:.2f}x); a bitmap {54 + WIDTH * HEIGHT * 3}")
    if peaks:
        # Each column's largest over the runs; -1: the file's stage could not be told apart.
        capture, buffer, file_peak, bitmap, dib = (max(column) for column in zip(*peaks))
        own = max(capture - buffer, file_peak)
        mb = 1 / 2**20
        print(f"   memory above start, MB: capture and conversion {capture * mb:.2f}, of it Wine's copy buffer "
              f"{buffer * mb:.2f}; file stage {file_peak * mb:.2f}" if file_peak >= 0 else
              f"   memory above start, MB: {capture * mb:.2f} (the file's stage not told apart)")
        print(f"   peak without Wine's buffer {own * mb:.2f} MB = {own / (bitmap + dib):.3f}x bitmap + DIB "
              f"({(bitmap + dib) * mb:.2f} MB); aim {(1.1 * (bitmap + dib) + 2 * ZLIB_STATE) * mb:.2f} MB "
              f"(1.10x + zlib's state of two streams)")

if __name__ == "__main__":
    main()
