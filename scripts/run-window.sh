#!/usr/bin/env bash
# Installs what is missing, builds Zorvel.exe and starts it under Wine on this machine's
# display. Its installation folder (Zorvel.ini, Bookmark.dat) is build/window/install and its
# Wine prefix build/window/prefix, both made on first use; downloads go to ./downloads unless
# Zorvel.ini says otherwise.
# Usage: scripts/run-window.sh [ADDRESS]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
if [ -z "${DISPLAY:-}" ]; then
  echo "run-window.sh: no display; set DISPLAY (or start one, e.g. Xvfb :1 & DISPLAY=:1)" >&2
  exit 2
fi
bash scripts/setup.sh >&2

# The 32-bit program where this kernel runs 32-bit code, else the same sources in 64 bits.
width=win64
arch=x86_64
if /usr/lib/wine/wine --version >/dev/null 2>&1; then width=win32; arch=i686; fi
cmake -S . -B "build/window-$width" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVEL_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$arch.cmake" >/dev/null
cmake --build "build/window-$width" --target Zorvel >&2

export WINEPREFIX=$root/build/window/prefix-$width
source scripts/wine-env.sh "$width"
bash scripts/wine-prefix.sh "$width"
install=$root/build/window/install
mkdir -p "$install" "$root/downloads"
winpath() { echo "Z:${1//\//\\}"; }
"$WINELOADER" reg add 'HKLM\Software\Quillheath\Zorvel' /v path /t REG_SZ /d "$(winpath "$install")" /f >/dev/null 2>&1
if [ ! -f "$install/Zorvel.ini" ]; then
  printf '[GENERAL_OPTION]\r\nszDownloadFolder=%s\r\n' "$(winpath "$root/downloads")" >"$install/Zorvel.ini"
fi
exec "$WINELOADER" "build/window-$width/Zorvel.exe" "$@"
