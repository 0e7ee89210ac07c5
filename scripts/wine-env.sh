# Sourced by the scripts that run Windows programs: a private 32-bit Wine
# prefix under build/, no debug chatter, and a Korean locale so that the
# ANSI code page is 949.
TILEORDER_ROOT=${TILEORDER_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$TILEORDER_ROOT/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=ko_KR.UTF-8
export LANG=ko_KR.UTF-8
unset LANGUAGE
