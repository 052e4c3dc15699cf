#!/usr/bin/env bash
# Builds the release files into dist/: the Windows installer, the bare Zorvel.exe (both
# 32-bit, the product) and the Linux zorvel-cli, with their SHA-256 checksums.
# Usage: scripts/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
bash scripts/setup.sh >&2

cmake -S . -B build/release-win32 -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVEL_TESTS=OFF -DZORVEL_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" >/dev/null
cmake --build build/release-win32 -j "$jobs" --target Zorvel installer >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVEL_TESTS=OFF -DZORVEL_WERROR=ON >/dev/null
cmake --build build/release -j "$jobs" --target zorvel-cli >&2

rm -rf dist
mkdir -p dist
cp build/release-win32/Zorvel-2.0-setup.exe dist/
cp build/release-win32/Zorvel.exe dist/
cp build/release/zorvel-cli dist/
i686-w64-mingw32-strip dist/Zorvel.exe
strip dist/zorvel-cli
(cd dist && sha256sum Zorvel-2.0-setup.exe Zorvel.exe zorvel-cli >SHA256SUMS)
cat dist/SHA256SUMS
