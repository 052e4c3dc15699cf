#!/usr/bin/env bash
# Installs what is missing, builds zorvel-cli and runs it with the given arguments.
# Usage: scripts/run.sh [zorvel-cli options] ADDRESS...
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVEL_TESTS=OFF >/dev/null
cmake --build build/release --target zorvel-cli >&2
exec build/release/zorvel-cli "$@"
