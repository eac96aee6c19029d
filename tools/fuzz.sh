#!/bin/sh
# Builds the fuzz targets (fuzz/fuzz_*.cpp, in the native build of tools/native-test.sh)
# and runs each for SECONDS (default 60), all at once, from its seed corpus in fuzz/corpus/, with its
# dictionary when it has one. Prints each target's executions and outcome, then
# "N passed, M failed". An input that breaks a target is left in build/fuzz/ and the
# command exits non-zero; run the target on that file to see the failure again:
#
#   tools/fuzz.sh [SECONDS]
#   build/native/fuzz_journal build/fuzz/fuzz_journal-crash-...
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${VELMORA_BUILD_DIR:-$ROOT/build}
BUILD=${VELMORA_NATIVE_BUILD_DIR:-$OUT/native}
SECONDS_EACH=${1:-60}

VELMORA_NATIVE_BUILD_DIR=$BUILD "$ROOT/tools/native-test.sh" -N >/dev/null
mkdir -p "$OUT/fuzz"

# Every target runs at once, for the same seconds; the results are read when all have ended.
pids=""
for source in "$ROOT"/fuzz/fuzz_*.cpp; do
    target=$(basename "$source" .cpp)
    name=${target#fuzz_}
    seeds="$ROOT/fuzz/corpus/$name"
    # New inputs go to a corpus of the run's own; the repository keeps its seeds.
    found="$OUT/fuzz/$target.corpus"
    mkdir -p "$found"
    log="$OUT/fuzz/$target.log"
    dict=""
    if [ -f "$ROOT/fuzz/$name.dict" ]; then dict="-dict=$ROOT/fuzz/$name.dict"; fi
    # shellcheck disable=SC2086
    { status=0
      "$BUILD/$target" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
          -print_final_stats=1 -artifact_prefix="$OUT/fuzz/$target-" $dict \
          "$found" "$seeds" >"$log" 2>&1 || status=$?
      echo "$status" >"$log.status"; } &
    pids="$pids $!"
done
for pid in $pids; do wait "$pid" || true; done

passed=0
failed=0
for source in "$ROOT"/fuzz/fuzz_*.cpp; do
    target=$(basename "$source" .cpp)
    log="$OUT/fuzz/$target.log"
    status=$(cat "$log.status" 2>/dev/null || echo 1)
    rm -f "$log.status"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        echo "  $target: ${runs:-?} executions in $SECONDS_EACH s, passed"
    else
        failed=$((failed + 1))
        kept=$(sed -n 's/.*Test unit written to //p' "$log" | tail -n 1)
        echo "  $target: ${runs:-?} executions, FAILED (exit status $status): ${kept:-see $log}"
        grep -m 3 -E '^promise broken|ERROR: |runtime error' "$log" | sed 's/^/      /' || true
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
