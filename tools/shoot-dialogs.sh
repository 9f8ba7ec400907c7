#!/usr/bin/env bash
# Regenerates the README's pictures of the dialogs, docs/signon.png,
# docs/setup.png and docs/installer.png (or into the folder given as the
# first argument), from the Windows build running under Wine on a virtual
# display of its own. Build first: cmake --preset win32 && cmake --build --preset win32
set -euo pipefail
cd "$(dirname "$0")/.."
exec /usr/bin/python3 tools/shoot_dialogs.py "${1:-docs}" </dev/null
