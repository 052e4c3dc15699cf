# Sourced by the window tests: a throw-away Wine prefix of the width in $width, ended and
# removed on exit, and small helpers. Expects $width and $build to be set.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scripts=$here/../../scripts

work=$(mktemp -d)
export WINEPREFIX=$work/prefix
source "$scripts/wine-env.sh" "$width"
cleanup() {
  "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}
winpath() { echo "Z:${1//\//\\}"; }
wine() { "$WINELOADER" "$@"; }
driver() { wine "$build/tests/gui_driver.exe" "$@"; }
# Waits (bounded, 30 s) until a command succeeds.
await() {
  for _ in $(seq 1 150); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}

bash "$scripts/wine-prefix.sh" "$width"
# Without a window manager, Wine draws the caption itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
