#!/usr/bin/env bash
# Installs what building and testing Tavrel needs on Debian 12, quickly when all is there.
set -euo pipefail
# shellcheck source=host-arch.sh
source "$(dirname "$0")/host-arch.sh"

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(cmake make ninja-build g++ python3 googletest
          g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
          wine xvfb x11-utils x11-apps xdotool imagemagick locales procps fonts-wqy-microhei fonts-arphic-uming unzip
          clang libclang-rt-14-dev)
# 32-bit Wine runs the shipped program; where this Linux runs no 32-bit code
# the tests use a 64-bit build under 64-bit Wine instead.
if tavrel_host_runs_i386; then
    packages+=(wine32:i386)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        fresh_arch=1
    fi
else
    packages+=(wine64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
               mingw-w64-x86-64-dev)
fi
for p in "${packages[@]}"; do have_pkg "$p" || need+=("$p"); done

if [ ${#need[@]} -gt 0 ] || [ -n "${fresh_arch:-}" ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${need[@]}"
fi

# Wine chooses the ANSI code page from LANG; without a generated zh_CN.UTF-8 it silently uses 1252.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen zh_CN.UTF-8
fi
