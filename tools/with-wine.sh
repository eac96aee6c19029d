#!/bin/sh
# Runs a command with a private 32-bit wine prefix inside the build folder and, when no
# display is given (or VELMORA_HEADLESS=1), on a virtual X display.
#
#   tools/with-wine.sh <build dir> <command> [args...]
set -eu

BUILD=$(cd "$1" && pwd)
shift

export WINEARCH=win32
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The ANSI code page follows the locale; pin it so runs are alike everywhere (1252).
export LANG=C.UTF-8
export LC_ALL=C.UTF-8

if [ "${VELMORA_HEADLESS:-0}" = 1 ] || [ -z "${DISPLAY:-}" ]; then
    if [ -z "${VELMORA_IN_XVFB:-}" ]; then
        export VELMORA_IN_XVFB=1
        exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$BUILD" "$@"
    fi
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing a wine prefix in $WINEPREFIX ..."
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # Without a window manager every hide and destroy waits for one unless wine
    # manages the windows itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # A crashing program must end, not wait on a crash dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
fi

# One persistent server, warmed up with its output away from ours: background wine
# processes must not inherit the caller's pipes.
wineserver -p >/dev/null 2>&1 </dev/null || true
wine cmd /c exit >/dev/null 2>&1 </dev/null || true

status=0
"$@" || status=$?

wineserver -k >/dev/null 2>&1 || true
exit $status
