#!/usr/bin/env bash
# The main job, from a fresh machine: installs what is missing, builds the
# Linux and Windows configurations, runs the tilemap command on the bundled
# example pattern and shows the map it wrote, then starts the Windows
# program under Wine (in a virtual X server when there is no display, which
# saves a screenshot of the main window to build/screenshots/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh native win32 "$(bash scripts/wine-config.sh)"

echo "== tilemap on examples/interleave.map (64 input tiles, 64 output slots)"
mkdir -p build/run
build/native/bin/tilemap -i 64 -o 64 examples/interleave.map build/run/interleave.bbl
od -An -tu1 -w16 build/run/interleave.bbl
build/native/bin/tilemap -i 64 -o 64 -m undo examples/interleave.map build/run/interleave-undo.bbl
od -An -tu1 -w16 build/run/interleave-undo.bbl

echo "== tileorder.exe under Wine"
bash scripts/run-gui.sh
