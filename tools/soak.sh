#!/bin/sh
# Runs the chosen tests again and again under each wine and counts, per test, the runs
# that failed: a test that fails now and then shows here, where one run of tools/test.sh
# would call it luck. The programs must be built (tools/build.sh).
#
#   tools/soak.sh [--busy] [--wine 8|10|both] N [ctest regex]
#
#   --busy     keeps one core busy for the whole soak, as other work on a CI machine does
#   --wine     which wine: 8 (the machine's), 10 (the Debian 13 root, tools/debian13.sh),
#              or both (the default)
#   N          runs of the chosen tests under each wine
#   regex      the CTest tests to run (-R); all of them when left out
#
# The logs of failed runs are kept in build/Testing/soak/ (VELMORA_BUILD_DIR moves build/).
# The programs run VELMORA_TEST_SLOTS at once (default 3), as in tools/test.sh. Two soaks
# under the same wine cannot run side by side: they would share their slots' prefixes.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELMORA_BUILD_DIR:-$ROOT/build}

# One wine's runs, inside tools/with-wine.sh (one virtual display and wine server for all
# of them): --inner <N> <out dir> [regex]. Each run's failed CTest tests and GoogleTest
# cases go into <out dir>/failures, one per line, with the run's number.
if [ "${1:-}" = "--inner" ]; then
    runs=$2
    out=$3
    regex=${4:-}
    : >"$out/failures"
    i=1
    while [ "$i" -le "$runs" ]; do
        log="$out/run-$i.log"
        status=0
        # The programs run side by side in the slots tools/with-wine.sh made, as in
        # tools/test.sh.
        if [ -n "$regex" ]; then set -- -R "$regex"; else set --; fi
        "$ROOT/tools/test.sh" --ctest "$@" >"$log" 2>&1 || status=$?
        if [ "$status" -eq 0 ]; then
            rm -f "$log"
            echo "  run $i/$runs: passed"
        else
            # A CTest test that failed, then the GoogleTest cases it named.
            failed=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*$/\1/p' "$log" | sort -u)
            cases=$(sed -n 's/^\[  FAILED  \] \([^ ,]*\).*/\1/p' "$log" | grep -v '^[0-9]*$' | sort -u)
            [ -n "$failed" ] || failed="(ctest-exit-status-$status)"
            for t in $failed; do printf '%s\t%s\n' "$i" "$t" >>"$out/failures"; done
            for c in $cases; do printf '%s\t  %s\n' "$i" "$c" >>"$out/failures"; done
            echo "  run $i/$runs: FAILED:" $failed "(log: $log)"
        fi
        i=$((i + 1))
    done
    exit 0
fi

busy=0
wines=both
while [ $# -gt 0 ]; do
    case "$1" in
        --busy) busy=1; shift ;;
        --wine) wines=$2; shift 2 ;;
        -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) break ;;
    esac
done
case "$wines" in 8|10|both) ;; *) echo "--wine takes 8, 10 or both, not $wines" >&2; exit 2 ;; esac
runs=${1:-}
regex=${2:-}
case "$runs" in
    ''|*[!0-9]*|0) echo "usage: tools/soak.sh [--busy] [--wine 8|10|both] N [ctest regex]" >&2; exit 2 ;;
esac
if [ ! -f "$BUILD/CTestTestfile.cmake" ]; then
    echo "Nothing built in $BUILD: run tools/build.sh first." >&2
    exit 1
fi
BUILD=$(cd "$BUILD" && pwd)
export VELMORA_BUILD_DIR="$BUILD"
# How the 32-bit code runs (tools/ia32.sh); the tests read it too.
IA32_MODE=$("$ROOT/tools/ia32.sh" --mode)
VELMORA_IA32=${IA32_MODE%% *}
export VELMORA_IA32

busy_pid=""
stop_busy() {
    if [ -n "$busy_pid" ]; then
        kill "$busy_pid" 2>/dev/null || true
        wait "$busy_pid" 2>/dev/null || true
        busy_pid=""
    fi
}
trap stop_busy EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
if [ "$busy" = 1 ]; then
    # A loop of the shell's own: one core's worth of work that never sleeps.
    sh -c 'while :; do :; done' &
    busy_pid=$!
fi

SOAK="$BUILD/Testing/soak"
summary=""
total_failed=0
# soak_wine <name> <runner or "">
soak_wine() {
    name=$1
    runner=$2
    # Soaks of other tests may run beside this one: each keeps its logs apart.
    out="$SOAK/$name-$(printf '%s' "${regex:-all}" | tr -c 'A-Za-z0-9_' '_')"
    rm -rf "$out"
    mkdir -p "$out"
    echo "=== $name: $runs runs of ${regex:-every test}$( [ "$busy" = 1 ] && echo ', one core kept busy') ==="
    started=$(date +%s)
    # shellcheck disable=SC2086
    VELMORA_HEADLESS=1 VELMORA_SLOTS=${VELMORA_TEST_SLOTS:-3} $runner "$ROOT/tools/with-wine.sh" "$BUILD" \
        "$ROOT/tools/soak.sh" --inner "$runs" "$out" "$regex" ||
        echo "  (the runs under $name did not finish: see above)"
    seconds=$(( $(date +%s) - started ))
    failed_runs=$(cut -f1 "$out/failures" 2>/dev/null | sort -u | grep -c . || true)
    total_failed=$((total_failed + failed_runs))
    summary="$summary
$name: $failed_runs of $runs runs failed ($seconds s)"
    # Per test: how many runs it failed in (the CTest tests, then the GoogleTest cases, indented).
    counts=$({ cut -f2 "$out/failures" | grep -v '^ ' | sort; cut -f2 "$out/failures" | grep '^ ' | sort; } | uniq -c |
             awk -v runs="$runs" '{ n = $1; sub(/^ *[0-9]+ /, ""); printf "  %3d of %d  %s\n", n, runs, $0 }')
    if [ -n "$counts" ]; then
        summary="$summary
$counts"
    fi
}

case "$wines" in 8|both) soak_wine wine8 "" ;; esac
case "$wines" in 10|both) soak_wine wine10 "$ROOT/tools/debian13.sh" ;; esac
stop_busy

echo
echo "=== Soak: ${regex:-every test}, $runs runs under each wine$( [ "$busy" = 1 ] && echo ', one core kept busy'), ${VELMORA_TEST_SLOTS:-3} programs at once; 32-bit code $IA32_MODE ===$summary"
[ "$total_failed" -eq 0 ]
