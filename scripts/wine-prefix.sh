#!/usr/bin/env bash
# Makes the Wine prefix named by WINEPREFIX, of the width given (win32 or win64), unless it exists.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh" "$1"
# A server left from an earlier run may hold a desktop bound to a display that is gone.
"$WINESERVER" -k 2>/dev/null || true
if [ -f "$WINEPREFIX/system.reg" ]; then exit 0; fi
mkdir -p "$(dirname "$WINEPREFIX")"
"$WINELOADER" wineboot --init </dev/null >/dev/null 2>&1 || true
"$WINESERVER" --wait
test -f "$WINEPREFIX/system.reg"
