#!/bin/sh
# Runs a command in a time zone of its own, where the local time is 23:59:35 now: a
# check of what happens at midnight needs no waiting for one, and a wine that takes long
# to start (a busy machine, the 32-bit code run through an emulator) still starts before
# midnight. The offset is in seconds,
# which wine honours.
#
#   tools/before-midnight.sh <command> [args...]
set -eu
target=$((23 * 3600 + 59 * 60 + 35))
now=$(( $(date -u +%s) % 86400 ))
offset=$(( (target - now + 86400) % 86400 ))
# Local = UTC + offset; POSIX writes east of Greenwich with a minus sign.
sign=-
if [ "$offset" -gt 43200 ]; then
    offset=$((86400 - offset))
    sign=+
fi
TZ=$(printf 'VLM%s%02d:%02d:%02d' "$sign" $((offset / 3600)) $((offset % 3600 / 60)) $((offset % 60)))
export TZ
exec "$@"
