#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test:
#   native, native under AddressSanitizer and UndefinedBehaviorSanitizer, native under
#   ThreadSanitizer, and the Windows cross build under Wine.
# Usage: scripts/test.sh   (build folders go to build/ beside the sources)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
export CTEST_PARALLEL_LEVEL=$jobs CTEST_OUTPUT_ON_FAILURE=1

bash scripts/setup.sh

summary=$(mktemp)
trap 'rm -f "$summary"' EXIT

# configure NAME [cmake options...]; then build it
build() {
  local name=$1; shift
  echo "== build $name"
  cmake -S "$root" -B "build/$name" -G Ninja -DZORVEL_WERROR=ON "$@" >/dev/null
  cmake --build "build/$name" -j "$jobs"
}

# run the tests of build NAME and remember their count
run_tests() {
  local name=$1
  echo "== test $name"
  local log="build/$name/ctest.log"
  # Every test is independent of the others' timing, so CTest runs them side by side.
  (cd "build/$name" && ctest -j "$jobs" --timeout 600) 2>&1 | tee "$log"
  local total
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  echo "$name ${total:-0}" >>"$summary"
}

build native -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_tests native

build sanitize -DCMAKE_BUILD_TYPE=Debug -DZORVEL_SANITIZE=address,undefined
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_tests sanitize

build tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVEL_SANITIZE=thread
TSAN_OPTIONS=halt_on_error=1 run_tests tsan

# The product is the 32-bit build; it must build cleanly everywhere. Its tests run under Wine
# only where the kernel runs 32-bit programs: some machines have that switched off, and there
# the 64-bit cross build of the same sources carries the Wine tests.
build win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake"
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  run_tests win32
else
  echo "== test win32: skipped, this kernel does not run 32-bit programs"
fi
build win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
run_tests win64

echo "== release"
bash scripts/release.sh >/dev/null
(cd dist && sha256sum -c SHA256SUMS)

echo "== summary"
passed=0
while read -r name count; do
  echo "  $name: $count tests passed"
  passed=$((passed + count))
done <"$summary"
echo "tests: $passed passed, 0 failed"
