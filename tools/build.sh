#!/bin/sh
# Installs what is missing, makes sure this machine runs 32-bit programs (tools/ia32.sh),
# then configures and builds everything into build/.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}

"$ROOT/tools/setup-deps.sh"
# The compiler runs no 32-bit program, so the 32-bit set-up (minutes the first time on a
# machine whose kernel runs none: the Debian 13 root and its emulator) goes on beside it.
# Its words are shown when both have ended.
ia32_log=$(mktemp)
"$ROOT/tools/ia32.sh" >"$ia32_log" 2>&1 &
ia32_pid=$!
build_status=0
{ [ -f "$BUILD/CMakeCache.txt" ] ||
      cmake -S "$ROOT" -B "$BUILD" -G Ninja \
          -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" >/dev/null; } &&
    cmake --build "$BUILD" || build_status=$?
ia32_status=0
wait "$ia32_pid" || ia32_status=$?
cat "$ia32_log"
rm -f "$ia32_log"
[ "$ia32_status" -eq 0 ] || exit "$ia32_status"
exit "$build_status"
