# Sourced by the scripts that run Windows programs: a private Wine prefix
# under build/ for the configuration scripts/wine-config.sh names (32-bit;
# 64-bit where the kernel runs no 32-bit programs), no debug chatter, and a
# Korean locale so that the ANSI code page is 949.
TILEORDER_ROOT=${TILEORDER_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
TILEORDER_WINE_ARCH=$(bash "$TILEORDER_ROOT/scripts/wine-config.sh")
export TILEORDER_WINE_ARCH
if [ "$TILEORDER_WINE_ARCH" = win64 ]; then
  export WINEPREFIX=${WINEPREFIX:-$TILEORDER_ROOT/build/wineprefix64}
  export WINEARCH=win64
  # Debian's wine command always starts the 32-bit loader when it is
  # installed; this one starts 64-bit programs with the 64-bit loader.
  export WINELOADER=/usr/lib/wine/wine64
  wine64_bin=$TILEORDER_ROOT/build/wine64-bin
  if [ ! -x "$wine64_bin/wine-stable" ]; then
    mkdir -p "$wine64_bin"
    printf '#!/bin/sh\nexec %s "$@"\n' "$WINELOADER" >"$wine64_bin/wine"
    chmod +x "$wine64_bin/wine"
    cp "$wine64_bin/wine" "$wine64_bin/wine-stable"
  fi
  case ":$PATH:" in *":$wine64_bin:"*) ;; *) export PATH=$wine64_bin:$PATH ;; esac
else
  export WINEPREFIX=${WINEPREFIX:-$TILEORDER_ROOT/build/wineprefix}
  export WINEARCH=win32
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=ko_KR.UTF-8
export LANG=ko_KR.UTF-8
unset LANGUAGE
