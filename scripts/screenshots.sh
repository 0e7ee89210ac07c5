#!/usr/bin/env bash
# Screenshots for people: builds the Windows configuration if needed (the
# one scripts/wine-config.sh names) and
# takes PNG pictures of the main window, an open menu of its menu bar, the
# run button's drop-down menu, the about box, the font dialog, the editor
# program dialog, the file selection dialog, the tile reorder dialog (tool),
# its grid and format popups dropped down (grid, format), the dialog after
# a job (result) and the tile preview with numbers and with tiles
# (preview-numbers, preview-tiles), into build/screenshots/. The pictures
# come from a copy of the program's windows driven in a virtual X server under Wine with the Korean locale
# (scripts/screenshots.cpp), so they do not depend on the desktop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

config=$(bash scripts/wine-config.sh)
if [ ! -f "build/$config/build.ninja" ]; then
  bash scripts/build.sh "$config"
fi
cmake --build "build/$config" --target tileorder_screenshots tileorder_ini >/dev/null
bash scripts/wine-prefix.sh
source scripts/wine-env.sh

out="$root/build/screenshots"
bmp="$out/bmp"
mkdir -p "$bmp"
rm -f "$bmp"/*.bmp
# Run from the folder of the shipped program, where ini/ lies. The folder
# is named the way Wine maps the Unix root (drive Z:), without asking Wine:
# a Wine program started outside the virtual X server would leave the
# prefix's session without a display for a few seconds.
winbmp="Z:${bmp//\//\\}"
cd "build/$config/bin"
xvfb-run -a -s '-screen 0 1280x1024x24' \
  wine "$root/build/$config/screenshots/tileorder.exe" "$winbmp"
for f in "$bmp"/*.bmp; do
  name=$(basename "$f" .bmp)
  convert "$f" "$out/$name.png"
  echo "screenshots: $out/$name.png"
done
rm -rf "$bmp"
