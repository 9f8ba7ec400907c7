#!/usr/bin/env bash
# Builds everything and runs every test: the portable core's unit tests
# natively under AddressSanitizer and UBSan, the build's own tools (pytest,
# tests/tools), then the Windows programs end to end under Wine on virtual
# displays that the tests start and stop themselves: every test on the
# machine's Wine 8, and the tests marked wine10 (one case of each family) on
# Wine 10 at the same time, in a Debian 13 root filesystem (tools/wine10-root.sh, made on
# the first run while the rest builds and runs).
#
#   --wine10=marked   (the default) the marked tests on Wine 10
#   --wine10=all      every end-to-end test on Wine 10 as well
#   --wine10=none     the machine's Wine only
# Any other argument goes to pytest, in both lanes (-k ..., a test file...).
set -euo pipefail
cd "$(dirname "$0")/.."

wine10=${TAMBLIT_WINE10:-marked}
args=()
for a in "$@"; do
    case "$a" in
        --wine10=*) wine10=${a#--wine10=} ;;
        *) args+=("$a") ;;
    esac
done
case "$wine10" in
    marked | all | none) ;;
    *) echo "run-tests.sh: --wine10= takes marked, all or none" >&2; exit 2 ;;
esac

bash tools/install-deps.sh

# The Wine 10 lane runs in its own process group beside everything else: it
# makes its root filesystem (about 2 minutes, once) while the programs build,
# waits for the build, and runs its tests while the Wine 8 lane runs. Both
# lanes spend most of their time waiting for Wine and X rather than on the
# processors, and each has its own displays, prefixes and print scheduler (the
# Wine 10 one in namespaces of its own). Its report is printed at the end.
lane10_pid=""
stop_lane10() {
    if [ -n "$lane10_pid" ] && kill -0 "$lane10_pid" 2>/dev/null; then
        kill -- "-$lane10_pid" 2>/dev/null || true
        wait "$lane10_pid" 2>/dev/null || true
    fi
}
if [ "$wine10" != none ]; then
    mkdir -p build
    rm -f build/win32-ready
    select=(-m wine10)
    [ "$wine10" = all ] && select=()
    setsid bash -c '
        if ! bash tools/wine10-root.sh build >build/wine10-root.log 2>&1; then
            cat build/wine10-root.log
            echo "run-tests.sh: the Wine 10 root filesystem could not be made"
            exit 1
        fi
        while [ ! -f build/win32-ready ]; do sleep 2; done
        exec bash tools/wine10-root.sh run python3 -m pytest -p no:cacheprovider tests/e2e -ra "$@"
    ' lane10 ${select[@]+"${select[@]}"} ${args[@]+"${args[@]}"} >build/wine10-lane.log 2>&1 </dev/null &
    lane10_pid=$!
    trap stop_lane10 EXIT
fi

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"
touch build/win32-ready

# pytest says 5 when it collected nothing; that is not a failure of the code.
pytest_rc() { [ "$1" -eq 5 ] && echo 0 || echo "$1"; }

rc=0
echo "== end-to-end tests on $(wine --version 2>/dev/null || echo Wine)"
/usr/bin/python3 -m pytest tests/tools tests/e2e -ra --durations=10 ${args[@]+"${args[@]}"} </dev/null || rc=$?
rc=$(pytest_rc "$rc")

if [ "$wine10" != none ]; then
    rc10=0
    wait "$lane10_pid" || rc10=$?
    lane10_pid=""
    echo "== end-to-end tests on Wine 10 ($wine10)"
    cat build/wine10-lane.log
    rc10=$(pytest_rc "$rc10")
    [ "$rc" -eq 0 ] && rc=$rc10
fi
exit "$rc"
