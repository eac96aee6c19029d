#!/bin/sh
# Builds everything, then runs the benchmark under wine on a virtual display.
# Arguments go to the benchmark (--runs N, --cycles N).
#
#   tools/bench.sh
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}

"$ROOT/tools/build.sh"
VELMORA_HEADLESS=1 exec "$ROOT/tools/with-wine.sh" "$BUILD" wine "$BUILD/bin/velmora_bench.exe" "$@"
