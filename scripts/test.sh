#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test:
#   host       logic and unit tests with AddressSanitizer and UBSan
#   host-tsan  the same under ThreadSanitizer
#   sim        ZorikApi.dll and Zorik.exe with the simulated unit, tests under Wine
#   hw         the hardware build, tests under Wine
#   x64-hw     ZorikApi.dll for 64-bit programs and its tests, under Wine's 64-bit loader
#   x64-sim    the same with the simulated unit
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "$(id -u)" = 0 ]; then
    bash scripts/install-deps.sh
elif command -v sudo >/dev/null; then
    sudo bash scripts/install-deps.sh
else
    bash scripts/install-deps.sh
fi

presets=(host host-tsan sim hw x64-hw x64-sim)
for preset in "${presets[@]}"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

# One CTest run over every build tree, so there is one summary at the end.
# Most Wine tests spend their time in the test cycle's waits, not on a
# processor: two of them a core. The processor-bound ones (the diagnosis
# oracle) take two slots each (their PROCESSORS property).
printf 'subdirs(%s)\n' "${presets[*]}" > build/CTestTestfile.cmake
run_ctest() {
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        ctest --test-dir build --output-on-failure -j "$((2 * $(nproc)))" "$@"
}

source scripts/ia32.sh
if zorik_kernel_runs_ia32; then
    run_ctest "$@"
    exit
fi

# A kernel without IA-32 execution: everything was built, the host tests and
# the checks that read the images run and decide the exit code; every test
# that needs Wine is skipped by its launcher, and said so here, twice.
wine_tests=$(ctest --test-dir build --show-only=json-v1 | python3 -c '
import json, sys
tests = json.load(sys.stdin)["tests"]
# The x64 builds run 64-bit programs in win64 prefixes: never skipped.
print(sum(any("run-in-prefix.sh" in part for part in t.get("command", []))
          and "ZORIK_WINE_ARCH=win64" not in t.get("command", []) for t in tests), len(tests))')
banner() {
    echo "=============================================================================="
    echo "  $1"
    echo "  Cause: $(zorik_ia32_reason)."
    echo "  Only the host tests, the checks that read the built images and the x64"
    echo "  library's tests (64-bit programs need no IA-32) ran here."
    echo "  A full run needs $(zorik_ia32_needs)."
    echo "=============================================================================="
}
banner "${wine_tests% *} of ${wine_tests#* } tests need Wine and will be SKIPPED on this machine."
status=0
run_ctest "$@" 2>&1 | tee build/ctest-output.txt || status=${PIPESTATUS[0]}
skipped=$(grep -c -- '\*\*\*Skipped' build/ctest-output.txt || true)
banner "$skipped tests that need Wine were SKIPPED (not passed): this run proves nothing of the 32-bit images under Windows."
exit "$status"
