#!/bin/sh
# Builds the plug-in and makes the release files for Windows users, in build/:
#   velmora-<version>-setup.exe  the setup program (built by the build, copied here)
#   velmora-<version>.zip        velmora.dll and the release notes velmora.txt, to copy by hand
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
SETUP="$BUILD/velmora-$VERSION-setup.exe"
rm -rf "$BUILD/package" "$ZIP" "$SETUP"
mkdir -p "$STAGE"
cp "$BUILD/bin/velmora.dll" "$STAGE/"
# The release notes with CR LF line ends, as the build made them for the setup program.
cp "$BUILD/installer/velmora.txt" "$STAGE/"
cp "$BUILD/bin/velmora-$VERSION-setup.exe" "$SETUP"
# Fixed times and no extra attributes: the same sources give the same zip.
touch -d "@$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || echo 0)" "$STAGE"/*
(cd "$STAGE" && zip -q -X -D "$ZIP" velmora.dll velmora.txt)
zip -sf "$ZIP" | sed -n 's/^  */    /p'
echo "$ZIP"
echo "$SETUP"
