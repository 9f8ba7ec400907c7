#!/usr/bin/env bash
# Builds the Windows programs and makes build/win32/tamblit95-<version>.zip:
# the four files of the distribution folder (the programs stripped) and
# SHA256SUMS. The version is the one in the project() line of CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$(nproc)" --target release
