#!/bin/sh
# Runs a test's command in the slot CTest gave it: the display and wine prefix that
# tools/with-wine.sh prepared for that slot (VELMORA_SLOTS). Outside a run with slots the
# command runs as it is, with the display and prefix it was given.
#
#   tools/wine-slot.sh <command> [args...]
set -eu
if [ -n "${VELMORA_SLOTS_DIR:-}" ] && [ -n "${CTEST_RESOURCE_GROUP_0_SLOTS:-}" ]; then
    # "id:3,slots:1"
    slot=$(printf '%s' "$CTEST_RESOURCE_GROUP_0_SLOTS" | sed -n 's/^id:\([0-9]*\),.*/\1/p')
    if [ ! -f "$VELMORA_SLOTS_DIR/$slot.env" ]; then
        echo "no slot \"$slot\" in $VELMORA_SLOTS_DIR" >&2
        exit 1
    fi
    . "$VELMORA_SLOTS_DIR/$slot.env"
    export DISPLAY WINEPREFIX
fi
exec "$@"
