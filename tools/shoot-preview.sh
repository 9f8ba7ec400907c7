#!/usr/bin/env bash
# Regenerates docs/preview.png, the README's picture of the area preview with
# a rubber band drawn, from the Windows build running under Wine on a virtual
# display of its own. Build first: cmake --preset win32 && cmake --build --preset win32
set -euo pipefail
cd "$(dirname "$0")/.."
exec /usr/bin/python3 tools/shoot_preview.py "${1:-docs/preview.png}" </dev/null
