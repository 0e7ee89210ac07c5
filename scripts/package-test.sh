#!/usr/bin/env bash
# The release package on its own: builds it, unpacks it into an empty
# folder and runs both programs from there under Wine (run inside
# scripts/wine-session.sh in a virtual X server, as scripts/test.sh does).
# The command must remake the shipped example maps, the program must start
# and end with 0 when its window is closed, and the guide must be the Korean
# guide in code page 949.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/package.sh >/dev/null
version=$(sed -n 's/^project(tileorder VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
empty=$(mktemp -d)
trap 'rm -rf "$empty"' EXIT
unzip -q "build/dist/tileorder-$version.zip" -d "$empty"
cd "$empty/tileorder-$version"

iconv -f CP949 -t UTF-8 patterns.txt | tr -d '\r' | cmp - "$root/docs/patterns.ko.md"
for method in import undo; do
  wine tilemap.exe -i 64 -o 64 -m "$method" examples/interleave.map remade.bbl >/dev/null
  shipped=examples/interleave.bbl
  [ "$method" = undo ] && shipped=examples/interleave.undo.bbl
  cmp remade.bbl "$shipped"
done

# The program is asked to close the way its close box does (taskkill
# without /f sends WM_CLOSE to its windows) until it ends: a request made
# before its window exists finds nothing to close.
wine tileorder.exe & program=$!
for _ in $(seq 100); do # each try takes a Wine start: some 30 seconds at most
  kill -0 "$program" 2>/dev/null || break
  wine taskkill /im tileorder.exe >/dev/null 2>&1 || true
done
if kill -0 "$program" 2>/dev/null; then
  kill "$program"
  echo "package-test: tileorder.exe did not close" >&2
  exit 1
fi
code=0
wait "$program" || code=$?
[ "$code" -eq 0 ] || { echo "package-test: tileorder.exe ended with $code" >&2; exit 1; }
echo "package-test: build/dist/tileorder-$version.zip unpacks and runs"
