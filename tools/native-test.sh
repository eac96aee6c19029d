#!/bin/sh
# Builds the plug-in's window-free code for this machine with clang (native/), under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs its table tests: seconds, no
# wine. The fuzz targets are built alongside (tools/fuzz.sh runs them). Arguments go to
# ctest.
#
#   tools/native-test.sh [ctest args...]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_NATIVE_BUILD_DIR:-${VELMORA_BUILD_DIR:-$ROOT/build}/native}

# What the native build needs beyond tools/setup-deps.sh, installed only when missing.
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
need=""
for p in clang cmake ninja-build googletest libclang-rt-14-dev libfuzzer-14-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || need="$need $p"
done
if [ -n "$need" ]; then
    echo "Installing:$need"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -qq --no-install-recommends $need >/dev/null
fi

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT/native" -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
cmake --build "$BUILD"
# A sanitizer's report fails the program; GoogleTest's summary of a failed one shows.
ctest --test-dir "$BUILD" --output-on-failure "$@"
