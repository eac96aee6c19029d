#!/bin/sh
# Builds everything and runs every test under wine on a virtual display.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}

"$ROOT/tools/build.sh"
VELMORA_HEADLESS=1 exec "$ROOT/tools/with-wine.sh" "$BUILD" \
    ctest --test-dir "$BUILD" --output-on-failure "$@"
