"""Figures of the "Edit Snapshot" window (bench/editor_bench_win.cpp): the
whole desktop captured at 24 bits and opened in the editor, on a 1920x1080x24
display of text and gradients and on a desktop of three monitors; and a
made-up picture the size of three 4K monitors (11520x2160). Prints medians
with their spread: capture, capture to the editor on the screen (goal
100 ms), one drag step of a rectangle repainted (goal 16 ms), and the memory
the editor holds beside the picture (goal: the picture, one undo copy a mark,
the screen's buffer). Asserts nothing; tools/run-bench.sh runs it."""

import argparse
import statistics
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

import harness  # noqa: E402
from bench_png import show_picture  # noqa: E402
from bench_snapshot import fig  # noqa: E402
from harness_monitors import start_monitors  # noqa: E402

MB = 1 / 2**20


def runs(wine, n, size=None):
    rows = []
    for i in range(n):
        out = wine.tmp / f"editor-bench-{i}.txt"
        wine.run(harness.exe_path("editor_bench"), wine.winpath(out), *([size] if size else []),
                 timeout=300)
        f = out.read_text().split()
        rows.append([float(v) for v in f[1:]])
    return rows


def report(label, rows):
    if not rows:
        print(f"   {label}: no figures")
        return
    col = lambda i: [r[i] for r in rows]
    w, h = int(rows[0][0]), int(rows[0][1])
    picture = statistics.median(col(6))
    print(f"   {label} ({w}x{h}):")
    print(f"     capture                         {fig(col(2))}")
    print(f"     capture to editor on screen     {fig(col(3))}   (goal 100 ms)")
    print(f"     drag step repainted, median     {fig(col(4))}   (goal 16 ms)")
    print(f"     drag step repainted, slowest    {fig(col(5))}")
    growth = statistics.median(col(8))
    print(f"     picture {picture * MB:.1f} MB; the dragged mark's undo copy {statistics.median(col(7)) * MB:.1f} MB; "
          f"working set grown by {growth * MB:.1f} MB when open "
          f"({(growth - picture) * MB:+.1f} MB beside the picture: the window's surface, the screen's "
          f"buffer Wine keeps, and its controls; the editor paints from the picture itself)")
    print(f"     building the editor's window ahead, hidden {fig(col(11))}   (not on the key's path)")
    print(f"     the hidden editor built ahead holds {statistics.median(col(10)) * MB:.1f} MB at idle "
          f"(working set, counted in the growth above)")
    print(f"     sent back whole: {int(sum(col(9)))} of {len(rows)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    session = harness.Session()
    try:
        display = session.display(1920, 1080, 24)
        wine = session.wine("benchedit", display)
        with tempfile.TemporaryDirectory() as tmp:
            show_picture(display, Path(tmp))
        print("6. The Edit Snapshot window, ms")
        report("1920x1080 desktop", runs(wine, args.runs))
        report("three 4K monitors, made up", runs(wine, max(1, args.runs // 2), "11520x2160"))
        session.end_test()
        report("three monitors", runs(start_monitors(session), args.runs))
    finally:
        session.end_test()
        session.close()


if __name__ == "__main__":
    main()
