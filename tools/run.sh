#!/bin/sh
# Builds the plug-in and runs it the way the mail client loads it, from a fresh
# Plugins folder.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}

"$ROOT/tools/build.sh"
PLUGINS="$BUILD/demo/Plugins"
rm -rf "$BUILD/demo"
mkdir -p "$PLUGINS"
cp "$BUILD/bin/velmora.dll" "$PLUGINS/"
WINPATH="Z:$(echo "$PLUGINS" | tr / '\\')"
exec "$ROOT/tools/with-wine.sh" "$BUILD" wine "$BUILD/bin/host_probe.exe" "$WINPATH"
