#!/usr/bin/env bash
# Exits 0 when this machine runs 32-bit Wine as Windows programs need it:
# the kernel itself runs 32-bit programs. Otherwise prints why and exits 1.
# TILEORDER_WINE_EMULATED=1 accepts a user-mode emulator (qemu) all the
# same, for a patient developer.
set -uo pipefail
for handler in /proc/sys/fs/binfmt_misc/*; do
  # A handler for 32-bit x86 programs means an emulator runs them.
  if grep -qs '^enabled' "$handler" && grep -qs '^magic 7f454c4601010100000000000000000002000300' "$handler"; then
    [ "${TILEORDER_WINE_EMULATED:-}" = 1 ] && exit 0
    echo "32-bit programs run here only under the emulator $(sed -n 's/^interpreter //p' "$handler")"
    exit 1
  fi
done
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "the kernel does not run 32-bit programs (/usr/lib/wine/wine cannot be started)"
  exit 1
fi
exit 0
