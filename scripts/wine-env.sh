# Sourced by the Wine helpers: sets up Wine for the width given in $1 (win32 or win64),
# in the prefix named by WINEPREFIX (the build folder's own, never the user's).
: "${WINEPREFIX:?WINEPREFIX must name a prefix in the build folder}"
case "$1" in
  win32) export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 ;;
  win64) export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
  *) echo "wine: first argument must be win32 or win64" >&2; exit 2 ;;
esac
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: the prefix must not try to fetch or install them.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
# Window tests name the file in which their Xvfb fixture wrote its display.
if [ -n "${ZORVEL_DISPLAY_FILE:-}" ] && [ -f "$ZORVEL_DISPLAY_FILE" ]; then
  export DISPLAY="$(cat "$ZORVEL_DISPLAY_FILE")"
fi
