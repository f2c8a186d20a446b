#!/usr/bin/env bash
# Every test of the game: installs what is missing, builds into build-win32/
# and build/ with their packages and runs ctest (the package tests install the
# Debian package and remove it again), then builds again with AddressSanitizer
# + UndefinedBehaviorSanitizer into build-asan/ and runs the same tests there.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

jobs=$(nproc)

# stage NAME: the time the previous stage took, then NAME's heading; "stage
# end" closes the last one with the whole run's time.
stage_started=$SECONDS
stage_name=
stage() {
  [ -z "$stage_name" ] || echo "== $stage_name: $((SECONDS - stage_started)) s"
  stage_started=$SECONDS
  stage_name=$1
  [ "$1" = end ] && echo "== all stages: $SECONDS s" && return
  echo "== $1"
}

stage "packages"
install_linux_packages

windows=1
if ! install_windows_packages; then
  windows=0
  echo "!!! ================================================================ !!!"
  echo "!!! The mingw-w64 and 32-bit Wine packages could not be installed:   !!!"
  echo "!!! the Windows program is NOT built and its tests are SKIPPED.      !!!"
  echo "!!! ================================================================ !!!"
fi

# 32-bit Wine needs a kernel that runs 32-bit programs; some virtual machines'
# kernels are built without it. The Windows program is still built and its
# files checked, but nothing can run it here.
wine_runs=0
if [ "$windows" = 1 ]; then
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    wine_runs=1
  else
    echo "!!! ================================================================ !!!"
    echo "!!! This kernel cannot run 32-bit programs, so neither can Wine: the !!!"
    echo "!!! Windows program is built, but its tests under Wine are SKIPPED.  !!!"
    echo "!!! ================================================================ !!!"
  fi
fi

web=1
if ! install_web_packages || ! install_web_build_packages || ! install_web_test_packages; then
  web=0
  echo "!!! ================================================================ !!!"
  echo "!!! Emscripten, Chromium or the browser tests' node packages could   !!!"
  echo "!!! not be installed: the browser program is NOT built and its tests !!!"
  echo "!!! are SKIPPED.                                                     !!!"
  echo "!!! ================================================================ !!!"
fi

if [ "$windows" = 1 ]; then
  stage "build the Windows program (build-win32/)"
  cmake --preset win32 >/dev/null
  cmake --build --preset win32
  stage "the Windows zip and installer (build-win32/)"
  (cd build-win32 && cpack | grep 'package: ')
fi

if [ "$web" = 1 ]; then
  stage "build the browser program (build-web/)"
  cmake --preset web >/dev/null
  cmake --build --preset web
fi

stage "build (build/)"
cmake --preset linux -DKORVADA_WINDOWS_TESTS=$windows -DKORVADA_WINE_RUNS=$wine_runs -DKORVADA_WEB_TESTS=$web >/dev/null
cmake --build --preset linux -j"$jobs"

stage "the Debian package (build/)"
(cd build && cpack -G DEB | tail -n1)

stage "tests (build/)"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300 | tee build/ctest.log

stage "build with sanitizers (build-asan/)"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"

stage "tests with sanitizers (build-asan/)"
# The system's GL and X libraries keep allocations to the end of the process;
# leaks in our own code show in the unit tests, which run their own checks.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 600 -LE nosan | tee build-asan/ctest.log

stage "fuzz the picture reader for 60 s (build-fuzz/)"
# libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer; new inputs
# it finds go to build-fuzz/corpus, the committed seeds stay as they are.
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j"$jobs"
mkdir -p build-fuzz/corpus
build-fuzz/bmp_fuzz -max_total_time=60 -max_len=4096 -print_final_stats=1 build-fuzz/corpus fuzz/corpus \
  2>build-fuzz/fuzz.log || { tail -40 build-fuzz/fuzz.log; exit 1; }
grep -E '^stat::number_of_executed_units' build-fuzz/fuzz.log

stage end

# One closing count over both test runs (set -e has stopped us on any failure).
passed=$(cat build/ctest.log build-asan/ctest.log | awk '/tests passed, 0 tests failed out of/ {n += $NF} END {print n + 0}')
echo "tests: $passed passed, 0 failed"
