#!/usr/bin/env bash
# Builds the release package build/dist/tileorder-VERSION.zip (VERSION is
# the project version in CMakeLists.txt): both Windows programs, the ini/
# folder, the example patterns with the maps they make, and the pattern
# guide in Korean as plain text in code page 949 with CR LF line ends, which
# is what the target systems open.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

version=$(sed -n 's/^project(tileorder VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package.sh: no project version in CMakeLists.txt" >&2; exit 1; }
if [ ! -f build/win32/build.ninja ]; then
  bash scripts/build.sh win32
fi
cmake --build build/win32 --target tileorder tilemap tileorder_ini >/dev/null

name="tileorder-$version"
stage="build/dist/$name"
rm -rf "$stage" "build/dist/$name.zip"
mkdir -p "$stage/examples"
cp build/win32/bin/tileorder.exe build/win32/bin/tilemap.exe "$stage/"
cp -r build/win32/bin/ini "$stage/"
cp examples/*.map examples/*.bbl examples/README.md "$stage/examples/"
iconv -f UTF-8 -t CP949 docs/patterns.ko.md | sed 's/$/\r/' > "$stage/patterns.txt"
(cd build/dist && zip -q -r -X "$name.zip" "$name")
rm -rf "$stage"
echo "package: build/dist/$name.zip"
