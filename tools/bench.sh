#!/bin/sh
# Builds everything, then runs the benchmark under wine on a virtual display.
# Arguments go to the benchmark (--runs N, --cycles N).
#
#   tools/bench.sh
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}

"$ROOT/tools/build.sh"
# Ratios compare only within one mode: the emulator slows some steps far more than others.
echo "32-bit code: $("$ROOT/tools/ia32.sh" --mode)"
VELMORA_HEADLESS=1 exec "$ROOT/tools/with-wine.sh" "$BUILD" wine "$BUILD/bin/velmora_bench.exe" "$@"
