#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine: wine-run.sh win32|win64 PROGRAM [ARGS...]
set -euo pipefail
source "$(dirname "$0")/wine-env.sh" "$1"
shift
exec "$WINELOADER" "$@"
