#!/bin/sh
# What tools/ia32.sh says of this machine agrees with the kernel: the 32-bit probe runs
# (the suite could not run otherwise), "native" exactly when no enabled binfmt_misc entry
# takes i386 programs, and "emulated" names a qemu of version 8 or later.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "FAILED: $*"; exit 1; }

"$ROOT/tools/ia32.sh" --probe || fail "the 32-bit probe does not run"
mode=$("$ROOT/tools/ia32.sh" --mode)
handled=0
for entry in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$entry" ] || continue
    grep -qx enabled "$entry" 2>/dev/null && grep -q '^magic 7f454c4601010100' "$entry" && handled=1
done
case "$mode" in
    native) [ "$handled" -eq 0 ] || fail "said native, but binfmt_misc hands i386 programs to an emulator" ;;
    "emulated (qemu-i386 "*)
        [ "$handled" -eq 1 ] || fail "said emulated, but no binfmt_misc entry takes i386 programs"
        major=$(printf '%s' "$mode" | sed -n 's/^emulated (qemu-i386 \([0-9]*\)\..*/\1/p')
        [ -n "$major" ] && [ "$major" -ge 8 ] || fail "an emulator older than qemu 8: $mode" ;;
    *) fail "an answer that is neither mode: $mode" ;;
esac
echo "32-bit code: $mode"
