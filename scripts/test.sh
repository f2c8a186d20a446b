#!/usr/bin/env bash
# Every test of the game: installs what is missing; builds the Windows
# program with its zip and installer (build-win64/), the browser program
# (build-web/), the Linux programs with their Debian package (build/), the
# same with AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/) and
# the picture reader's fuzzer (build-fuzz/); runs ctest in build/ for the
# programs as players meet them (end-to-end, browser, packages, Wine; the
# package tests install the Debian package and remove it again), in
# build-asan/ for the unit tests and a few end-to-end ones, and the fuzzer for
# a minute.
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
# Every platform is built and tested on every run: a package that cannot be
# had fails the run (install_packages names it), never drops a platform.
install_linux_packages
install_windows_packages
install_web_packages
install_web_test_packages

# The builds, each in its own folder with its log in build-logs/ and its time
# in this one, two at a time and the longest first: two fill each other's
# single-threaded steps (links, the data generator, the web files'
# compression). All six at once were no faster: 292 and 316 s for the stage
# on two cores, against 271 and 300 s two at a time.
build_slots=2
stage "builds, $build_slots at a time (build-again/, build-asan/, build/, build-web/, build-win64/, build-fuzz/)"
mkdir -p build-logs

# The packages once more, in a folder of another name, for the test that
# they are the same bytes (package.reproducible compares).
build_again() {
  rm -rf build-again
  bash tests/package/reproducible.sh --build-again . build-again windows
}
build_sanitized() {
  cmake --preset asan && cmake --build --preset asan
}
build_linux() {
  cmake --preset ci && cmake --build --preset ci && (cd build && cpack -G DEB)
}
build_web() {
  cmake --preset web && cmake --build --preset web
}
build_windows() {
  cmake --preset win64 && cmake --build --preset win64 && (cd build-win64 && cpack)
}
# libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer.
build_fuzzer() {
  cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ && cmake --build build-fuzz -j"$jobs"
}

builds=(again sanitized linux web windows fuzzer)
declare -A building=() build_started=()
failed=0
# one_built: waits for one of the running builds to end and reports it.
one_built() {
  local pid name status=0
  wait -n -p pid "${!building[@]}" || status=$?
  name=${building[$pid]}
  unset "building[$pid]"
  if [ "$status" = 0 ]; then
    echo "built: $name, $((SECONDS - build_started[$name])) s"
  else
    echo "!!! the $name build failed; the end of build-logs/$name.log:"
    tail -n 40 "build-logs/$name.log"
    failed=1
  fi
}
for name in "${builds[@]}"; do
  [ "${#building[@]}" -lt "$build_slots" ] || one_built
  build_started[$name]=$SECONDS
  "build_$name" >"build-logs/$name.log" 2>&1 &
  building[$!]=$name
done
while [ "${#building[@]}" -gt 0 ]; do one_built; done
[ "$failed" = 0 ] || exit 1
export KORVADA_BUILT_AGAIN=$PWD/build-again
grep -h 'package: ' build-logs/windows.log build-logs/linux.log 2>/dev/null || true

# The programs under test wait a good part of their time (for a window, a
# box, a second to pass): one test more than the cores keeps both busy. On
# two cores the tests of build/ took 319 s with -j2, 275 s with -j3 and 330 s
# with -j4.
test_jobs=$((jobs + 1))

stage "tests (build/)"
ctest --test-dir build --output-on-failure -j"$test_jobs" --timeout 300 | tee build/ctest.log

stage "tests with sanitizers (build-asan/), beside 60 s of fuzzing the picture reader (build-fuzz/)"
# The fuzzer takes one core for its minute, while the sanitized tests, a
# minute too, leave one mostly idle. New inputs it finds go to
# build-fuzz/corpus, the committed seeds stay as they are.
mkdir -p build-fuzz/corpus
build-fuzz/bmp_fuzz -max_total_time=60 -max_len=4096 -print_final_stats=1 build-fuzz/corpus fuzz/corpus \
  2>build-fuzz/fuzz.log &
fuzzer=$!
# The system's GL and X libraries keep allocations to the end of the process;
# leaks in our own code show in the unit tests, which run their own checks.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$test_jobs" --timeout 600 -LE nosan | tee build-asan/ctest.log
wait "$fuzzer" || { tail -40 build-fuzz/fuzz.log; exit 1; }
grep -E '^stat::number_of_executed_units' build-fuzz/fuzz.log

stage end

# One closing count over both test runs (set -e has stopped us on any failure).
passed=$(cat build/ctest.log build-asan/ctest.log | awk '/tests passed, 0 tests failed out of/ {n += $NF} END {print n + 0}')
echo "tests: $passed passed, 0 failed"
