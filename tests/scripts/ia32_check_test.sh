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
# A 64-bit program in a win64 prefix needs no IA-32: the launcher runs it
# through Wine's 64-bit loader (here a stand-in that records its call), on
# that kernel too; a 32-bit one there is still skipped. Each row: the image's
# machine (none: no image), the arch, the exit code, and what the output holds.
image() { # machine file
    python3 - "$1" "$2" <<'PY'
import struct, sys
head = bytearray(0x100)
head[:2] = b"MZ"
struct.pack_into("<I", head, 0x3C, 0x80)
struct.pack_into("<4sH", head, 0x80, b"PE\0\0", int(sys.argv[1], 16))
open(sys.argv[2], "wb").write(head)
PY
}
image 8664 "$work/x64.exe"
image 14c "$work/x86.exe"
mkdir -p "$work/bin"
printf '#!/bin/sh\nmkdir -p "$WINEPREFIX"; touch "$WINEPREFIX/user.reg"; echo "wine64 ran $*"\n' > "$work/wine64"
printf '#!/bin/sh\nexit 0\n' > "$work/bin/wineserver"
chmod +x "$work/wine64" "$work/bin/wineserver"
launch() { # arch program
    ZORIK_IA32_LOADER=$work/enoexec ZORIK_WINE_TEMPLATE=$work/template ZORIK_WINE_ARCH=$1 \
        ZORIK_WINE64=$work/wine64 PATH="$work/bin:$PATH" bash "$root/tests/wine/run-in-prefix.sh" "$2" 2>&1
}
while IFS='|' read -r arch program expected_rc expected_text; do
    out=$(launch "$arch" "$work/$program")
    rc=$?
    if [ "$rc" -ne "$expected_rc" ] || [[ "$out" != *"$expected_text"* ]]; then
        echo "FAIL: run-in-prefix.sh, ZORIK_WINE_ARCH=$arch, $program, no IA-32: exit $rc, output: $out"
        failed=1
    else
        echo "ok: run-in-prefix.sh, ZORIK_WINE_ARCH=$arch, $program, no IA-32: exit $rc"
    fi
done <<'ROWS'
win64|x64.exe|0|wine64 ran
win64|x86.exe|77|Exec format error
win32|x64.exe|77|Exec format error
win64|missing.exe|77|Exec format error
win16|x64.exe|2|ZORIK_WINE_ARCH=win16: accepted are win32 and win64
ROWS
if [ -e "$work/template" ]; then
    echo "FAIL: a win64 run made the win32 template"
    failed=1
fi
exit $failed
