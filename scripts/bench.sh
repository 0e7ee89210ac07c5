#!/usr/bin/env bash
# Builds the native configuration and runs the benchmark programs; their
# scratch files go to build/bench/. Figures are printed, not judged.
# Usage: scripts/bench.sh [reader] [tilemap] [process] [preview]   (default: all)
# process times whole tilemap commands against iconv, dd and convert, as an
# outside timer does; preview builds the Windows configuration and runs
# under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
which=("$@")
[ ${#which[@]} -gt 0 ] || which=(reader tilemap process preview)
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
    process)
      echo "== whole commands against the tools they are measured by"
      build/native/bin/process_bench "$root/build/bench" "$root/build/native/bin/tilemap" \
        "${PROCESS_RUNS:-15}" ;;
    preview)
      echo "== tile preview under Wine"
      config=$(bash scripts/wine-config.sh)
      bash scripts/build.sh "$config" >/dev/null
      bash scripts/wine-prefix.sh
      xvfb-run -a -s '-screen 0 1280x1024x24' bash scripts/wine-session.sh \
        bash scripts/wine-run.sh "build/$config/bin/preview_bench.exe" 'Z:'"$root/build/bench" ;;
    *) echo "bench.sh: unknown benchmark '$b'" >&2; exit 2 ;;
  esac
done
