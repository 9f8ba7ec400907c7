#!/usr/bin/env bash
# Takes the README's picture of the help: builds tamblit95.hlp, opens it in
# Wine's help viewer on a virtual display of its own and saves the viewer's
# window as docs/help.png (or the path given as the first argument).
#
# The Wine prefix lives in build/help-prefix and is kept between runs.
# Everything this script starts is stopped again when it ends.
set -euo pipefail
exec </dev/null
cd "$(dirname "$0")/.."
root=$(pwd)
out=${1:-docs/help.png}
build=${TAMBLIT_WIN32_BUILD:-build/win32}
case "$build" in /*) ;; *) build=$root/$build ;; esac

say() { printf 'shoot-help: %s\n' "$*" >&2; }
die() { say "$*"; exit 1; }

cmake --preset win32 >/dev/null
cmake --build "$build" --target snap_help >/dev/null
hlp=$build/tamblit95.hlp
[ -f "$hlp" ] || die "no $hlp after the build"

export WINEPREFIX=$root/build/help-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""
. tools/virtual-display.sh
cleanup() {
    local rc=$?
    set +e
    [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null && wineserver -w 2>/dev/null
    stop_virtual_display
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_virtual_display 1024x768x24 || die "no virtual display"

[ -f "$WINEPREFIX/system.reg" ] || { say "making the Wine prefix $WINEPREFIX"; wineboot -i >/dev/null 2>&1; }
wine winhlp32 "Z:${hlp//\//\\}" >/dev/null 2>&1 &

# The viewer's X window is named by its caption; once found, wait until it
# has painted its text (more than a few colours in the picture).
mkdir -p "$(dirname "$out")"
for _ in $(seq 600); do
    id=$(xdotool search --onlyvisible --name 'Tamblit 95 Help' 2>/dev/null | head -n1 || true)
    if [ -n "$id" ]; then
        import -window "$id" -strip -define png:exclude-chunks=date,time "png:$out.part"
        [ "$(identify -format %k "$out.part")" -gt 16 ] && { mv "$out.part" "$out"; break; }
    fi
    sleep 0.1
done
[ -f "$out" ] || die "the help window did not appear"
say "saved $out"
