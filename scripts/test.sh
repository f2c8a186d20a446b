#!/usr/bin/env bash
# Every test of the game: installs what is missing; builds the Windows
# program with its zip and installer (build-win64/), the browser program
# (build-web/), the Linux programs with their Debian package (build/), the
# same with AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/), the
# fuzzers (build-fuzz/) and the packages once more (build-again/); runs ctest
# in build/ for the programs as players meet them (end-to-end, browser,
# packages, Wine; the package tests install the Debian package and remove it
# again), in build-asan/ for the unit tests and a few end-to-end ones, and
# the fuzzers for a minute.
#
# Every stage runs whatever failed before it: a build that fails skips only
# the tests that need it. The run ends with the 15 slowest tests and every
# failure listed, and exits 1 when there was any.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

jobs=$(nproc)
failures=()
# failed WHAT: WHAT goes on the list the run ends with.
failed() {
  failures+=("$*")
  echo "!!! $*"
}

# stage NAME: the time the previous stage took, and how busy the processor
# was meanwhile (on a machine of its own, the share of its cores the run
# used: what is left idle can take more work), then NAME's heading; "stage
# end" closes the last one with the whole run's time.
stage_started=$SECONDS
stage_name=
# Busy and all processor time so far, in ticks (/proc/stat's first line).
processor_ticks() { awk '/^cpu / { print $2 + $3 + $4 + $7 + $8 + $9, $2 + $3 + $4 + $5 + $6 + $7 + $8 + $9 }' /proc/stat; }
read -r stage_busy stage_all <<<"$(processor_ticks)"
run_busy=$stage_busy run_all=$stage_all
busy_share() { awk -v b="$1" -v a="$2" 'BEGIN { printf "%d %%", (a > 0 ? 100 * b / a : 0) }'; }
stage() {
  local busy all
  read -r busy all <<<"$(processor_ticks)"
  [ -z "$stage_name" ] ||
    echo "== $stage_name: $((SECONDS - stage_started)) s, processor busy $(busy_share $((busy - stage_busy)) $((all - stage_all)))"
  stage_started=$SECONDS stage_busy=$busy stage_all=$all stage_name=$1
  [ "$1" = end ] && echo "== all stages: $SECONDS s, processor busy $(busy_share $((busy - run_busy)) $((all - run_all)))" && return
  echo "== $1"
}

stage "packages"
# Every platform is built and tested on every run: a package that cannot be
# had fails the run (install_packages names it), never drops a platform.
install_linux_packages || failed "packages: the Linux build's and tests' could not be installed"
install_windows_packages || failed "packages: the Windows build's and tests' could not be installed"
install_web_packages || failed "packages: the browser build's could not be installed"
install_web_test_packages || failed "packages: the browser tests' node packages could not be installed"

# What a run before it compiled comes from the cache. The packages' second
# build compiles from nothing all the same, with an empty cache of its own
# (tests/package/reproducible.sh), or it would prove nothing.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
# anywhere: the builds that are not packaged take from the cache what a
# clone in another folder compiled (ccache's base_dir gives the compiler the
# sources' paths relative to the build folder). Not the packaged ones: the
# debug information names the paths the compiler was given, and the
# packages must be the bytes a build without the cache makes.
anywhere() { CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1 "$@"; }

# The builds, each in its own folder with its log in build-logs/ and its time
# in this one. What the tests of build/ need first (build/, build-win64/,
# build-web/, build-fuzz/), two at a time and the longest first: two fill
# each other's single-threaded steps (links, the data generator, the web
# files' compression); all at once were no faster. The sanitized build and
# the packages' second build, needed only after those tests, start at once
# beside them at the lowest priority: they take what the others leave idle,
# the builds' single-threaded steps and the tests' waits.
build_slots=2
stage "builds, $build_slots at a time (build/, build-win64/, build-web/, build-fuzz/; build-asan/ and build-again/ beside them)"
mkdir -p build-logs

# The packages once more, in a folder of another name, for the test that
# they are the same bytes (package.reproducible compares).
build_again() {
  rm -rf build-again
  bash tests/package/reproducible.sh --build-again . build-again windows
}
build_sanitized() {
  anywhere cmake --preset asan && anywhere cmake --build --preset asan
}
build_linux() {
  cmake --preset ci && cmake --build --preset ci && (cd build && cpack -G DEB)
}
build_web() {
  anywhere cmake --preset web && anywhere cmake --build --preset web
}
build_windows() {
  cmake --preset win64 && cmake --build --preset win64 && (cd build-win64 && cpack)
}
# libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer.
build_fuzzer() {
  anywhere cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ && anywhere cmake --build build-fuzz -j"$jobs"
}

declare -A building=() build_started=() built=() background=()
# start_build NAME [nice]: build_NAME in the background, its output in its log.
start_build() {
  build_started[$1]=$SECONDS
  if [ -n "${2:-}" ]; then
    background[$1]=1
    (renice -n 19 -p "$BASHPID" >/dev/null && "build_$1") >"build-logs/$1.log" 2>&1 &
  else
    "build_$1" >"build-logs/$1.log" 2>&1 &
  fi
  building[$!]=$1
}
# one_built: waits for one of the running builds to end and reports it.
one_built() {
  local pid name status=0
  wait -n -p pid "${!building[@]}" || status=$?
  name=${building[$pid]}
  unset "building[$pid]"
  if [ "$status" = 0 ]; then
    built[$name]=1
    echo "built: $name, $((SECONDS - build_started[$name])) s${background[$name]:+ (at the lowest priority)}"
  else
    failed "the $name build (build-logs/$name.log)"
    tail -n 40 "build-logs/$name.log"
  fi
}
# foreground_building: how many of the first builds run.
foreground_building() {
  local pid count=0
  for pid in "${!building[@]}"; do [ -n "${background[${building[$pid]}]:-}" ] || count=$((count + 1)); done
  echo "$count"
}
# wait_built NAME...: until none of these builds runs any more.
wait_built() {
  local name pid running
  while :; do
    running=
    for name in "$@"; do
      for pid in "${!building[@]}"; do [ "${building[$pid]}" = "$name" ] && running=1; done
    done
    [ -n "$running" ] || return 0
    one_built
  done
}

start_build sanitized nice
start_build again nice
for name in linux windows web fuzzer; do
  while [ "$(foreground_building)" -ge "$build_slots" ]; do one_built; done
  start_build "$name"
done
wait_built linux windows web fuzzer
grep -h 'package: ' build-logs/windows.log build-logs/linux.log 2>/dev/null

# needs BUILD... -- WHAT: true when every BUILD was built; else WHAT goes on
# the failures as skipped.
needs() {
  local name missing=()
  while [ "$1" != -- ]; do
    [ -n "${built[$1]:-}" ] || missing+=("$1")
    shift
  done
  shift
  [ ${#missing[@]} = 0 ] && return 0
  failed "skipped, for the failed ${missing[*]} build: $*"
  return 1
}

# ctest_in BUILD LOG ARG...: ctest in BUILD, its output also in LOG; a
# failure goes on the list with the tests that failed.
ctest_in() {
  local build=$1 log=$2
  shift 2
  ctest --test-dir "$build" --output-on-failure "$@" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" = 0 ] && return 0
  failed "tests in $build/: $(sed -n '/following tests FAILED/,$ s/^[[:space:]]*[0-9]* - \(.*\)$/\1/p' "$log" | tr '\n' ' ')"
}

# The programs under test wait a good part of their time (for a window, a
# box, a second to pass): one test more than the cores keeps both busy. On
# two cores the tests of build/ took 319 s with -j2, 275 s with -j3 and 330 s
# with -j4.
test_jobs=$((jobs + 1))

stage "tests (build/), all but package.reproducible"
if needs linux -- "the tests in build/"; then
  # What a missing build would fail anyway stays out, named above.
  left_out=()
  needs web -- "the browser tests" || left_out+=(web)
  needs windows -- "the Wine tests and the Windows packages' tests" || left_out+=(wine)
  excluded=(-E '^package\.reproducible$')
  [ ${#left_out[@]} = 0 ] || excluded+=(-LE "^($(IFS='|'; echo "${left_out[*]}"))$")
  ctest_in build build/ctest.log -j"$test_jobs" --timeout 300 "${excluded[@]}"
fi

stage "the packages built again (build-again/) and package.reproducible"
wait_built again
if needs linux windows again -- "package.reproducible"; then
  KORVADA_BUILT_AGAIN=$PWD/build-again ctest_in build build/ctest-reproducible.log -R '^package\.reproducible$'
fi

stage "tests with sanitizers (build-asan/), beside 60 s of fuzzing (build-fuzz/)"
# The fuzzers take one core for their minute, while the sanitized tests, a
# minute too, leave one mostly idle.
fuzzer=
if needs fuzzer -- "the fuzzing"; then
  scripts/fuzz.sh 60 >build-fuzz/fuzz.log 2>&1 &
  fuzzer=$!
fi
wait_built sanitized
if needs sanitized -- "the tests in build-asan/"; then
  # The system's GL and X libraries keep allocations to the end of the process;
  # leaks in our own code show in the unit tests, which run their own checks.
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest_in build-asan build-asan/ctest.log -j"$test_jobs" --timeout 600 -LE nosan
fi
if [ -n "$fuzzer" ]; then
  wait "$fuzzer" || failed "fuzzing (build-fuzz/fuzz.log)"
  cat build-fuzz/fuzz.log
fi

stage end

# The slowest tests of both runs, where the time goes.
echo "The 15 slowest tests:"
for log in build/ctest.log build/ctest-reproducible.log build-asan/ctest.log; do
  [ -f "$log" ] || continue
  sed -nE "s|^ *[0-9]+/[0-9]+ Test +#[0-9]+: ([^ ]+) \.+ *(\*\*\*)?([A-Za-z]+).* ([0-9.]+) sec$|\4 \1 (${log%%/*}, \3)|p" "$log"
done | sort -rn | head -n 15 | awk '{ printf "%8.1f s  %s %s %s\n", $1, $2, $3, $4 }'

passed=$(cat build/ctest.log build/ctest-reproducible.log build-asan/ctest.log 2>/dev/null | awk '/tests passed, .* tests failed out of/ {n += $NF - $4} END {print n + 0}')
if [ ${#failures[@]} = 0 ]; then
  echo "tests: $passed passed, 0 failed"
  exit 0
fi
echo "tests: $passed passed; what failed:"
printf '  - %s\n' "${failures[@]}"
exit 1
