#!/bin/sh
# Builds the plug-in and the benchmark, then runs the benchmark under wine on a virtual
# display. Arguments go to the benchmark (--runs N, --cycles N).
#
#   tools/bench.sh
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}

"$ROOT/tools/setup-deps.sh"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" >/dev/null
fi
cmake --build "$BUILD" --target velmora velmora_bench
VELMORA_HEADLESS=1 exec "$ROOT/tools/with-wine.sh" "$BUILD" wine "$BUILD/bin/velmora_bench.exe" "$@"
