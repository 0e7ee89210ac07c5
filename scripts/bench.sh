#!/usr/bin/env bash
# Builds the native configuration and runs the benchmark programs; their
# scratch files go to build/bench/. Figures are printed, not judged.
# Usage: scripts/bench.sh [reader] [tilemap]   (default: all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
which=("$@")
[ ${#which[@]} -gt 0 ] || which=(reader tilemap)
bash scripts/setup.sh
bash scripts/build.sh native >/dev/null
mkdir -p build/bench
for b in "${which[@]}"; do
  case "$b" in
    reader)
      echo "== text reader: 16 MB per encoding, best of three"
      build/native/bin/reader_bench build/bench 16 ;;
    tilemap)
      if [ -x build/native/bin/tilemap_bench ]; then
        echo "== tile map job"
        build/native/bin/tilemap_bench build/bench build/native/bin/tilemap
      fi ;;
    *) echo "bench.sh: unknown benchmark '$b'" >&2; exit 2 ;;
  esac
done
