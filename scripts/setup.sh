#!/usr/bin/env bash
# Installs what the builds and tests need on a fresh Debian machine: the native
# and MinGW compilers, GoogleTest sources, clang for fuzzing, 32-bit Wine, a
# virtual X server and a Korean font. Quiet and quick when all is in place.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-i686 wine wine32:i386 xvfb xauth fonts-nanum x11-utils
  imagemagick python3 locales fonts-wine libpng-dev zip unzip)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the locale; ko_KR.UTF-8 must exist.
if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
  echo "setup: generating the ko_KR.UTF-8 locale"
  if [ -f /etc/locale.gen ] && grep -q 'ko_KR.UTF-8' /etc/locale.gen; then
    "${sudo_cmd[@]}" sed -i 's/^# *\(ko_KR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  else
    echo 'ko_KR.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
