#!/bin/sh
# Builds everything and runs every test: the window-free code's tests natively under the
# sanitizers and each fuzz target briefly (VELMORA_FUZZ_SECONDS each, default 20; 0 skips
# them), and every test twice, each time under wine on virtual displays: under the
# machine's wine (Debian 12's wine 8), then under the current Debian stable's (wine 10, in
# the Debian 13 root that tools/debian13.sh makes once and keeps). The native pass runs
# beside the wine passes, and each wine pass runs VELMORA_TEST_SLOTS programs at once
# (default 3), each on a display and in a wine prefix of its own. The same built programs
# run in both wine passes; every pass must pass. Arguments go to ctest (wine passes only).
#
#   tools/test.sh [ctest args...]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}
SLOTS=${VELMORA_TEST_SLOTS:-3}

# One pass, under whichever wine this runs with.
if [ "${1:-}" = "--pass" ]; then
    shift
    echo "Wine: $(wine --version)"
    VELMORA_HEADLESS=1 VELMORA_SLOTS=$SLOTS exec "$ROOT/tools/with-wine.sh" "$BUILD" "$0" --ctest "$@"
fi
# Inside tools/with-wine.sh: as many programs at once as it made slots, which CTest hands
# out (the soak runs its tests through this too).
if [ "${1:-}" = "--ctest" ]; then
    shift
    # CTest reads the slots from the build's file: one that lists fewer than were made
    # would quietly run the programs one after another.
    listed=$(grep -o '"id"' "$BUILD/Testing/slots.json" 2>/dev/null | grep -c . || true)
    if [ "$listed" -ne "${VELMORA_SLOT_COUNT:-1}" ]; then
        echo "$BUILD/Testing/slots.json lists $listed slots, but ${VELMORA_SLOT_COUNT:-1} were made" >&2
        exit 1
    fi
    exec ctest --test-dir "$BUILD" --output-on-failure -j "${VELMORA_SLOT_COUNT:-1}" "$@"
fi

started_all=$(date +%s)
"$ROOT/tools/build.sh"
BUILD=$(cd "$BUILD" && pwd)
# How the 32-bit code runs here (tools/ia32.sh, run by the build, set it up). The tests
# read it too: a check that only the emulator keeps from running says so.
IA32_MODE=$("$ROOT/tools/ia32.sh" --mode)
VELMORA_IA32=${IA32_MODE%% *}
export VELMORA_IA32

summary=""
failed=0
# run_pass <name> <runner or ""> [ctest args...]
run_pass() {
    name=$1
    runner=$2
    shift 2
    log="$BUILD/Testing/pass-$name.log"
    mkdir -p "$BUILD/Testing"
    echo
    echo "=== Pass: $name ==="
    started=$(date +%s)
    rm -f "$BUILD/Testing/Temporary/LastTest.log"
    # shellcheck disable=SC2086
    { status=0; $runner "$ROOT/tools/test.sh" --pass "$@" || status=$?; echo "$status" >"$log.status"; } 2>&1 |
        tee "$log"
    status=$(cat "$log.status")
    seconds=$(( $(date +%s) - started ))
    # Checks a pass skips say why; the reasons go into the summary.
    skipped=$(grep -A1 ': Skipped$' "$BUILD/Testing/Temporary/LastTest.log" 2>/dev/null |
              grep -v -e ': Skipped$' -e '^--$' | sort -u | sed 's/^/      skipped: /' || true)
    line=$(grep -E 'tests passed|No tests were found' "$log" | tail -n 1 || true)
    wine_version=$(sed -n 's/^Wine: //p' "$log" | head -n 1)
    summary="$summary
  $name, ${wine_version:-wine did not start}: ${line:-no test summary} ($seconds s)"
    if [ -n "$skipped" ]; then
        summary="$summary
$skipped"
    fi
    if [ "$status" -ne 0 ]; then
        failed=1
        summary="$summary
      FAILED (exit status $status)"
    fi
}

# The native pass: its own build, seconds of tests, then the fuzz targets. It runs in the
# background beside the wine passes; its output is shown when it has ended.
native_log="$BUILD/Testing/pass-native.log"
start_native_pass() {
    mkdir -p "$BUILD/Testing"
    rm -f "$native_log.status"
    native_started=$(date +%s)
    { "$ROOT/tools/native-test.sh" || echo "native tests failed" >"$native_log.status"
      if [ "${VELMORA_FUZZ_SECONDS:-20}" -gt 0 ]; then
          "$ROOT/tools/fuzz.sh" "${VELMORA_FUZZ_SECONDS:-20}" || echo "fuzzing failed" >>"$native_log.status"
      fi
      date +%s >"$native_log.ended"; } >"$native_log" 2>&1 &
    native_pid=$!
}
end_native_pass() {
    log=$native_log
    wait "$native_pid" || true
    echo
    echo "=== Pass: native ==="
    cat "$log"
    status=0
    [ -s "$log.status" ] && status=1
    rm -f "$log.status"
    seconds=$(( $(cat "$log.ended" 2>/dev/null || date +%s) - native_started ))
    rm -f "$log.ended"
    tests=$(grep -E 'tests passed|No tests were found' "$log" | tail -n 1 || true)
    fuzz=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1 || true)
    summary="$summary
  native, clang under sanitizers: ${tests:-no test summary}; fuzz targets: ${fuzz:-not run} ($seconds s)"
    if [ "$status" -ne 0 ]; then
        failed=1
        summary="$summary
      FAILED"
    fi
}

start_native_pass
run_pass debian12 "" "$@"
run_pass debian13 "$ROOT/tools/debian13.sh" "$@"
end_native_pass

echo
echo "=== All passes: 32-bit code $IA32_MODE; $SLOTS programs at once in each wine pass; $(( $(date +%s) - started_all )) s in all ===$summary"
exit $failed
