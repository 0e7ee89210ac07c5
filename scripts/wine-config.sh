#!/usr/bin/env bash
# Prints the Windows configuration whose programs Wine runs on this machine:
# win32 where the kernel runs 32-bit programs itself, win64 (the same
# sources built for 64-bit Windows, for the tests) elsewhere.
# TILEORDER_WINE_ARCH, when set, decides.
if [ -n "${TILEORDER_WINE_ARCH:-}" ]; then
  echo "$TILEORDER_WINE_ARCH"
elif bash "$(dirname "$0")/wine-usable.sh" >/dev/null; then
  echo win32
else
  echo win64
fi
