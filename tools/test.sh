#!/bin/sh
# Builds everything and runs every test: first the window-free code's tests natively under
# the sanitizers and each fuzz target briefly (VELMORA_FUZZ_SECONDS each, default 20; 0
# skips them), then every test twice, each time under wine on a virtual display: under the
# machine's wine (Debian 12's wine 8), then under the current Debian stable's (wine 10, in
# the Debian 13 root that tools/debian13.sh makes once and keeps). The same built programs
# run in both wine passes; every pass must pass. Arguments go to ctest (wine passes only).
#
#   tools/test.sh [ctest args...]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}

# One pass, under whichever wine this runs with.
if [ "${1:-}" = "--pass" ]; then
    shift
    echo "Wine: $(wine --version)"
    VELMORA_HEADLESS=1 exec "$ROOT/tools/with-wine.sh" "$BUILD" \
        ctest --test-dir "$BUILD" --output-on-failure "$@"
fi

"$ROOT/tools/build.sh"
BUILD=$(cd "$BUILD" && pwd)

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

# The native pass: its own build, seconds of tests, then the fuzz targets.
native_pass() {
    log="$BUILD/Testing/pass-native.log"
    mkdir -p "$BUILD/Testing"
    rm -f "$log.status"
    echo
    echo "=== Pass: native ==="
    started=$(date +%s)
    status=0
    { "$ROOT/tools/native-test.sh" || echo "native tests failed" >"$log.status"
      if [ "${VELMORA_FUZZ_SECONDS:-20}" -gt 0 ]; then
          "$ROOT/tools/fuzz.sh" "${VELMORA_FUZZ_SECONDS:-20}" || echo "fuzzing failed" >>"$log.status"
      fi; } 2>&1 | tee "$log"
    [ -s "$log.status" ] && status=1
    rm -f "$log.status"
    seconds=$(( $(date +%s) - started ))
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

native_pass
run_pass debian12 "" "$@"
run_pass debian13 "$ROOT/tools/debian13.sh" "$@"

echo
echo "=== All passes ===$summary"
exit $failed
