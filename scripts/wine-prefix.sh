#!/usr/bin/env bash
# Makes the project's Wine prefix (once) and maps the Korean UI fonts to
# NanumGothic so that screenshots show Korean text. Windows are left
# unmanaged: Wine draws their captions itself (the virtual X server has no
# window manager), and hiding a window does not wait two seconds for a
# window manager that never answers. Test set-up only.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
mkdir -p "$WINEPREFIX"
# Bump the marker's number when the settings below change, so that existing
# prefixes take them up.
marker="$WINEPREFIX/.tileorder-ready-2"
if [ ! -f "$marker" ]; then
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  reg=$(mktemp --suffix=.reg)
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    for face in '굴림' '굴림체' '돋움' '돋움체' 'Gulim' 'GulimChe' 'Dotum' 'DotumChe'; do
      printf '"%s"="NanumGothic"\r\n' "$face"
    done
    printf '\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n'
    printf '"Managed"="N"\r\n'
    printf '\r\n'
  } | iconv -f UTF-8 -t CP949 >"$reg"
  wine regedit "$reg" >/dev/null 2>&1 || true
  wineserver -w || true
  rm -f "$reg"
  touch "$marker"
fi
