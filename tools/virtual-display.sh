# Sourced by the tools that need a display of their own. start_virtual_display
# SIZE (e.g. 1024x768x24) starts Xvfb on the first free display number, sets
# DISPLAY and xvfb_pid, and waits until the server answers; the caller stops
# it by PID. -noreset keeps the screen's contents when the last client leaves
# (without it a capture comes back as one flat colour).
start_virtual_display() {
    local size=$1 n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "$size" -noreset -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 300); do
        xdpyinfo >/dev/null 2>&1 && return 0
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    printf 'Xvfb did not answer on %s\n' "$DISPLAY" >&2
    return 1
}

# Stops the display that start_virtual_display started, if any.
stop_virtual_display() {
    if [ -n "${xvfb_pid:-}" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    return 0
}
