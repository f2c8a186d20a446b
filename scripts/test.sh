#!/usr/bin/env bash
# Every test of the game: installs what is missing, builds into build-win32/
# and build/ with their packages and runs ctest (the package tests install the
# Debian package and remove it again), then builds again with AddressSanitizer
# + UndefinedBehaviorSanitizer into build-asan/ and runs the same tests there.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

jobs=$(nproc)

echo "== packages"
install_linux_packages

windows=1
if ! install_windows_packages; then
  windows=0
  echo "!!! ================================================================ !!!"
  echo "!!! The mingw-w64 and 32-bit Wine packages could not be installed:   !!!"
  echo "!!! the Windows program is NOT built and its tests are SKIPPED.      !!!"
  echo "!!! ================================================================ !!!"
fi

web=1
if ! install_web_packages || ! install_web_test_packages; then
  web=0
  echo "!!! ================================================================ !!!"
  echo "!!! Emscripten, Chromium or the browser tests' node packages could   !!!"
  echo "!!! not be installed: the browser program is NOT built and its tests !!!"
  echo "!!! are SKIPPED.                                                     !!!"
  echo "!!! ================================================================ !!!"
fi

if [ "$windows" = 1 ]; then
  echo "== build the Windows program (build-win32/)"
  cmake --preset win32 >/dev/null
  cmake --build --preset win32
  echo "== the Windows zip and installer (build-win32/)"
  (cd build-win32 && cpack | grep 'package: ')
fi

if [ "$web" = 1 ]; then
  echo "== build the browser program (build-web/)"
  cmake --preset web >/dev/null
  cmake --build --preset web
fi

echo "== build (build/)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVADA_WINDOWS_TESTS=$windows \
  -DKORVADA_WEB_TESTS=$web >/dev/null
cmake --build build -j"$jobs"

echo "== the Debian package (build/)"
(cd build && cpack -G DEB | tail -n1)

echo "== tests (build/)"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300 | tee build/ctest.log

echo "== build with sanitizers (build-asan/)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKORVADA_SANITIZE=ON -DKORVADA_WINDOWS_TESTS=0 >/dev/null
cmake --build build-asan -j"$jobs"

echo "== tests with sanitizers (build-asan/)"
# The system's GL and X libraries keep allocations to the end of the process;
# leaks in our own code show in the unit tests, which run their own checks.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 600 -LE nosan | tee build-asan/ctest.log

echo "== fuzz the picture reader for 60 s (build-fuzz/)"
# libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer; new inputs
# it finds go to build-fuzz/corpus, the committed seeds stay as they are.
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j"$jobs"
mkdir -p build-fuzz/corpus
build-fuzz/bmp_fuzz -max_total_time=60 -max_len=4096 -print_final_stats=1 build-fuzz/corpus fuzz/corpus \
  2>build-fuzz/fuzz.log || { tail -40 build-fuzz/fuzz.log; exit 1; }
grep -E '^stat::number_of_executed_units' build-fuzz/fuzz.log

# One closing count over both test runs (set -e has stopped us on any failure).
passed=$(cat build/ctest.log build-asan/ctest.log | awk '/tests passed, 0 tests failed out of/ {n += $NF} END {print n + 0}')
echo "tests: $passed passed, 0 failed"
