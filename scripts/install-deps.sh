#!/usr/bin/env bash
# Installs what building and testing Zorik needs on Debian 12, as root.
# Quiet and quick when everything is already there.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

pkgs=(cmake ninja-build g++ googletest libgtest-dev
      g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 mingw-w64-i686-dev
      llvm clang lld
      wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils imagemagick locales fonts-nanum python3)
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done

if [ ${#need[@]} -eq 0 ] && locale -a | grep -qi '^ko_KR.utf8$'; then
    exit 0
fi

if [ "$(id -u)" != 0 ]; then
    echo "install-deps: missing packages (${need[*]}); run as root to install them" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
apt-get update -qq
if [ ${#need[@]} -gt 0 ]; then
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

if ! locale -a | grep -qi '^ko_KR.utf8$'; then
    sed -i 's/^# *\(ko_KR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
