#!/usr/bin/env bash
# Builds everything and runs every test: the portable core's unit tests
# natively under AddressSanitizer and UBSan, the build's own tools (pytest,
# tests/tools), then the Windows programs end to end under Wine on virtual
# displays that the tests start and stop themselves: every test on the
# machine's Wine 8, and the tests marked wine10 (one case of each family) on
# Wine 10 too, in a Debian 13 root filesystem (tools/wine10-root.sh, made on
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

# The root filesystem is downloaded and unpacked (about 2 minutes, once)
# while the programs build and the first lane runs. Its own process group,
# so that an early failure here ends the whole of it.
root_pid=""
stop_root_build() {
    if [ -n "$root_pid" ] && kill -0 "$root_pid" 2>/dev/null; then
        kill -- "-$root_pid" 2>/dev/null || true
        wait "$root_pid" 2>/dev/null || true
    fi
}
if [ "$wine10" != none ]; then
    mkdir -p build
    setsid bash tools/wine10-root.sh build >build/wine10-root.log 2>&1 </dev/null &
    root_pid=$!
    trap stop_root_build EXIT
fi

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"

# pytest says 5 when it collected nothing; that is not a failure of the code.
pytest_rc() { [ "$1" -eq 5 ] && echo 0 || echo "$1"; }

rc=0
echo "== end-to-end tests on $(wine --version 2>/dev/null || echo Wine)"
/usr/bin/python3 -m pytest tests/tools tests/e2e -ra ${args[@]+"${args[@]}"} </dev/null || rc=$?
rc=$(pytest_rc "$rc")

if [ "$wine10" != none ]; then
    root_rc=0
    wait "$root_pid" || root_rc=$?
    root_pid=""
    if [ "$root_rc" -ne 0 ]; then
        cat build/wine10-root.log >&2
        echo "run-tests.sh: the Wine 10 root filesystem could not be made" >&2
        exit 1
    fi
    select=(-m wine10)
    [ "$wine10" = all ] && select=()
    echo "== end-to-end tests on Wine 10 ($wine10)"
    rc10=0
    bash tools/wine10-root.sh run python3 -m pytest tests/e2e -ra ${select[@]+"${select[@]}"} \
        ${args[@]+"${args[@]}"} </dev/null || rc10=$?
    rc10=$(pytest_rc "$rc10")
    [ "$rc" -eq 0 ] && rc=$rc10
fi
exit "$rc"
