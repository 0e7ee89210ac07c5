#!/usr/bin/env bash
# Installs what the builds and tests need on a fresh Debian machine: the native
# and MinGW compilers (32-bit, and 64-bit for machines that run no 32-bit
# programs), GoogleTest sources, clang for fuzzing, Wine, a virtual X server
# and a Korean font. Quiet and quick when all is in place.
set -euo pipefail

packages=(cmake ninja-build g++ clang googletest
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xauth fonts-nanum x11-utils
  imagemagick python3 locales fonts-wine libpng-dev zip unzip)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
updated=0

install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
    updated=0
  fi
  export DEBIAN_FRONTEND=noninteractive
  if [ "$updated" -eq 0 ]; then
    "${sudo_cmd[@]}" apt-get update -qq
    updated=1
  fi
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

install_missing "${packages[@]}"
# The sanitizer and fuzzer runtime of the clang that is installed.
install_missing "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"

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
