#!/usr/bin/env bash
# Makes the project's Wine prefix (once) and maps the Korean UI fonts to
# Korean fonts of fonts-nanum so that screenshots show Korean text: the
# proportional faces to NanumGothic, the fixed-pitch ones to
# NanumGothicCoding; "굴림" and "굴림체" are also listed as font families of
# their own, so that the font dialog finds them. Windows are left
# unmanaged: Wine draws their captions itself (the virtual X server has no
# window manager), and hiding a window does not wait two seconds for a
# window manager that never answers. Wine's Marlett (fonts-wine) goes into
# the prefix's font folder, so that caption buttons draw as symbols rather
# than letters. Test set-up only.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
mkdir -p "$WINEPREFIX"
# Bump the marker's number when the settings below change, so that existing
# prefixes take them up.
marker="$WINEPREFIX/.tileorder-ready-4"
if [ ! -f "$marker" ]; then
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  # The prefix is made by the Wine that uses it: no session needs to update
  # it again. Wine otherwise reruns its whole set-up at the start of some
  # sessions, which takes minutes where Wine itself runs under emulation.
  echo disabled >"$WINEPREFIX/.update-timestamp"
  reg=$(mktemp --suffix=.reg)
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    for face in '굴림' '돋움' 'Gulim' 'Dotum'; do
      printf '"%s"="NanumGothic"\r\n' "$face"
    done
    for face in '굴림체' '돋움체' 'GulimChe' 'DotumChe'; do
      printf '"%s"="NanumGothicCoding"\r\n' "$face"
    done
    printf '\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"굴림"="NanumGothic"\r\n'
    printf '"굴림체"="NanumGothicCoding"\r\n'
    printf '\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n'
    printf '"Managed"="N"\r\n'
    printf '\r\n'
  } | iconv -f UTF-8 -t CP949 >"$reg"
  wine regedit "$reg" >/dev/null 2>&1 || true
  wineserver -w || true
  rm -f "$reg"
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp -n /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
  # Ready only when Wine made the prefix and took the settings.
  if ! grep -q 'NanumGothic' "$WINEPREFIX/system.reg" 2>/dev/null; then
    echo "wine-prefix: Wine could not make the prefix $WINEPREFIX" >&2
    exit 1
  fi
  touch "$marker"
fi
