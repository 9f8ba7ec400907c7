#!/usr/bin/env bash
# The snapshot path measured beside `xwd -root`, in one run on one
# 1920x1080x24 virtual display (tools/bench_snapshot.py: stages, hot key to
# frozen pixels and to the Save dialog, the resident program's memory), then
# the endurance run: ENDURANCE (default 200) snapshots in a row with the
# program's GDI objects, windows, handles and memory read before and after,
# then PNG snapshots beside whole scrot, maim and xwd -root processes on a
# display of text and gradients (tools/bench_png.py; PNG_ROUNDS, default 4), then the
# Edit Snapshot window opened on the desktop (tools/bench_editor.py; EDITOR_RUNS, default 5).
# Prints figures and ratios; the measurement asserts nothing.
#   BUILD_DIR (default build/win32) is the Windows build directory to use.
#   Arguments go to bench_snapshot.py (--rounds, --runs, --xwd, --presses, --starts,
#   --figures 12345 to take only some figures; 5 is the picker on the screen, --peer OTHER/tamblit95.exe for a build to compare).
# Measure on a quiet machine: other Wine programs slow both sides unevenly.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/win32}

for tool in xwd scrot maim pngcheck; do
    command -v "$tool" >/dev/null || { bash tools/install-deps.sh; break; }
done
cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" -j2 >/dev/null
export TAMBLIT_WIN32_BUILD="$PWD/$build"

/usr/bin/python3 tools/bench_snapshot.py "$@" || echo "bench_snapshot.py failed; figures above are incomplete"
echo "4. Endurance: ${ENDURANCE:-200} full-screen snapshots in a row to each destination"
TAMBLIT_ENDURANCE=${ENDURANCE:-200} /usr/bin/python3 -m pytest tests/e2e/test_endurance.py -q -s -p no:cacheprovider 2>&1 |
    grep -E "^endurance|passed|failed" || true
/usr/bin/python3 tools/bench_png.py --rounds "${PNG_ROUNDS:-4}" || echo "bench_png.py failed; PNG figures are incomplete"
/usr/bin/python3 tools/bench_editor.py --runs "${EDITOR_RUNS:-5}" || echo "bench_editor.py failed; editor figures are incomplete"
