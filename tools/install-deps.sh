#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine, only when missing.
# Safe to run again: every step checks before it acts.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    FORCE_UPDATE=1
fi

# Wine reads several monitors through the 32-bit libXinerama only while the
# 32-bit libXrandr is absent: that library is never installed here.
for p in cmake g++ g++-mingw-w64-i686 wine wine32:i386 xvfb xdotool x11-utils xclip \
         cups printer-driver-cups-pdf libcups2:i386 poppler-utils python3-pytest \
         libgtest-dev imagemagick x11-apps unzip mmdebstrap \
         x11-xserver-utils libxinerama1:i386; do
    have "$p" || need+=("$p")
done
# PNG files: zlib for both builds, independent readers for the tests, and the
# screenshot tools the benchmark measures beside.
for p in libz-mingw-w64-dev zlib1g-dev python3-pil pngcheck scrot maim; do
    have "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -q
    $SUDO apt-get install -y -q --no-install-recommends "${need[@]}" </dev/null
elif [ "${FORCE_UPDATE:-0}" = 1 ]; then
    $SUDO apt-get update -q
fi
