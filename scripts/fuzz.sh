#!/usr/bin/env bash
# Runs every fuzz target of the sanitizer build for a fixed time each.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (a longer run: scripts/fuzz.sh 3600)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$root"/build/asan/fuzz/fuzz_*; do
    [ -x "$f" ] && targets+=("$(basename "$f")")
  done
fi
status=0
for t in "${targets[@]}"; do
  corpus="$root/build/asan/fuzz-corpus/$t"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$root/fuzz/seeds/$t" ] && seeds=("$root/fuzz/seeds/$t")
  echo "fuzz $t for ${seconds}s"
  if ! "$root/build/asan/fuzz/$t" -max_total_time="$seconds" -print_final_stats=0 \
      -artifact_prefix="$root/build/asan/fuzz-" "$corpus" "${seeds[@]}" >"$root/build/asan/$t.log" 2>&1; then
    tail -n 40 "$root/build/asan/$t.log"
    status=1
  else
    grep -E '^#[0-9]+.*DONE' "$root/build/asan/$t.log" | tail -n 1 || true
  fi
done
exit $status
