#!/bin/sh
# Makes sure this machine runs 32-bit x86 programs: wine's loader and every program the
# build makes are such programs. Most x86-64 kernels run them themselves ("native"). A
# kernel whose IA-32 emulation is off fails every one with "Exec format error"; there
# the kernel is told to hand them to qemu's user-mode i386 emulator ("emulated"):
#
#   - binfmt_misc is mounted when it is not;
#   - i386 ELF executables are registered, as "velmora-i386", with the qemu-i386 of the
#     Debian 13 root that tools/debian13.sh makes (qemu 10; Debian 12's qemu 7.2 takes a
#     minute of CPU to start each wine process), with the F flag: the kernel opens the
#     emulator once, so it serves inside that root too.
#
# Whether the machine needs it is found out by running a 96-byte i386 program. A second
# run finds the registration and does nothing; a machine that runs the program natively
# is left as it is, unless VELMORA_EMULATE_IA32=1 asks for the emulated mode anyway.
#
#   tools/ia32.sh          sets up what is needed (root or sudo), then says the mode
#   tools/ia32.sh --mode   says the mode only: "native" or "emulated (qemu-i386 X.Y.Z, path)"
#   tools/ia32.sh --probe  exits 0 when this machine runs a 32-bit program now
#   tools/ia32.sh --undo   removes the registration (root or sudo)
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BINFMT=/proc/sys/fs/binfmt_misc
NAME=velmora-i386
# The ELF header's first 20 bytes of an i386 executable, and which bits of them count
# (the same pattern as qemu's own binfmt configuration).
MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
MAGIC_HEX=7f454c4601010100000000000000000002000300
MIN_QEMU=8

# Runs an i386 program that does nothing but exit with status 42 (mov eax,1; mov ebx,42;
# int 0x80): true when this machine, natively or through an emulator, runs it.
runs_i386() {
    probe=$(mktemp "${TMPDIR:-/tmp}/velmora-ia32.XXXXXX")
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\273\052\000\000\000\315\200' >"$probe"
    chmod +x "$probe"
    status=0
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# The interpreter of an enabled binfmt_misc entry that takes i386 executables, if any:
# ours first, as the kernel asks the newest entry first.
i386_interpreter() {
    [ -d "$BINFMT" ] || return 0
    for entry in "$BINFMT/$NAME" "$BINFMT"/*; do
        case "${entry##*/}" in register|status) continue ;; esac
        [ -f "$entry" ] || continue
        if grep -qx enabled "$entry" 2>/dev/null && grep -q "^magic $MAGIC_HEX" "$entry" 2>/dev/null; then
            sed -n 's/^interpreter //p' "$entry"
            return 0
        fi
    done
}

# "10.0.2" from an emulator's --version, or nothing.
qemu_version() {
    "$1" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9][0-9.]*\).*/\1/p' | head -n 1
}

mode() {
    interpreter=$(i386_interpreter)
    if [ -z "$interpreter" ]; then
        echo native
    else
        version=$(qemu_version "$interpreter")
        # Inside the Debian 13 root the registered path lies outside; the root's own
        # emulator is the same file.
        [ -n "$version" ] || [ ! -x "/usr/bin/${interpreter##*/}" ] || version=$(qemu_version "/usr/bin/${interpreter##*/}")
        echo "emulated (qemu-i386 ${version:-of unknown version}, $interpreter)"
    fi
}

as_root() {
    if [ "$(id -u)" -ne 0 ]; then exec sudo -E "$0" "$@"; fi
}

case "${1:-}" in
    --mode) mode; exit 0 ;;
    --probe) runs_i386; exit ;;
    --undo)
        as_root "$@"
        if [ -f "$BINFMT/$NAME" ]; then
            echo -1 >"$BINFMT/$NAME"
            echo "Removed the registration of $NAME."
        else
            echo "No registration of $NAME to remove."
        fi
        exit 0 ;;
    "") ;;
    *) sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
esac

# Another emulator that takes i386 programs already (Debian 12's qemu-user-static, say)
# may be too old to run wine in reasonable time.
emulator_too_old() {
    interpreter=$(i386_interpreter)
    [ -n "$interpreter" ] || return 1
    version=$(qemu_version "$interpreter")
    [ -z "$version" ] || [ "${version%%.*}" -lt "$MIN_QEMU" ]
}

if [ "${VELMORA_EMULATE_IA32:-0}" != 1 ] && runs_i386 && ! emulator_too_old; then
    echo "32-bit code: $(mode)"
    exit 0
fi
if [ -f "$BINFMT/$NAME" ] && grep -qx enabled "$BINFMT/$NAME" && runs_i386; then
    echo "32-bit code: $(mode)"
    exit 0
fi

as_root "$@"
echo "This machine runs no 32-bit program by itself: setting up qemu's i386 emulator."
# The emulator comes from the Debian 13 root (made once, kept).
"$ROOT/tools/debian13.sh"
ROOTFS=${VELMORA_DEBIAN13_ROOT:-/var/cache/velmora/debian13}
QEMU="$ROOTFS/usr/bin/qemu-i386"
version=$(qemu_version "$QEMU")
if [ -z "$version" ] || [ "${version%%.*}" -lt "$MIN_QEMU" ]; then
    echo "$QEMU is missing or older than qemu $MIN_QEMU (${version:-no version}): wine would take minutes to start under it." >&2
    exit 1
fi
if [ ! -f "$BINFMT/register" ]; then
    mount -t binfmt_misc binfmt_misc "$BINFMT" || {
        echo "binfmt_misc could not be mounted on $BINFMT: the kernel cannot be told to run 32-bit programs through an emulator." >&2
        exit 1
    }
fi
# A registration of ours from another emulator (an older root, say) makes way.
[ -f "$BINFMT/$NAME" ] && echo -1 >"$BINFMT/$NAME"
printf ':%s:M::%s:%s:%s:F' "$NAME" "$MAGIC" "$MASK" "$QEMU" >"$BINFMT/register"
if ! runs_i386; then
    echo "32-bit programs still do not run after registering $QEMU." >&2
    exit 1
fi
echo "32-bit code: $(mode)"
