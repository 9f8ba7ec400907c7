#!/usr/bin/env bash
# Regenerates docs/preview.png, the README's picture of the area preview with
# a rubber band drawn, or with --picker docs/picker.png, the picker on the
# screen with its magnifier, or with --at-work docs/at-work.png, the preview
# over a desktop of ordinary windows, from the Windows build running under Wine on a
# virtual display of its own. Build first: cmake --preset win32 && cmake --build --preset win32
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--at-work" ]; then
    exec /usr/bin/python3 tools/shoot_preview.py --at-work "${2:-docs/at-work.png}" </dev/null
fi
if [ "${1:-}" = "--picker" ]; then
    exec /usr/bin/python3 tools/shoot_preview.py --picker "${2:-docs/picker.png}" </dev/null
fi
exec /usr/bin/python3 tools/shoot_preview.py "${1:-docs/preview.png}" </dev/null
