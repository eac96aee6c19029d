#!/bin/sh
# Builds everything and runs every test twice, each time under wine on a virtual display:
# under the machine's wine (Debian 12's wine 8), then under the current Debian stable's
# (wine 10, in the Debian 13 root that tools/debian13.sh makes once and keeps). The same
# built programs run in both passes; both must pass. Arguments go to ctest.
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

run_pass debian12 "" "$@"
run_pass debian13 "$ROOT/tools/debian13.sh" "$@"

echo
echo "=== Both passes ===$summary"
exit $failed
