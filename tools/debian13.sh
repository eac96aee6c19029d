#!/bin/sh
# Runs a command under the current Debian stable's wine (Debian 13, wine 10), in a Debian
# 13 root that is made with debootstrap the first time and kept, so later runs start in
# seconds. The command sees this repository (and the build folder) at the same absolute
# paths as outside, so CTest's paths work unchanged.
#
#   tools/debian13.sh <command> [args...]
#
# The root lives in /var/cache/velmora/debian13 (VELMORA_DEBIAN13_ROOT moves it). Every
# mount is made in a mount namespace of this run's own and taken down on every way out;
# none is ever visible outside the run, so removing the root (or build/) from outside
# can never reach through into the sources. Needs root (or sudo).
set -eu

REPO=$(cd "$(dirname "$0")/.." && pwd)
ROOTFS=${VELMORA_DEBIAN13_ROOT:-/var/cache/velmora/debian13}
MIRROR=${VELMORA_DEBIAN_MIRROR:-http://deb.debian.org/debian}
# e2fsprogs: chattr, with which tests make a folder nobody can write. libxrandr2 and
# libxinerama1: wine sees monitors and display changes through them. Xorg with the dummy
# video driver: the display with two monitors.
PACKAGES="wine wine32:i386 qemu-user libxi6:i386 libxrandr2:i386 libxinerama1:i386 xvfb xauth fonts-wine cmake e2fsprogs xserver-xorg-core xserver-xorg-video-dummy"
# Written last, into the finished root: a root without it is half made and is made
# again; one made from another package list gets the packages it lacks.
MARKER=.velmora-root-ready
BASE="trixie minbase; i386;"
RECIPE="$BASE $PACKAGES"

if [ "$(id -u)" -ne 0 ]; then exec sudo -E "$0" "$@"; fi

# --inside <root> <folder to show>... -- <command>: the part that runs in the private mount
# namespace (see the end of this file).
if [ "${1:-}" = "--inside" ]; then
    shift
    rootfs=$1
    shift
    mounted=""
    cleanup() {
        # Newest first; a lazy unmount when something still holds one.
        for m in $mounted; do
            umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
        done
    }
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP
    # A failed mount ends the run (set -e), through the trap.
    mnt() { target=$1; shift; mount "$@" "$target"; mounted="$target $mounted"; }
    mnt "$rootfs/proc" -t proc proc
    # The emulator's registration, where 32-bit programs run through one, seen inside too.
    if [ -f /proc/sys/fs/binfmt_misc/register ]; then
        mnt "$rootfs/proc/sys/fs/binfmt_misc" -t binfmt_misc binfmt_misc
    fi
    mnt "$rootfs/sys" --bind /sys
    mnt "$rootfs/dev" --bind /dev
    mnt "$rootfs/dev/pts" --bind /dev/pts
    mnt "$rootfs/dev/shm" -t tmpfs -o mode=1777 tmpfs
    # One /tmp with the machine: X servers are found through it (xvfb-run -a picks a free
    # display by its lock files, and the displays' abstract sockets are shared anyway).
    mnt "$rootfs/tmp" --bind /tmp
    while [ "$1" != "--" ]; do
        mkdir -p "$rootfs$1"
        mnt "$rootfs$1" --bind "$1"
        shift
    done
    shift
    here=$(pwd)
    status=0
    env -u DISPLAY -u XAUTHORITY -u WINEPREFIX -u WINESERVER -u WINELOADER \
        PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        chroot "$rootfs" /bin/sh -c 'cd "$1" 2>/dev/null || cd /; shift; exec "$@"' sh "$here" "$@" || status=$?
    exit $status
fi

# Runs a command in the root with these folders shown at their own paths.
in_root() {
    rootfs=$1
    shift
    unshare --mount --propagation private "$REPO/tools/debian13.sh" --inside "$rootfs" "$@"
}

# Removes a folder, refusing while anything is mounted at or below it.
remove_tree() {
    if awk -v d="$1" '$5 == d || index($5, d "/") == 1 { found = 1 } END { exit !found }' \
        /proc/self/mountinfo; then
        echo "Something is mounted in $1; leaving it alone." >&2
        exit 1
    fi
    rm -rf --one-file-system "$1"
}

make_root() {
    new="$ROOTFS.new"
    echo "Making a Debian 13 root with wine 10 in $ROOTFS (once; a few minutes) ..."
    started=$(date +%s)
    remove_tree "$new"
    if ! command -v debootstrap >/dev/null 2>&1; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            debootstrap >/dev/null
    fi
    mkdir -p "$new"
    debootstrap --variant=minbase trixie "$new" "$MIRROR" >"$new.log" 2>&1 || {
        tail -20 "$new.log" >&2
        echo "debootstrap failed (whole log: $new.log)" >&2
        exit 1
    }
    cp /etc/resolv.conf "$new/etc/resolv.conf"
    # shellcheck disable=SC2016
    in_root "$new" -- /bin/sh -c '
        set -e
        export DEBIAN_FRONTEND=noninteractive
        dpkg --add-architecture i386
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "$@" >/dev/null
        apt-get clean' sh $PACKAGES >>"$new.log" 2>&1 || {
        tail -20 "$new.log" >&2
        echo "Installing wine in the root failed (whole log: $new.log)" >&2
        exit 1
    }
    echo "$RECIPE" | tee "$new/$MARKER" >/dev/null
    remove_tree "$ROOTFS"
    mv "$new" "$ROOTFS"
    rm -f "$new.log"
    echo "Debian 13 root ready in $(( $(date +%s) - started )) s."
}

# A finished root made from an older package list: the missing packages are added in
# place (seconds), rather than the root made again (minutes).
update_root() {
    echo "Adding packages to the Debian 13 root in $ROOTFS ..."
    cp /etc/resolv.conf "$ROOTFS/etc/resolv.conf"
    # shellcheck disable=SC2016
    in_root "$ROOTFS" -- /bin/sh -c '
        set -e
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "$@" >/dev/null
        apt-get clean' sh $PACKAGES >"$ROOTFS.log" 2>&1 || {
        tail -20 "$ROOTFS.log" >&2
        echo "Adding packages to the root failed (whole log: $ROOTFS.log)" >&2
        exit 1
    }
    rm -f "$ROOTFS.log"
    echo "$RECIPE" >"$ROOTFS/$MARKER"
}

mkdir -p "$(dirname "$ROOTFS")"
# One run makes the root; others wait for it.
exec 9>"$ROOTFS.lock"
flock 9
made=$(cat "$ROOTFS/$MARKER" 2>/dev/null || true)
if [ "$made" != "$RECIPE" ]; then
    case "$made" in
        "$BASE"*) update_root ;;
        *) make_root ;;
    esac
fi
flock -u 9
exec 9>&-

if [ $# -eq 0 ]; then exit 0; fi
# The repository and the build folder (when it lies elsewhere) at their own paths.
shown="$REPO"
if [ -n "${VELMORA_BUILD_DIR:-}" ]; then
    build=$(cd "$VELMORA_BUILD_DIR" && pwd)
    case "$build/" in "$REPO"/*) ;; *) shown="$shown $build" ;; esac
fi
# shellcheck disable=SC2086
in_root "$ROOTFS" $shown -- "$@"
