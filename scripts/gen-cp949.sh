#!/usr/bin/env bash
# Regenerates textlib/cp949_table.inc from Windows' own code page 949
# conversion: builds scripts/cp949_dump.cpp with MinGW, runs it under Wine with
# the Korean ANSI code page and turns its dump into the table. The dump stays
# in build/cp949/ for inspection.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/cp949"
mkdir -p "$out"
i686-w64-mingw32-g++-posix -O2 -Wall -Wextra -static -o "$out/cp949_dump.exe" \
  "$root/scripts/cp949_dump.cpp"
bash "$root/scripts/wine-run.sh" "$out/cp949_dump.exe" "$out/cp949.dump"
python3 "$root/scripts/gen_cp949_table.py" "$out/cp949.dump" "$root/textlib/cp949_table.inc"
