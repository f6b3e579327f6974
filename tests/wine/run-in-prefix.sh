#!/usr/bin/env bash
# Runs one Windows program under Wine in a Wine prefix of its own, made for
# this run from a shared template and removed afterwards, so that no setting
# leaks between runs or into the user's own prefix.
#
#   run-in-prefix.sh PROGRAM.exe [ARGS...]
#
# Environment:
#   ZORIK_WINE_VERSION  Windows version Wine reports: win98, winxp, win31, ...
#   ZORIK_WINE_GIVEIO   1: the device \\.\giveio exists (a link to /dev/null)
#   ZORIK_WINE_TIMEOUT  seconds before the run is killed (default 300)
#   ZORIK_WINE_KEEP     1: keep the prefix (its path is printed)
#   ZORIK_WINE_TEMPLATE where the win32 template prefix lives
#   ZORIK_WINE_CWD      directory to run the program in (default: current)
#   ZORIK_WINE_ARCH     win32 (default) or win64: a 64-bit Windows prefix, made
#                       from a template of its own (ZORIK_WINE_TEMPLATE-win64)
#                       with Wine's 64-bit loader, in which 64-bit programs run
#                       and 32-bit ones run as WOW64 processes
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

arch=${ZORIK_WINE_ARCH:-win32}
case "$arch" in
    win32 | win64) ;;
    *)
        echo "run-in-prefix: ZORIK_WINE_ARCH=$arch: accepted are win32 and win64" >&2
        exit 2
        ;;
esac

# On a kernel that runs no 32-bit programs Wine's 32-bit loader cannot start
# at all: a test of a 32-bit program is skipped, with the reason, rather
# than failed. A 64-bit program in a win64 prefix needs only Wine's 64-bit
# loader, so it runs there all the same.
source "$here/../../scripts/ia32.sh"
if ! { [ "$arch" = win64 ] && zorik_is_x64_image "${1:-}"; } && ! zorik_kernel_runs_ia32; then
    echo "run-in-prefix: skipped: $(zorik_ia32_reason)" >&2
    exit "$ZORIK_IA32_SKIP_CODE"
fi
template=${ZORIK_WINE_TEMPLATE:-$here/../../build/wine-template}
[ "$arch" = win64 ] && template=$template-win64
if [ "$arch" = win64 ] && [ ! -x "${ZORIK_WINE64:-/usr/lib/wine/wine64}" ]; then
    echo "run-in-prefix: ZORIK_WINE_ARCH=win64 needs wine64 (scripts/install-deps.sh installs it)" >&2
    exit 1
fi
mkdir -p "$(dirname "$template")"
template=$(cd "$(dirname "$template")" && pwd)/$(basename "$template")

export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=$arch
# Debian's wine starts the 32-bit loader, which a kernel without IA-32
# cannot run: a win64 prefix is made, and a 64-bit program run, with the
# 64-bit one; a 32-bit program runs through the 32-bit loader, as a WOW64
# process in a win64 prefix.
wine64=${ZORIK_WINE64:-/usr/lib/wine/wine64}
if [ "$arch" = win64 ] && zorik_is_x64_image "${1:-}"; then
    wine=$wine64
else
    wine=wine
fi
# No Mono or Gecko installer prompts, no menu entries on the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# The template is made once per template version; concurrent runs wait for
# whoever makes it.
template_version=2
(
    flock 9
    if [ "$(cat "$template/.ready" 2>/dev/null)" != "$template_version" ]; then
        rm -rf "$template"
        if [ "$arch" = win64 ]; then
            WINEPREFIX="$template" "$wine64" wineboot -i >/dev/null 2>&1
        else
            WINEPREFIX="$template" wineboot -i >/dev/null 2>&1
        fi
        WINEPREFIX="$template" wineserver -w
        # A crash prints its backtrace and ends instead of opening a dialog
        # that would wait for an operator.
        printf '\n[Software\\\\Wine\\\\WineDbg] 0\n"ShowCrashDialog"=dword:00000000\n' >> "$template/user.reg"
        # Xvfb runs no window manager; a managed Wine window would wait up to
        # two seconds for one each time a window is hidden.
        printf '\n[Software\\\\Wine\\\\X11 Driver] 0\n"Managed"="N"\n' >> "$template/user.reg"
        echo "$template_version" > "$template/.ready"
    fi
) 9>"$template.lock"

prefix=$(mktemp -d "${TMPDIR:-/tmp}/zorik-wine.XXXXXX")
cleanup() {
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    if [ "${ZORIK_WINE_KEEP:-0}" = 1 ]; then
        echo "run-in-prefix: kept $prefix" >&2
    else
        rm -rf "$prefix"
    fi
}
trap cleanup EXIT

# The system DLLs are only read: link them. The registry is written: copy it.
cp -al "$template/." "$prefix/"
for reg in "$template"/*.reg; do
    cp --remove-destination "$reg" "$prefix/$(basename "$reg")"
done

if [ -n "${ZORIK_WINE_VERSION:-}" ]; then
    printf '\n[Software\\\\Wine] 0\n"Version"="%s"\n' "$ZORIK_WINE_VERSION" >> "$prefix/user.reg"
fi
if [ "${ZORIK_WINE_GIVEIO:-0}" = 1 ]; then
    ln -s /dev/null "$prefix/dosdevices/giveio"
fi

export WINEPREFIX="$prefix"
[ -n "${ZORIK_WINE_CWD:-}" ] && cd "$ZORIK_WINE_CWD"
set +e
timeout --kill-after=5 "${ZORIK_WINE_TIMEOUT:-300}" "$wine" "$@"
rc=$?
set -e
[ $rc -eq 124 ] && echo "run-in-prefix: killed after ${ZORIK_WINE_TIMEOUT:-300} s: $*" >&2
exit $rc
