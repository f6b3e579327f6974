#!/usr/bin/env bash
# Benchmarks of the Windows programs, run under Wine against the simulated
# unit, each in a fresh Wine prefix; prints one table at the end:
#   - the loopback test's cycle period against the ideal 330 ms, timed on
#     the running Zorik.exe from outside (output indicator changes);
#   - the idle dialog's CPU use (and the running test's);
#   - the program's own append of one log line (m_strLog and the log box)
#     with 100 and with 100,000 lines in the log; the private memory a line
#     costs once the box is full; the cycle period of the real worker
#     against a unit that logs three lines every cycle, with 100 and with
#     100,000 lines in the log; the cycle period with and without the
#     summary line kept current;
#   - the journal: the same cycle period with and without it (alternating
#     rounds), its cost per line with 100 and with 100,000 lines in it, its
#     once-a-cycle flush;
#   - flat memory: private memory after 1,000, 100,000 and 1,000,000 log
#     lines fed at full speed through the log, the journal and the log's
#     listener, and the time to save the report at each point;
#   - the real Zorik.exe's cycle period on a healthy unit and on one whose
#     every input fails, in alternating rounds, and their ratio;
#   - the journal's flushes per minute, healthy and failing, over simulated
#     time (the host's logic bench, when a host build exists);
#   - the wall time of a bounded run, Zorik.exe /cycles:100, against 100
#     times the cycle period;
#   - the cost of one Zorik_Read and one Zorik_Write call;
#   - the station (station_bench): /rate:5's cycles and units an hour for a
#     healthy and a stuck-off unit over 1,000 seeds of the simulated unit's
#     model, a 10,000-row history read and appended to, and the /rate
#     rule's cost a cycle (the only work station mode adds to a cycle);
#     and the real Zorik.exe's cycle in station mode against the operator's
#     dialog, in alternating rounds;
#   - the hardware build's test cycle through InpOut32's library (the
#     tests' stand-in inpout32.dll, 20 us added per call as a driver's round
#     trip costs) against the cycle through giveio, in alternating rounds,
#     and their ratio (inpout_route_bench).
#   - the line's database (line): a unit's write to a PostgreSQL server on
#     127.0.0.1 (started for the bench, removed after), and the station's
#     cycle with /line against without, in alternating rounds.
# Figures only: nothing here passes or fails on a number.
#
#   scripts/bench.sh
#
# Environment:
#   ZORIK_BUILD_DIR           build tree of the sim preset (default build/sim)
#   ZORIK_BENCH_IDLE_SECONDS  idle CPU window (default 10)
#   ZORIK_BENCH_TEST_SECONDS  loopback test watched for the cycle figures
#                             (default 40, about 120 cycles)
#   ZORIK_BENCH_ROUNDS        healthy / failing rounds on Zorik.exe (default 3)
#   ZORIK_BENCH_ROUND_SECONDS seconds each such round is watched (default 10)
#   ZORIK_HOST_BUILD_DIR      build tree of the host preset (default
#                             build/host); its logic bench runs when it exists
#   ZORIK_HW_BUILD_DIR        build tree of the hw preset (default build/hw),
#                             for the inpout part
#   ZORIK_BENCH_ONLY          the parts to run, of: api log_box flat dialog
#                             alternate logic oracle station inpout line (default all)
# Exit code: 0 all figures taken, 1 build failure, 2 a benchmark failed
# (its reason is printed).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

build=${ZORIK_BUILD_DIR:-build/sim}
idle=${ZORIK_BENCH_IDLE_SECONDS:-10}
test_seconds=${ZORIK_BENCH_TEST_SECONDS:-40}
rounds=${ZORIK_BENCH_ROUNDS:-3}
round_seconds=${ZORIK_BENCH_ROUND_SECONDS:-10}
host_build=${ZORIK_HOST_BUILD_DIR:-build/host}
hw_build=${ZORIK_HW_BUILD_DIR:-build/hw}
only=" ${ZORIK_BENCH_ONLY:-api log_box flat dialog alternate logic oracle station inpout line} "
wanted() { [[ $only == *" $1 "* ]]; }

if [ -z "${ZORIK_BENCH_BUILT:-}" ]; then
    echo "bench: building the sim preset in $build" >&2
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake --preset sim -B "$build" >/dev/null
    fi
    cmake --build "$build" -j2 --target Zorik ZorikApi zorik_dialog_bench zorik_log_box_bench \
        zorik_api_call_bench station_bench line_database_bench >/dev/null
    if wanted inpout; then
        echo "bench: building the hw preset's route bench in $hw_build" >&2
        if [ ! -f "$hw_build/CMakeCache.txt" ]; then
            cmake --preset hw -B "$hw_build" >/dev/null
        fi
        cmake --build "$hw_build" -j2 --target zorik_inpout_route_bench >/dev/null
    fi
    # Wine needs a display; without one the rest runs on a virtual one.
    if [ -z "${DISPLAY:-}" ]; then
        ZORIK_BENCH_BUILT=1 exec xvfb-run -a "$0" "$@"
    fi
fi

rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
failed=0

# run SECONDS PROGRAM ARGS...: one program in a fresh prefix, killed after
# SECONDS; its table rows are kept, everything else it says is shown.
run() {
    local limit=$1 program=$2
    shift 2
    echo "bench: $program $*" >&2
    local rc=0
    ZORIK_WINE_TIMEOUT=$limit tests/wine/run-in-prefix.sh "$build/bin/$program" "$@" \
        > >(tee -a "$rows" | grep -v '^ROW|' >&2) || rc=$?
    wait
    if [ $rc -ne 0 ]; then
        echo "bench: $program failed with exit code $rc" >&2
        failed=1
    fi
}

wanted api && run 120 zorik_api_call_bench.exe
wanted station && run 300 station_bench.exe
wanted log_box && run 600 zorik_log_box_bench.exe
wanted flat && run 1200 zorik_log_box_bench.exe flat
wanted dialog && run $((idle + test_seconds + 240)) zorik_dialog_bench.exe "$idle" "$test_seconds"
wanted alternate && run $((2 * rounds * (round_seconds + 30) + 60)) zorik_dialog_bench.exe alternate \
    "$rounds" "$round_seconds"
wanted station && run $((2 * rounds * (round_seconds + 30) + 60)) zorik_dialog_bench.exe station \
    "$rounds" "$round_seconds"
# The hardware build's two ways to the port: giveio's device is there, so
# Access=giveio opens; the stand-in inpout32.dll serves Access=inpout32.
if wanted inpout; then
    echo "bench: zorik_inpout_route_bench" >&2
    rc=0
    ZORIK_WINE_VERSION=winxp ZORIK_WINE_GIVEIO=1 ZORIK_WINE_TIMEOUT=$((2 * rounds * 15 + 120)) \
        tests/wine/run-in-prefix.sh "$hw_build/bin/zorik_inpout_route_bench.exe" "$rounds" 15 \
        > >(tee -a "$rows" | grep -v '^ROW|' >&2) || rc=$?
    wait
    if [ $rc -ne 0 ]; then
        echo "bench: zorik_inpout_route_bench failed with exit code $rc" >&2
        failed=1
    fi
fi
# The line's database: a server of the bench's own, as the tests make one.
if wanted line; then
    line_db="$root/$build/line-db/bench"
    if ZORIK_PG_FSYNC=on bash tests/e2e/line/line_database.sh setup "$line_db"; then
        export ODBCSYSINI="$line_db/odbc" ODBCINI="$line_db/odbc/odbc.ini"
        # Through the data source the setup wrote, so that no password is printed.
        run 300 line_database_bench.exe ZorikLine 300
        run $((2 * rounds * (round_seconds + 30) + 60)) zorik_dialog_bench.exe line /line:ZorikLine "$rounds" "$round_seconds"
        unset ODBCSYSINI ODBCINI
    else
        echo "bench: the line's database server did not start" >&2
        failed=1
    fi
    bash tests/e2e/line/line_database.sh cleanup "$line_db"
fi
# The host's logic bench needs no Wine; its flush counts come from
# simulated time.
if wanted logic; then
    if [ -f "$host_build/CMakeCache.txt" ]; then
        echo "bench: porttest_logic_bench" >&2
        if cmake --build "$host_build" --target porttest_logic_bench >/dev/null; then
            "$host_build/tests/unit/porttest_logic_bench" > >(tee -a "$rows" | grep -v '^ROW|' >&2) || failed=1
            wait
        else
            echo "bench: porttest_logic_bench did not build" >&2
            failed=1
        fi
    else
        echo "bench: no host build in $host_build (cmake --preset host): journal flush counts left out" >&2
    fi
fi
# The diagnosis oracle's table (host, no waits): cycles to the right
# finding per fault, 1,000 seeds.
if wanted oracle; then
    if [ -f "$host_build/CMakeCache.txt" ] &&
        cmake --build "$host_build" --target diagnosis_oracle_bench >/dev/null; then
        echo "bench: diagnosis_oracle_bench" >&2
        "$host_build/tests/unit/diagnosis_oracle_bench" >&2 || failed=1
    else
        echo "bench: no host build in $host_build, or diagnosis_oracle_bench did not build: oracle left out" >&2
    fi
fi

echo
echo "Zorik benchmarks, $(date '+%F %T'), simulated unit, Wine $(wine --version 2>/dev/null | sed 's/^wine-//'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
{
    echo "what|figure|how"
    grep '^ROW|' "$rows" | cut -d'|' -f2-
} | column -t -s '|'
exit $((failed ? 2 : 0))
