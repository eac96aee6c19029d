#!/bin/sh
# Installs what building and testing need on Debian 12, only when something is missing.
# Run as root, or as a user with sudo.
set -eu

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

need=""
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }

# libxrandr2 and libxinerama1 (i386): wine sees monitors and display changes through
# them (Debian's wine only recommends them). Xorg with its dummy video driver gives the
# tests that need two monitors a display with two screens side by side.
for p in g++-mingw-w64-i686 wine wine32:i386 libxrandr2:i386 libxinerama1:i386 xvfb xauth \
         xserver-xorg-core xserver-xorg-video-dummy cmake ninja-build googletest \
         imagemagick x11-utils xdotool zip python3 fonts-wine nsis; do
    have_pkg "$p" || need="$need $p"
done

if [ -z "$need" ]; then exit 0; fi

echo "Installing:$need"
if ! dpkg --print-foreign-architectures | grep -q '^i386$'; then
    $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $need >/dev/null
