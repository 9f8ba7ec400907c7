#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine, only when missing.
# Safe to run again: every step checks before it acts.
#
# A mirror caught mid-sync can make `apt-get update` fail for one index (seen:
# the i386 security index out of step with its Release file). The update is
# tried three times, then the install goes on with the lists apt has; when that
# fails too, it is tried once more with the release's own suite as the target,
# so that both halves of a multi-arch package come from one suite. apt keeps
# every one of its checks throughout.
set -euo pipefail

UPDATE_TRIES=3
RETRY_PAUSE=${INSTALL_DEPS_RETRY_PAUSE:-5}
OS_RELEASE=${INSTALL_DEPS_OS_RELEASE:-/etc/os-release}

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

log=$(mktemp)
update_log=$(mktemp)
trap 'rm -f "$log" "$update_log"' EXIT

# Runs `apt-get update` up to UPDATE_TRIES times; keeps the last failure's text
# in $update_log. Succeeds when one try does.
update_lists() {
    local try
    : >"$update_log"
    for ((try = 1; try <= UPDATE_TRIES; try++)); do
        if $SUDO apt-get update -q >"$log" 2>&1; then
            cat "$log"
            : >"$update_log"
            return 0
        fi
        cp "$log" "$update_log"
        echo "install-deps: apt-get update failed (try $try of $UPDATE_TRIES)"
        [ "$try" -lt "$UPDATE_TRIES" ] && sleep "$RETRY_PAUSE"
    done
    return 1
}

# The indexes apt could not fetch, from its "Err:" lines (or, failing those,
# its "Failed to fetch" lines), joined on one line.
failed_indexes() {
    local names
    names=$(sed -n 's/^Err:[0-9]* \(.*\)$/\1/p' "$1" | sort -u | paste -sd ';' | sed 's/;/; /g')
    if [ -z "$names" ]; then
        names=$(sed -n 's/.*Failed to fetch \([^ ]*\).*/\1/p' "$1" | sort -u | paste -sd ';' | sed 's/;/; /g')
    fi
    echo "${names:-an index apt did not name}"
}

release_codename() {
    [ -r "$OS_RELEASE" ] || return 0
    sed -n 's/^VERSION_CODENAME=["'\'']\{0,1\}\([^"'\'']*\).*/\1/p' "$OS_RELEASE" | head -n 1
}

install_packages() {
    $SUDO apt-get install -y -q --no-install-recommends "$@" </dev/null >"$log" 2>&1
}

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
    updated=1
    update_lists || updated=0
    if install_packages "${need[@]}"; then
        cat "$log"
        exit 0
    fi
    if [ "$updated" = 0 ]; then
        codename=$(release_codename)
        if [ -n "$codename" ] && install_packages -t "$codename" "${need[@]}"; then
            cat "$log"
            exit 0
        fi
        echo "install-deps: the package lists could not be brought up to date" \
             "(apt could not fetch $(failed_indexes "$update_log")), and the install failed; apt said:" >&2
        cat "$update_log" "$log" >&2
        exit 1
    fi
    cat "$log" >&2
    exit 1
elif [ "${FORCE_UPDATE:-0}" = 1 ]; then
    update_lists || {
        echo "install-deps: the package lists could not be brought up to date" \
             "(apt could not fetch $(failed_indexes "$update_log")); nothing needed installing" >&2
    }
fi
