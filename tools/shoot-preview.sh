#!/usr/bin/env bash
# Regenerates the README's pictures of the area preview (into the folder given
# as the first argument, docs by default): docs/at-work.png, the whole screen
# with the preview over a desktop of ordinary windows, and docs/preview.png,
# the preview window with a rubber band drawn. Both from the Windows build
# running under Wine on a virtual display of its own.
# Build first: cmake --preset win32 && cmake --build --preset win32
set -euo pipefail
cd "$(dirname "$0")/.."
/usr/bin/python3 tools/shoot_preview.py --at-work "${1:-docs}/at-work.png" </dev/null
/usr/bin/python3 tools/shoot_preview.py "${1:-docs}/preview.png" </dev/null
