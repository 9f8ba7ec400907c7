#!/usr/bin/env bash
# Builds the snapshot benchmark, runs it on its own 1920x1080x24 virtual
# display in a fresh Wine prefix and prints the figures. Everything it starts
# is stopped again and the prefix removed, also when it fails.
#   BUILD_DIR (default build/win32) is the Windows build directory to use.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/win32}

cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" -j2 --target snap_bench >/dev/null
exe="$PWD/$build/bench/snap_bench.exe"

work=$(mktemp -d)
xvfb_pid=""
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses; -noreset keeps the screen's contents when the
# last client leaves.
display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1920x1080x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done

wineboot -i >/dev/null 2>&1
wineserver -w
wine "$exe" 'C:\bench.txt' "${1:-15}" >/dev/null 2>&1 || echo "snap_bench.exe reported a failure" >&2
cat "$WINEPREFIX/drive_c/bench.txt"
