#!/bin/sh
# Builds the plug-in and makes the release package for Windows users:
# build/velmora-<version>.zip with velmora.dll and the release notes velmora.txt.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}

"$ROOT/tools/build.sh"
BUILD=$(cd "$BUILD" && pwd)
VERSION=$(sed -n 's/^#define VELMORA_VERSION_DOTTED "\(.*\)"$/\1/p' "$ROOT/resources/version.h")
if [ -z "$VERSION" ]; then
    echo "no VELMORA_VERSION_DOTTED in resources/version.h" >&2
    exit 1
fi

if ! head -1 "$ROOT/resources/velmora.txt" | grep -qF "$VERSION"; then
    echo "resources/velmora.txt does not name version $VERSION in its title" >&2
    exit 1
fi

STAGE="$BUILD/package/velmora-$VERSION"
ZIP="$BUILD/velmora-$VERSION.zip"
rm -rf "$BUILD/package" "$ZIP"
mkdir -p "$STAGE"
cp "$BUILD/bin/velmora.dll" "$STAGE/"
# Notepad on older Windows shows only CR LF line ends as line breaks.
sed 's/\r$//; s/$/\r/' "$ROOT/resources/velmora.txt" > "$STAGE/velmora.txt"
# Fixed times and no extra attributes: the same sources give the same zip.
touch -d "@$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || echo 0)" "$STAGE"/*
(cd "$STAGE" && zip -q -X -D "$ZIP" velmora.dll velmora.txt)
zip -sf "$ZIP" | sed -n 's/^  */    /p'
echo "$ZIP"
