#!/usr/bin/env bash
# Starts tileorder.exe under Wine with the Korean locale (ANSI code page
# 949), in the folder of the program so that its ini/ tables are found.
# With a display the program runs there until it is closed. Without one it
# runs in a virtual X server: the script waits for the main window to appear
# and finish painting, saves a screenshot of it to
# build/screenshots/main-window.png and ends the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = "--in-virtual-display" ]; then
  # Runs inside xvfb-run; the X server belongs to this script alone.
  wine tileorder.exe &
  pid=$!
  window=""
  for _ in $(seq 1 300); do
    window=$(xwininfo -root -tree 2>/dev/null | awk '/"tileorder": \("tileorder.exe"/ {print $1; exit}')
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$window" ]; then
    echo "run-gui: the main window did not appear" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
  fi
  # The window is painted when two pictures of it in a row are the same and
  # show more than a blank frame.
  mkdir -p "$root/build/screenshots"
  shot="$root/build/screenshots/main-window.png"
  previous=""
  for _ in $(seq 1 100); do
    import -window "$window" "$shot" 2>/dev/null || continue
    current=$(identify -format %# "$shot" 2>/dev/null)
    if [ "$current" = "$previous" ] && [ "$(convert "$shot" -format %k info:)" -gt 8 ]; then
      break
    fi
    previous=$current
  done
  echo "run-gui: $root/build/screenshots/main-window.png"
  # The program keeps nothing, so ending it loses nothing.
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  exit 0
fi

cd "$root"
config=$(bash scripts/wine-config.sh)
if [ ! -f "build/$config/bin/tileorder.exe" ] || [ ! -f "build/$config/bin/ini/extension.ini" ]; then
  bash scripts/build.sh "$config"
fi
bash scripts/wine-prefix.sh
source scripts/wine-env.sh
cd "build/$config/bin"
if [ -n "${DISPLAY:-}" ]; then
  exec wine tileorder.exe
fi
exec xvfb-run -a -s '-screen 0 1280x1024x24' bash "$root/scripts/run-gui.sh" --in-virtual-display
