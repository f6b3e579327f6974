#!/usr/bin/env bash
# Installs what building and testing Zorik needs on Debian 12, as root.
# Quiet and quick when everything is already there.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

pkgs=(cmake ninja-build g++ googletest libgtest-dev
      g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 mingw-w64-i686-dev
      g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
      llvm clang lld
      wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils imagemagick locales fonts-nanum python3
      postgresql-15 postgresql-client-15 unixodbc libodbc2:i386 odbc-postgresql:i386)
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
# The line's database tests start a PostgreSQL server of their own and
# stop it at the end: the package makes no cluster of its own to run.
if ! have postgresql-15; then
    mkdir -p /etc/postgresql-common/createcluster.d
    echo 'create_main_cluster = false' > /etc/postgresql-common/createcluster.d/zorik-tests.conf
fi
if [ ${#need[@]} -gt 0 ]; then
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

if ! locale -a | grep -qi '^ko_KR.utf8$'; then
    sed -i 's/^# *\(ko_KR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
