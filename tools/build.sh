#!/bin/sh
# Installs what is missing, makes sure this machine runs 32-bit programs (tools/ia32.sh),
# then configures and builds everything into build/.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}

"$ROOT/tools/setup-deps.sh"
"$ROOT/tools/ia32.sh"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" >/dev/null
fi
cmake --build "$BUILD"
