#!/usr/bin/env bash
# Makes the project's Wine prefix (once) and maps the Korean UI fonts to
# NanumGothic so that screenshots show Korean text. Test set-up only.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/.tileorder-ready" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w || true
  reg=$(mktemp --suffix=.reg)
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    for face in '굴림' '굴림체' '돋움' '돋움체' 'Gulim' 'GulimChe' 'Dotum' 'DotumChe'; do
      printf '"%s"="NanumGothic"\r\n' "$face"
    done
    printf '\r\n'
  } | iconv -f UTF-8 -t CP949 >"$reg"
  wine regedit "$reg" >/dev/null 2>&1 || true
  wineserver -w || true
  rm -f "$reg"
  touch "$WINEPREFIX/.tileorder-ready"
fi
