#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test:
#   host       logic and unit tests with AddressSanitizer and UBSan
#   host-tsan  the same under ThreadSanitizer
#   sim        ZorikApi.dll and Zorik.exe with the simulated unit, tests under Wine
#   hw         the hardware build, tests under Wine
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "$(id -u)" = 0 ]; then
    bash scripts/install-deps.sh
elif command -v sudo >/dev/null; then
    sudo bash scripts/install-deps.sh
else
    bash scripts/install-deps.sh
fi

presets=(host host-tsan sim hw)
for preset in "${presets[@]}"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

# One CTest run over every build tree, so there is one summary at the end.
printf 'subdirs(%s)\n' "${presets[*]}" > build/CTestTestfile.cmake
exec xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir build --output-on-failure -j "$(nproc)" "$@"
