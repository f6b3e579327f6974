#!/usr/bin/env bash
# Photographs Zorik's dialog while a loopback test runs and logs errors,
# to see that the Korean texts render.
#
#   screenshot-midtest.sh BUILD_DIR OUTPUT.png
#
# BUILD_DIR is a simulated build (e.g. build/sim) with the e2e tests built.
set -euo pipefail
build=$(cd "$1" && pwd)
output=$(realpath -m "$2")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
export ZORIK_E2E_SHOT_DIR=$shots ZORIK_WINE_TIMEOUT=60

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1/tests/wine/run-in-prefix.sh" "$2/bin/zorik_e2e_test.exe" \
        --gtest_also_run_disabled_tests --gtest_filter=Screenshot.* &
    runner=$!
    for _ in $(seq 600); do
        [ -f "$ZORIK_E2E_SHOT_DIR/ready" ] && break
        kill -0 $runner 2>/dev/null || break
        sleep 0.05
    done
    [ -f "$ZORIK_E2E_SHOT_DIR/ready" ] && import -window root "$3"
    touch "$ZORIK_E2E_SHOT_DIR/done"
    wait $runner
' screenshot "$here/../../.." "$build" "$output"
echo "saved $output"
