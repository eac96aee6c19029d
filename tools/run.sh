#!/bin/sh
# Builds the plug-in and the stand-in mail client, and starts the client in the mail
# client's default layout: a program folder, build/demo/Program, with velmora.dll and
# its release notes copied into its Plugins folder as users install a plug-in, and a
# data folder of its own, build/demo/Data.
#
# With a display the client is yours to use. Without one (no DISPLAY, or
# VELMORA_HEADLESS=1) it runs on a virtual display, walks through the menu items and
# dialogs by itself and saves a PNG picture of each step in build/screenshots/.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}

"$ROOT/tools/build.sh"
BUILD=$(cd "$BUILD" && pwd)

PROGRAM="$BUILD/demo/Program"
DATA="$BUILD/demo/Data"
PLUGINS="$PROGRAM/Plugins"
rm -rf "$BUILD/demo"
mkdir -p "$PLUGINS" "$DATA"
cp "$BUILD/bin/velmora.dll" "$PLUGINS/"
sed 's/\r$//; s/$/\r/' "$ROOT/resources/velmora.txt" > "$PLUGINS/velmora.txt"

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

if [ "${VELMORA_HEADLESS:-0}" != 1 ] && [ -n "${DISPLAY:-}" ]; then
    exec "$ROOT/tools/with-wine.sh" "$BUILD" wine "$BUILD/bin/velmora_host.exe" \
        --program "$(winpath "$PROGRAM")" --data "$(winpath "$DATA")"
fi

SHOTS="$BUILD/screenshots"
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
status=0
VELMORA_HEADLESS=1 "$ROOT/tools/with-wine.sh" "$BUILD" wine "$BUILD/bin/velmora_host.exe" \
    --program "$(winpath "$PROGRAM")" --data "$(winpath "$DATA")" --demo "$(winpath "$SHOTS")" \
    || status=$?

# The cover at 150 %: the same tour in the 144-DPI prefix, on a fresh install of its
# own; only its picture of the cover is kept.
cover_at_150() {
    run="$BUILD/demo-144"
    rm -rf "$run"
    mkdir -p "$run/Program/Plugins" "$run/Data" "$run/pictures"
    cp "$PLUGINS/velmora.dll" "$PLUGINS/velmora.txt" "$run/Program/Plugins/"
    VELMORA_DPI=144 VELMORA_HEADLESS=1 "$ROOT/tools/with-wine.sh" "$BUILD" wine "$BUILD/bin/velmora_host.exe" \
        --program "$(winpath "$run/Program")" --data "$(winpath "$run/Data")" \
        --demo "$(winpath "$run/pictures")" >/dev/null &&
        mv "$run/pictures/cover.bmp" "$SHOTS/cover-150.bmp"
}
cover_at_150 || status=$?

for picture in "$SHOTS"/*.bmp; do
    [ -e "$picture" ] || continue
    # Called by full path: another "convert" may come first on PATH.
    /usr/bin/convert "$picture" -strip "${picture%.bmp}.png"
    rm -f "$picture"
done
echo
echo "Screenshots in $SHOTS:"
ls -1 "$SHOTS"
exit $status
