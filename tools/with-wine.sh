#!/bin/sh
# Runs a command with a private 32-bit wine prefix inside the build folder and, when no
# display is given (or VELMORA_HEADLESS=1), on a virtual X display. With VELMORA_DPI=120
# or 144 the prefix is one of its own with that screen scaling (125 % or 150 %). With
# VELMORA_MONITORS=2 the command runs on an X server of its own with two 1024x768 screens
# side by side (Xorg's dummy driver, tools/xorg-two-monitors.conf), in a prefix of its
# own: wine keeps what it knows of the monitors in the prefix. Each wine
# version has prefixes of its own: build/wineprefix* for Debian 12's wine 8, and
# build/wine<N>/wineprefix* for wine N (tools/debian13.sh runs wine 10).
#
# With VELMORA_SLOTS=N (N > 1, headless only) it prepares N slots, each a virtual display
# and a prefix of its own (slot 0 the usual prefix, slot i wineprefix-slot<i>), so that N
# programs can run at once without sharing a foreground window or a wine server. The
# command then finds in VELMORA_SLOTS_DIR one file per slot (<i>.env, read by
# tools/wine-slot.sh), and CTest finds the N slots in build/Testing/slots.json, which
# every run writes (one slot without VELMORA_SLOTS) and the build names as CTest's file of
# resources. A nested run (a test in a prefix of its own, inside a run with slots) leaves
# that file alone: the next ctest of the outer run must still find all N slots.
#
#   tools/with-wine.sh <build dir> <command> [args...]
set -eu

BUILD=$(cd "$1" && pwd)
shift

WINE_MAJOR=$(wine --version 2>/dev/null | sed -n 's/^wine-\([0-9]*\).*/\1/p')
case "$WINE_MAJOR" in
    8) PREFIXES="$BUILD" ;;
    "") echo "wine is missing or does not say its version" >&2; exit 1 ;;
    *) PREFIXES="$BUILD/wine$WINE_MAJOR" ;;
esac
DPI=${VELMORA_DPI:-96}
MONITORS=${VELMORA_MONITORS:-1}
case "$DPI/$MONITORS" in
    96/2) PREFIX="$PREFIXES/wineprefix-2mon" ;;
    */2) echo "two monitors only at 96 DPI" >&2; exit 2 ;;
    96/*) PREFIX="$PREFIXES/wineprefix" ;;
    120/1|144/1) PREFIX="$PREFIXES/wineprefix-$DPI" ;;
    *) echo "VELMORA_DPI must be 96, 120 or 144, not $DPI" >&2; exit 2 ;;
esac
WINE_FONTS=/usr/share/wine/fonts
if [ ! -f "$WINE_FONTS/tahoma.ttf" ]; then
    echo "wine's fonts are missing from $WINE_FONTS: install fonts-wine (tools/setup-deps.sh does)" >&2
    exit 1
fi

export WINEARCH=win32
export WINEPREFIX="$PREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The ANSI code page follows the locale; pin it so runs are alike everywhere (1252).
export LANG=C.UTF-8
export LC_ALL=C.UTF-8

if [ "$MONITORS" = 2 ] && [ -z "${VELMORA_IN_XORG:-}" ]; then
    # A free display number, as xvfb-run -a finds one; another run may take it first,
    # so a server that does not come up is tried on the next number.
    mkdir -p "$PREFIXES"
    n=40
    while [ $n -lt 60 ]; do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            Xorg ":$n" -config "$(cd "$(dirname "$0")" && pwd)/xorg-two-monitors.conf" -noreset \
                -nolisten tcp -logfile "$PREFIXES/xorg-two-monitors.log" >/dev/null 2>&1 </dev/null &
            xorg=$!
            tries=0
            while [ $tries -lt 100 ] && [ ! -S "/tmp/.X11-unix/X$n" ] && kill -0 $xorg 2>/dev/null; do
                sleep 0.1
                tries=$((tries + 1))
            done
            [ -S "/tmp/.X11-unix/X$n" ] && kill -0 $xorg 2>/dev/null && break
            kill $xorg 2>/dev/null || true
            wait $xorg 2>/dev/null || true
        fi
        n=$((n + 1))
    done
    if [ $n -ge 60 ]; then
        echo "Xorg with two screens did not start (log: $PREFIXES/xorg-two-monitors.log)" >&2
        exit 1
    fi
    status=0
    DISPLAY=":$n" VELMORA_IN_XORG=1 VELMORA_IN_XVFB=1 "$0" "$BUILD" "$@" || status=$?
    kill $xorg 2>/dev/null || true
    wait $xorg 2>/dev/null || true
    exit $status
fi

SLOTS=${VELMORA_SLOTS:-1}
case "$SLOTS" in ''|*[!0-9]*|0) echo "VELMORA_SLOTS must be a number of slots, not $SLOTS" >&2; exit 2 ;; esac

if [ "${VELMORA_HEADLESS:-0}" = 1 ] || [ -z "${DISPLAY:-}" ]; then
    if [ -z "${VELMORA_IN_XVFB:-}" ] && [ "$SLOTS" -eq 1 ]; then
        export VELMORA_IN_XVFB=1
        exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$BUILD" "$@"
    fi
fi

# Makes the prefix in WINEPREFIX when it has none yet, its server stopped afterwards.
make_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Preparing a wine prefix in $WINEPREFIX ..."
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        # Without a window manager every hide and destroy waits for one unless wine
        # manages the windows itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        # A crashing program must end, not wait on a crash dialog.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DPI" /f >/dev/null 2>&1
        # Programs see the new scaling once the server has restarted; the registry is on
        # the disk once it has ended.
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
}

# Makes the prefix in WINEPREFIX ready on DISPLAY and starts its persistent server.
prepare_prefix() {
    make_prefix

    # Wine as Debian packages it finds its own fonts (Tahoma, Marlett, MS Sans Serif) only in
    # the prefix's Fonts folder; without them every dialog is drawn in a stand-in with other
    # metrics. A prefix that lacks any of them is mended.
    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    for font in "$WINE_FONTS"/*; do
        [ -e "$fonts/${font##*/}" ] || cp "$font" "$fonts/"
    done

    # One persistent server, warmed up with its output away from ours: background wine
    # processes must not inherit the caller's pipes.
    wineserver -p >/dev/null 2>&1 </dev/null || true
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true

    wine "$BUILD/bin/velmora_font_check.exe" </dev/null
}

# The slots CTest may hand out, as its resource file (read by every ctest in the build).
write_slots_file() {
    mkdir -p "$BUILD/Testing"
    {
        printf '{"version": {"major": 1, "minor": 0}, "local": [{"slots": ['
        i=0
        while [ "$i" -lt "$SLOTS" ]; do
            [ "$i" -eq 0 ] || printf ', '
            printf '{"id": "%s", "slots": 1}' "$i"
            i=$((i + 1))
        done
        printf ']}]}\n'
    } >"$BUILD/Testing/slots.json"
}

if [ "$SLOTS" -eq 1 ]; then
    [ -n "${VELMORA_SLOTS_DIR:-}" ] || write_slots_file
    if ! prepare_prefix; then
        wineserver -k >/dev/null 2>&1 || true
        exit 1
    fi
    status=0
    "$@" || status=$?
    wineserver -k >/dev/null 2>&1 || true
    exit $status
fi

# Slots: a virtual display each (Xvfb picks a free number and says it), a prefix each.
SLOTS_DIR="$PREFIXES/slots"
rm -rf "$SLOTS_DIR"
mkdir -p "$SLOTS_DIR"
servers=""
stop_slots() {
    for env in "$SLOTS_DIR"/*.env; do
        [ -e "$env" ] || continue
        (. "$env"; export WINEPREFIX; wineserver -k >/dev/null 2>&1 || true)
    done
    for pid in $servers; do kill "$pid" 2>/dev/null || true; done
    for pid in $servers; do wait "$pid" 2>/dev/null || true; done
}
trap stop_slots EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
i=0
while [ "$i" -lt "$SLOTS" ]; do
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$SLOTS_DIR/$i.display" \
        >"$SLOTS_DIR/$i.xvfb.log" 2>&1 </dev/null &
    servers="$servers $!"
    i=$((i + 1))
done
i=0
while [ "$i" -lt "$SLOTS" ]; do
    tries=0
    while [ ! -s "$SLOTS_DIR/$i.display" ] && [ $tries -lt 200 ]; do sleep 0.05; tries=$((tries + 1)); done
    if [ ! -s "$SLOTS_DIR/$i.display" ]; then
        echo "The virtual display of slot $i did not start (log: $SLOTS_DIR/$i.xvfb.log)" >&2
        exit 1
    fi
    prefix="$PREFIX"
    [ "$i" -eq 0 ] || prefix="$PREFIX-slot$i"
    printf 'DISPLAY=:%s\nWINEPREFIX=%s\n' "$(tr -dc 0-9 <"$SLOTS_DIR/$i.display")" "$prefix" >"$SLOTS_DIR/$i.env"
    i=$((i + 1))
done
# A new prefix takes a while, and every slot's is the same: slot 0's is made, and a slot
# without one gets a copy of it.
(. "$SLOTS_DIR/0.env"; export DISPLAY WINEPREFIX; make_prefix)
i=1
while [ "$i" -lt "$SLOTS" ]; do
    if [ ! -f "$PREFIX-slot$i/system.reg" ]; then
        echo "Copying the wine prefix to $PREFIX-slot$i ..."
        rm -rf "$PREFIX-slot$i"
        cp -a "$PREFIX" "$PREFIX-slot$i"
    fi
    i=$((i + 1))
done
pids=""
i=0
while [ "$i" -lt "$SLOTS" ]; do
    (. "$SLOTS_DIR/$i.env"; export DISPLAY WINEPREFIX; prepare_prefix) &
    pids="$pids $!"
    i=$((i + 1))
done
for pid in $pids; do
    wait "$pid" || exit 1
done
write_slots_file
export VELMORA_SLOTS_DIR="$SLOTS_DIR"
# Programs run in a slot; what runs outside one (a nested tools/with-wine.sh, say) has the
# display of slot 0.
# A nested tools/with-wine.sh (a test in a prefix of its own) makes no slots of its own.
. "$SLOTS_DIR/0.env"
export DISPLAY WINEPREFIX VELMORA_IN_XVFB=1 VELMORA_SLOT_COUNT="$SLOTS" VELMORA_SLOTS=1
status=0
"$@" || status=$?
exit $status
