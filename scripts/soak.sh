#!/usr/bin/env bash
# Soak run: Zorik (simulated unit with an intermittent input) runs its
# loopback test for MINUTES while a watcher samples it every
# ZORIK_SOAK_SAMPLE seconds: memory of the Zorik.exe process, length of the
# log box, cycle rate, and how fast the window answers (WM_NULL round trip,
# an output switch click until it shows). A summary follows the samples;
# then the test is stopped and Zorik left through its exit button.
#
#   scripts/soak.sh [MINUTES]        default 30
#
# Environment:
#   ZORIK_SOAK_SIM     the unit's faults (default flaky=1:5%,seed=7; see
#                      docs/simulated-unit.md)
#   ZORIK_SOAK_SAMPLE  seconds between samples (default 10)
#   ZORIK_BUILD_DIR    build tree of the sim preset (default build/sim)
#
# A long run belongs in the background, e.g.
#   nohup scripts/soak.sh 30 > build/soak.log 2>&1 &
# Exit code: 0 done, 1 bad use or build failure, 2 Zorik did not follow a
# step, 124 the whole run overran its time limit and was killed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

minutes=${1:-30}
if ! [[ $minutes =~ ^[0-9]+([.][0-9]+)?$ ]] || [ "$(awk "BEGIN{print ($minutes > 0)}")" != 1 ]; then
    echo "usage: scripts/soak.sh [MINUTES]   (MINUTES > 0, default 30)" >&2
    exit 1
fi
sample=${ZORIK_SOAK_SAMPLE:-10}
sim=${ZORIK_SOAK_SIM:-flaky=1:5%,seed=7}
build=${ZORIK_BUILD_DIR:-build/sim}

echo "soak: building the sim preset in $build" >&2
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset sim -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target zorik_soak >/dev/null

# Wine needs a display; without one the run gets a virtual one.
display=()
if [ -z "${DISPLAY:-}" ]; then
    display=(xvfb-run -a)
fi

# The watcher stops Zorik on every failure it sees; the time limit (the run,
# plus room for start-up and leaving) ends the whole prefix if it hangs.
export ZORIK_WINE_TIMEOUT=$(awk "BEGIN{printf \"%d\", $minutes * 60 + 180}")
echo "soak: $minutes min, ZORIK_SIM=$sim, started $(date '+%F %T')" >&2
set +e
"${display[@]}" tests/wine/run-in-prefix.sh "$build/bin/zorik_soak.exe" "$minutes" "$sample" "$sim"
rc=$?
set -e
echo "soak: finished $(date '+%F %T') with exit code $rc" >&2
exit $rc
