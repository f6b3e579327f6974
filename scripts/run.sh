#!/usr/bin/env bash
# Builds Zorik and opens it under Wine.
#
#   scripts/run.sh [sim|hw]
#
# sim (the default) runs against the simulated unit; hw, or ZORIK_BUILD=hw,
# runs the hardware build, which under Wine finds no port to drive. The
# simulated unit's faults are chosen with ZORIK_SIM (docs/simulated-unit.md).
#
# Zorik runs in a Wine prefix of the user's own, ZORIK_WINEPREFIX (default
# ~/.local/share/zorik/wine), made on first use. The build goes to
# build/<sim|hw> unless ZORIK_BUILD_DIR names another directory.
#
# Zorik runs in ZORIK_RUN_DIR (default build/run), where its report
# ErrorInfo.txt lands. Without a display ($DISPLAY empty) it still runs, on
# a virtual display: a loopback test of ZORIK_RUN_SECONDS (default 2) is
# run through its buttons, a screenshot of the dialog (zorik.png) is taken
# and Zorik is left with "yes" to the save question, so both the screenshot
# and the report are left in that folder. docs/zorik.png was made so:
#
#   ZORIK_SIM=stuck-off=1 ZORIK_RUN_SECONDS=8 DISPLAY= scripts/run.sh
#
# ZORIK_STATION="SERIAL ..." runs station mode instead (/station:history.csv
# /rate:5, history.csv in that folder): without a display each serial is
# scanned in turn, its unit tested to its end, and the screenshot shows the
# banner of the last one. docs/station.png was made so:
#
#   ZORIK_SIM=stuck-off=1 ZORIK_STATION="SN-24017 SN-24018" DISPLAY= scripts/run.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

export WINEPREFIX=${ZORIK_WINEPREFIX:-$HOME/.local/share/zorik/wine}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts, no menu entries on the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8

prepare_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "run: making the Wine prefix $WINEPREFIX (once)"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
}

# The part that runs on the virtual display (see the end of this script):
# Zorik from $ZORIK_BIN, its report and the screenshot into $ZORIK_OUT.
if [ "${1:-}" = --on-virtual-display ]; then
    prepare_prefix
    cd "$ZORIK_OUT"
    # Wine's own desktop window draws the title bars, since no window
    # manager runs on the virtual display. The report lands in the current
    # directory.
    station_args=()
    [ -n "${ZORIK_STATION:-}" ] && station_args=(/station:history.csv /rate:5)
    timeout 900 wine explorer /desktop=Zorik,800x800 "$(winepath -w "$ZORIK_BIN/Zorik.exe")" "${station_args[@]}" &
    zorik=$!
    driver=$(winepath -w "$ZORIK_BIN/zorik_driver.exe")
    status=0
    if [ -n "${ZORIK_STATION:-}" ]; then
        for serial in $ZORIK_STATION; do
            timeout 700 wine "$driver" scan "$serial" || { status=$?; break; }
        done
    else
        timeout $((ZORIK_RUN_SECONDS + 90)) wine "$driver" test "$ZORIK_RUN_SECONDS" || status=$?
    fi
    if [ $status -eq 0 ]; then
        sleep 0.5
        # Only the dialog, cut from the whole desktop.
        place=$(timeout 30 wine "$driver" place | tr -d '\r' | tail -n 1) || true
        [[ "$place" =~ ^[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+$ ]] || place=
        import -window root ${place:+-crop "$place"} +repage "$ZORIK_OUT/zorik.png"
        timeout 60 wine "$driver" exit-save || status=$?
    else
        import -window root "$ZORIK_OUT/zorik.png" || true
    fi
    wineserver -k >/dev/null 2>&1 || true
    wait "$zorik" 2>/dev/null || true
    exit $status
fi

build=${1:-${ZORIK_BUILD:-sim}}
case "$build" in
sim | hw) ;;
*)
    echo "usage: scripts/run.sh [sim|hw]  (or ZORIK_BUILD=sim|hw)" >&2
    exit 1
    ;;
esac

seconds=${ZORIK_RUN_SECONDS:-2}
if ! [[ "$seconds" =~ ^[0-9]{1,3}$ ]] || [ "$seconds" -lt 1 ] || [ "$seconds" -gt 600 ]; then
    echo "run: ZORIK_RUN_SECONDS is \"$seconds\"; expected whole seconds from 1 to 600" >&2
    exit 1
fi

if [ "$(id -u)" = 0 ]; then
    bash scripts/install-deps.sh
elif ! bash scripts/install-deps.sh 2>/dev/null; then
    # Something is missing, and installing it takes root.
    if command -v sudo >/dev/null; then
        sudo bash scripts/install-deps.sh
    else
        bash scripts/install-deps.sh
    fi
fi

dir=${ZORIK_BUILD_DIR:-build/$build}
cmake --preset "$build" -B "$dir" >/dev/null
cmake --build "$dir" -j "$(nproc)" --target Zorik zorik_driver
bin=$(cd "$dir" && pwd)/bin

source "$root/scripts/ia32.sh"
if ! zorik_kernel_runs_ia32; then
    echo "run: Zorik is built ($bin/Zorik.exe), but it cannot be started here:" >&2
    echo "run: $(zorik_ia32_reason)." >&2
    echo "run: Wine needs $(zorik_ia32_needs); or copy the build to a Windows PC." >&2
    exit 3
fi

# Zorik's current directory, where its report lands.
out=${ZORIK_RUN_DIR:-$root/build/run}
mkdir -p "$out"
out=$(cd "$out" && pwd)

if [ -n "${DISPLAY:-}" ]; then
    prepare_prefix
    echo "run: Zorik writes its report ErrorInfo.txt to $out"
    cd "$out"
    if [ -n "${ZORIK_STATION:-}" ]; then
        exec wine "$bin/Zorik.exe" /station:history.csv /rate:5
    fi
    exec wine "$bin/Zorik.exe"
fi

# No display: everything below runs on a virtual one.
rm -f "$out/ErrorInfo.txt" "$out/zorik.png"
echo "run: no display (\$DISPLAY is empty); running Zorik on a virtual display"
echo "run: a loopback test of $seconds s, a screenshot and the report go to $out"

status=0
ZORIK_BIN=$bin ZORIK_OUT=$out ZORIK_RUN_SECONDS=$seconds xvfb-run -a -s "-screen 0 800x800x24" \
    bash "$root/scripts/run.sh" --on-virtual-display || status=$?

echo "run: screenshot $out/zorik.png"
if [ -n "${ZORIK_STATION:-}" ] && [ -f "$out/history.csv" ]; then
    echo "run: station history $out/history.csv:"
    iconv -f CP949 -t UTF-8 "$out/history.csv" | sed -e 's/\r//g' -e 's/^/    /'
fi
if [ -f "$out/ErrorInfo.txt" ]; then
    echo "run: report $out/ErrorInfo.txt:"
    sed -e 's/\r//g' "$out/ErrorInfo.txt" | iconv -f CP949 -t UTF-8 | sed -e 's/^/    /'
else
    echo "run: no report was written" >&2
    [ $status -ne 0 ] || status=1
fi
exit $status
