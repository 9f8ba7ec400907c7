#!/usr/bin/env bash
# A Debian 13 root filesystem with Wine 10, for running the end-to-end tests on
# a second Wine generation beside the machine's own Wine 8.
#
#   tools/wine10-root.sh build        makes build/wine10-root once (about 2 min,
#                                     350 MB of packages), again only when the
#                                     package list below changes
#   tools/wine10-root.sh run CMD...   runs CMD in it, in the checkout's folder
#
# The tree is made under a temporary name and renamed when complete, with a
# stamp of the package list inside. It is entered in namespaces of its own
# (mount, network, PID): the root is bound onto itself, /proc, a minimal /dev,
# a read-only /sys and a fresh /tmp are mounted inside, and the checkout is
# bound at its own path. Every mount dies with the namespace, so nothing made
# here outlives the run or reaches the machine's /dev or /sys (removing build/
# removes files, never devices). The Windows programs are built on the
# machine (MinGW) and only run inside. Needs root (or sudo).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
root="$repo/build/wine10-root"
suite=trixie
packages=(
    wine wine32:i386 libcups2t64:i386 libxinerama1:i386
    xvfb xdotool x11-apps x11-utils x11-xserver-utils xclip
    python3 python3-pytest python3-pil procps mount
    cups printer-driver-cups-pdf poppler-utils imagemagick pngcheck
    binutils-mingw-w64-i686
)
stamp_file=etc/tamblit-root.stamp

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

stamp() {
    printf '%s\n' "recipe 1" "$suite" "${packages[@]}" | sha256sum | cut -d' ' -f1
}

# The Debian mirror this machine's apt uses, so that the tree comes from the
# same place (a local mirror or proxy where there is one); mmdebstrap's own
# default when none is found.
debian_mirror() {
    if [ -n "${TAMBLIT_DEBIAN_MIRROR:-}" ]; then
        echo "$TAMBLIT_DEBIAN_MIRROR"
        return
    fi
    local f uri
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        uri=$(awk '/^URIs:/ { for (i = 2; i <= NF; i++) print $i }' "$f" |
              grep -E '/debian/?$' | head -n 1 || true)
        if [ -n "$uri" ]; then echo "$uri"; return; fi
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        uri=$(awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z+]+:\/\//) { print $i; break } }' "$f" |
              grep -E '/debian/?$' | head -n 1 || true)
        if [ -n "$uri" ]; then echo "$uri"; return; fi
    done
}

# Removes a tree only when nothing is mounted inside it.
remove_tree() {
    local dir
    dir=$(realpath -m "$1")
    if awk -v d="$dir/" '{ if (index($5 "/", d) == 1) found = 1 } END { exit !found }' /proc/self/mountinfo; then
        echo "wine10-root: $dir has mounts inside; not removing it" >&2
        return 1
    fi
    $SUDO rm -rf --one-file-system "$dir"
}

build() {
    local want have=""
    want=$(stamp)
    [ -f "$root/$stamp_file" ] && have=$(cat "$root/$stamp_file")
    if [ "$have" = "$want" ]; then
        return 0
    fi
    mkdir -p "$repo/build"
    local part
    for part in "$root".part-*; do  # left by a build that was killed
        [ -e "$part" ] || continue
        local owner=${part##*.part-}
        if ! kill -0 "$owner" 2>/dev/null; then remove_tree "$part"; fi
    done
    local work="$root.part-$$"
    local mirror
    mirror=$(debian_mirror)
    echo "wine10-root: making $root (Debian $suite${mirror:+ from $mirror})" >&2
    # mmdebstrap mounts /proc, /dev and /sys in the tree while it installs:
    # in a mount namespace of its own those mounts end with it, even when killed.
    local list
    list=$(IFS=,; echo "${packages[*]}")
    $SUDO unshare --mount --propagation private \
        mmdebstrap --quiet --mode=root --variant=apt --architectures=amd64,i386 --components=main \
        --include="$list" "$suite" "$work" ${mirror:+"$mirror"} </dev/null
    echo "$want" | $SUDO tee "$work/$stamp_file" >/dev/null
    if [ -e "$root" ]; then
        remove_tree "$root"
    fi
    mv "$work" "$root"
}

run() {
    if [ ! -f "$root/$stamp_file" ]; then
        echo "wine10-root: no tree yet; run '$0 build' first" >&2
        return 1
    fi
    local keep=() v
    for v in $(env | sed -n 's/^\(TAMBLIT_[A-Z0-9_]*\|CI\)=.*/\1/p'); do
        keep+=("$v=${!v}")
    done
    # TAMBLIT_E2E_CACHE may name a folder outside the checkout: bound in too.
    local cache=""
    case "${TAMBLIT_E2E_CACHE:-}" in /*) mkdir -p "$TAMBLIT_E2E_CACHE"; cache=$TAMBLIT_E2E_CACHE ;; esac
    # Bash as the namespace's first process reaps what Wine leaves orphaned.
    $SUDO unshare --mount --net --pid --fork --propagation private -- bash -c '
        set -e
        root=$1 repo=$2 cache=$3; shift 3
        mount --bind "$root" "$root"
        mount -t proc proc "$root/proc"
        mount -t sysfs -o ro sysfs "$root/sys"
        mount -t tmpfs -o mode=755,size=64m tmpfs "$root/dev"
        for node in null zero full random urandom tty; do
            touch "$root/dev/$node"
            mount --bind "/dev/$node" "$root/dev/$node"
        done
        mkdir -p "$root/dev/shm" "$root/dev/pts"
        mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
        ln -s /proc/self/fd "$root/dev/fd"
        mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
        ip link set lo up 2>/dev/null || true
        mkdir -p "$root$repo"
        mount --bind "$repo" "$root$repo"
        if [ -n "$cache" ]; then mkdir -p "$root$cache"; mount --bind "$cache" "$root$cache"; fi
        rc=0
        chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            HOME=/root LANG=C.UTF-8 "${@:1}" || rc=$?
        exit $rc
    ' bash "$root" "$repo" "$cache" "${keep[@]}" sh -c 'cd "$1" && shift && exec "$@"' sh "$repo" "$@"
}

case "${1:-}" in
    build) build ;;
    run) shift; run "$@" ;;
    path) echo "$root" ;;
    *) echo "usage: $0 build | run COMMAND... | path" >&2; exit 2 ;;
esac
