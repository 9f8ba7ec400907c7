#!/usr/bin/env bash
# Regenerates the README's pictures of the dialogs, docs/signon.png,
# docs/setup.png, docs/keys.png, docs/installer.png, docs/editor.png and docs/setup-144dpi.png (or into the folder given as the
# first argument), from the Windows build running under Wine on a virtual
# display of its own. Build first: cmake --preset win32 && cmake --build --preset win32
set -euo pipefail
cd "$(dirname "$0")/.."
/usr/bin/python3 tools/shoot_dialogs.py "${1:-docs}" </dev/null
/usr/bin/python3 tools/shoot_editor.py "${1:-docs}" </dev/null
# The Setup dialog at 144 DPI, as Wine 10 scales it (tools/wine10-root.sh).
bash tools/wine10-root.sh build
bash tools/wine10-root.sh run python3 tools/shoot_dialogs.py --dpi 144 "${1:-docs}" </dev/null
