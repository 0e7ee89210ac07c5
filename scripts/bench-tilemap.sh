#!/usr/bin/env bash
# Builds the native configuration and runs the tile map job benchmark: it
# writes its inputs (a 2,073,600-line pattern in UTF-8, UTF-16LE and ANSI,
# and the short pathological patterns) to build/bench/ and prints each job's
# time and peak memory beside `iconv -f ENC -t UTF-8 FILE | wc -l`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/build.sh native >/dev/null
cmake --build build/native --target tilemap_bench >/dev/null
mkdir -p build/bench
build/native/bin/tilemap_bench build/bench
