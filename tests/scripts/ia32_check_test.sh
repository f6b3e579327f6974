#!/usr/bin/env bash
# zorik_kernel_runs_ia32 against stand-in loaders: only a loader the kernel
# refuses with ENOEXEC means "no 32-bit programs here"; a loader that runs
# and fails, or none at all, leaves Wine's failure to show as a failure.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/scripts/ia32.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# No ELF, no #! line: execve fails with ENOEXEC, as it does for an i386 ELF
# on a kernel without IA-32 emulation.
printf '\x7fELF\x01garbage' > "$work/enoexec"
printf '#!/bin/sh\nexit 3\n' > "$work/fails"
chmod +x "$work/enoexec" "$work/fails"

failed=0
row() { # expected-status description loader
    local got=0
    zorik_kernel_runs_ia32 "$3" || got=$?
    if [ "$got" -ne "$1" ]; then
        echo "FAIL: $2: zorik_kernel_runs_ia32 returned $got, expected $1"
        failed=1
    else
        echo "ok: $2"
    fi
}
row 1 "a loader the kernel refuses with ENOEXEC" "$work/enoexec"
row 0 "a loader that runs and exits 3" "$work/fails"
row 0 "no loader at all (a missing package, not a kernel without IA-32)" "$work/missing"

# The Wine launcher skips before making any prefix.
out=$(ZORIK_IA32_LOADER=$work/enoexec ZORIK_WINE_TEMPLATE=$work/template \
      bash "$root/tests/wine/run-in-prefix.sh" notepad.exe 2>&1)
rc=$?
if [ "$rc" -ne 77 ] || [ -e "$work/template" ] || [[ "$out" != *"Exec format error"* ]]; then
    echo "FAIL: run-in-prefix.sh on a kernel without IA-32: exit $rc, output: $out"
    failed=1
else
    echo "ok: run-in-prefix.sh skips with 77 and says why"
fi
exit $failed
