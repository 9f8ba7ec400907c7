#!/usr/bin/env bash
# The main job: builds tamblit95.exe, starts it under Wine, takes one real
# snapshot of the full screen through its global hot key, saves it under the
# name the program proposes, and ends the program through the Exit button of
# its sign-on box, reached from the tray icon. Prints where the snapshot went.
#
# Uses the display in DISPLAY when one is set, otherwise starts a virtual one
# of its own. The Wine prefix lives in build/wineprefix and is kept between
# runs. Everything this script starts is stopped again when it ends.
#
# Environment: TAMBLIT_WIN32_BUILD  build directory (default build/win32)
#              TAMBLIT_TIMEOUT      seconds to wait for each step (default 60)
set -euo pipefail
exec </dev/null
cd "$(dirname "$0")/.."
root=$(pwd)

build=${TAMBLIT_WIN32_BUILD:-build/win32}
case "$build" in /*) ;; *) build=$root/$build ;; esac
timeout=${TAMBLIT_TIMEOUT:-60}

say() { printf 'run-main: %s\n' "$*" >&2; }
die() { say "$*"; exit 1; }

bash tools/install-deps.sh

if [ "$build" = "$root/build/win32" ]; then
    cmake --preset win32 >/dev/null
else
    cmake --preset win32 -B "$build" >/dev/null
fi
cmake --build "$build" -j"$(nproc)"

exe=$build/tamblit95.exe
probe=$build/drivers/uiprobe.exe
[ -f "$exe" ] || die "no $exe after the build"
[ -f "$probe" ] || die "no $probe after the build"

xvfb_pid=""
program_pid=""
export WINEPREFIX=$root/build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
work=$WINEPREFIX/drive_c/tamblit-main
work_win='C:\tamblit-main'

. tools/virtual-display.sh
cleanup() {
    local rc=$?
    set +e
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null
    fi
    # Ends the Wine processes of this prefix only (the program, explorer, services).
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
    fi
    stop_virtual_display
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- display ---------------------------------------------------------------
if [ -z "${DISPLAY:-}" ]; then
    start_virtual_display 1024x768x24 || die "no virtual display"
    say "virtual display $DISPLAY"
else
    say "using display $DISPLAY"
fi

# --- Wine prefix -----------------------------------------------------------
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "making the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
fi
# Another program of this prefix would confuse the single-instance check.
wineserver -k 2>/dev/null || true
mkdir -p "$work"
rm -f "$work"/*.json

# probe OUTNAME COMMAND [options]: runs uiprobe, its JSON answer in $work/OUTNAME.json.
probe() {
    local name=$1
    shift
    wine "$probe" --out "$work_win\\$name.json" "$@" >/dev/null 2>&1
}
# json OUTNAME PYTHON-EXPRESSION: evaluates the expression over the answer as `d`.
json() {
    /usr/bin/python3 -c 'import json, sys
d = json.load(open(sys.argv[1]))
print(eval(sys.argv[2]))' "$work/$1.json" "$2"
}
# A box with the given static text, from the "list" answer in OUTNAME.
has_text() {
    json "$1" "any(c['text'] == '$2' for w in d['windows'] if w['visible'] for c in w['children'])"
}

# --- start the program -------------------------------------------------------
say "starting $exe"
marker=$work/started
: >"$marker"
(cd "$build" && exec wine "$exe" >"$work/program.log" 2>&1) &
program_pid=$!

# The start-up sign-on: up, then gone after its three seconds.
probe signon wait --caption "Tamblit 95" --class "#32770" --visible --timeout $((timeout * 1000)) ||
    die "the start-up sign-on box did not appear"
probe signon-gone wait --caption "Tamblit 95" --class "#32770" --gone --timeout $((timeout * 1000)) ||
    die "the start-up sign-on box did not close"

# The hot key is registered right after the box closes: wait until it is taken.
deadline=$((SECONDS + timeout))
while :; do
    probe hotkey hotkeyfree --keys ctrl+shift+s || die "uiprobe hotkeyfree failed"
    [ "$(json hotkey "d['free']")" = False ] && break
    [ $SECONDS -lt $deadline ] || die "the program did not register Ctrl+Shift+S"
    sleep 0.2
done

# --- one snapshot through the hot key ---------------------------------------
# Without a desktop of its own, Wine shows the tray icons in a window of its
# own, "Wine System Tray". Hot keys reach Wine only while one of its windows
# has the X keyboard focus, and that window is there while the program runs.
# On a desktop whose own tray took the icon, the key is sent from inside Wine
# and the tray click is posted to the program instead.
tray=$(xdotool search --name '^Wine System Tray$' 2>/dev/null | head -n 1 || true)
say "pressing Ctrl+Shift+S"
if [ -n "$tray" ]; then
    xdotool windowfocus --sync "$tray"
    xdotool key --clearmodifiers ctrl+shift+s
else
    probe keys keys --keys ctrl+shift+s || die "could not send Ctrl+Shift+S"
fi

probe save wait --caption "Save Snapshot" --visible --timeout $((timeout * 1000)) ||
    die "the Save Snapshot dialog did not appear"
# The file name box: the edit with id 1148 (inside the combo box) or 1152.
proposed=$(json save "([c['text'] for c in d['window']['children'] if c['id'] in (1148, 1152) and c['class'].lower() == 'edit' and c['visible']] + ['?'])[0]")
say "saving under the proposed name $proposed"
probe press-save press --caption "Save Snapshot" --id 1 --ctlclass Button ||
    die "could not press Save"

deadline=$((SECONDS + timeout))
while :; do
    probe done list --caption "Tamblit 95" --class "#32770"
    [ "$(has_text done 'Snapshot file created.')" = True ] && break
    probe errors list --caption "Error" --class "#32770"
    if [ "$(json errors "len([w for w in d['windows'] if w['visible']])")" != 0 ]; then
        die "the program reported: $(json errors "[c['text'] for w in d['windows'] for c in w['children'] if c['id'] == 65535][0]")"
    fi
    [ $SECONDS -lt $deadline ] || die "no \"Snapshot file created.\" message"
    sleep 0.2
done
probe ok press --caption "Tamblit 95" --class "#32770" --id 1 --ctlclass Button ||
    die "could not close the message box"

snapshot=$(find "$WINEPREFIX/drive_c" -name 'snap[0-9][0-9][0-9].bmp' -newer "$marker" -print | head -n 1)
[ -n "$snapshot" ] || die "the snapshot file is not in the prefix"
size=$(stat -c %s "$snapshot")
printf 'Snapshot: %s (%s bytes)\n' "$snapshot" "$size"

# --- exit through the tray icon's sign-on box --------------------------------
probe signon-gone2 wait --caption "Tamblit 95" --class "#32770" --gone --timeout $((timeout * 1000)) ||
    die "the message box did not close"
if [ -n "$tray" ]; then
    probe tray list --class __winex11_standalone_tray
    icon=$(json tray "' '.join(str(v) for v in [((r[0] + r[2]) // 2, (r[1] + r[3]) // 2) for w in d['windows'] for c in w['children'] if c['class'] == '__winex11_tray_icon' and c['visible'] for r in [c['rect']]][0])")
    # shellcheck disable=SC2086 # two numbers, x and y
    xdotool mousemove --sync $icon click 1
else
    # WM_TRAYNOTIFY (WM_USER + 200) from icon 100 with WM_LBUTTONDOWN.
    probe tray post --class tamblit95 --msg 1224 --wparam 100 --lparam 513 ||
        die "could not reach the program's window"
fi
probe full wait --caption "Tamblit 95" --class "#32770" --visible --timeout $((timeout * 1000)) ||
    die "a click on the tray icon opened no sign-on box"
probe exit press --caption "Tamblit 95" --class "#32770" --id 1009 --ctlclass Button ||
    die "could not press Exit"

deadline=$((SECONDS + timeout))
while kill -0 "$program_pid" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || die "tamblit95.exe did not end after Exit"
    sleep 0.2
done
rc=0
wait "$program_pid" || rc=$?
program_pid=""
[ "$rc" -eq 0 ] || die "tamblit95.exe ended with code $rc"
say "tamblit95.exe ended with code 0"
