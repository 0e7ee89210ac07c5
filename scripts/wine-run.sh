#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix; CTest uses it
# as the emulator of the cross build. Makes the prefix on first use.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$(dirname "$0")/wine-prefix.sh"
fi
exec wine "$@"
