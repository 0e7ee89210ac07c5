#!/usr/bin/env bash
# Configures and builds one or more configurations:
#   native  - g++, build/native   (bin: build/native/bin)
#   asan    - clang++ with ASan/UBSan and the fuzz targets, build/asan
#   win32   - i686-w64-mingw32, build/win32 (bin: build/win32/bin)
#   win64   - x86_64-w64-mingw32, build/win64: the same Windows program and
#             tests for 64-bit Wine, where the kernel runs no 32-bit programs
# Usage: scripts/build.sh [native] [asan] [win32]   (default: all three)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
configs=("$@")
[ ${#configs[@]} -gt 0 ] || configs=(native asan win32)
jobs=$(nproc 2>/dev/null || echo 2)

for c in "${configs[@]}"; do
  dir="$root/build/$c"
  case "$c" in
    native) args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc) ;;
    asan) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
                -DTILEORDER_SANITIZE=ON -DTILEORDER_FUZZ=ON) ;;
    win32) args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32.cmake") ;;
    win64) args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake") ;;
    *) echo "build.sh: unknown configuration '$c'" >&2; exit 2 ;;
  esac
  # Configured every time, so that a changed option reaches an existing
  # build folder; a configured folder takes a second or two.
  cmake -S "$root" -B "$dir" -G Ninja "${args[@]}" >/dev/null
  echo "== build $c"
  cmake --build "$dir" -j "$jobs" | { grep -v -E '^\[[0-9]+/[0-9]+\] ' || true; }
  test "${PIPESTATUS[0]}" -eq 0
done
