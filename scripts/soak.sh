#!/usr/bin/env bash
# Runs a selection of the tests N times in a row, as CI runs them, and prints
# per test its passes, failures and the range of its times: a test that
# fails now and then shows here, not in someone's CI run.
#   scripts/soak.sh [-n N] [--hogs K] [--build DIR] [CTEST_OPTION...]
# -n N: the runs (5 unless told). --hogs K: K `yes >/dev/null` processes
# load the processor for the whole soak. --build DIR: the build folder
# (build/ unless told). CTEST_OPTION: ctest's own selection (-L e2e, -R wine,
# -E ..., -j ...), passed through; the whole of DIR when none is given. Each
# run's log is in DIR/soak/run-N.log, failures' output and evidence paths
# with it, and every test's output in DIR/soak/run-N.full.log; the waits that
# passed only slowly are listed at the end. Exits 1 when any test failed.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=5 hogs=0 build=build selection=()
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs=$2; shift 2 ;;
    --hogs) hogs=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) selection+=("$1"); shift ;;
  esac
done
[ -f "$build/CTestTestfile.cmake" ] || { echo "no tests in $build: build it first" >&2; exit 2; }

hog_pids=()
trap '[ ${#hog_pids[@]} = 0 ] || kill "${hog_pids[@]}" 2>/dev/null' EXIT
for _ in $(seq "$hogs"); do
  yes >/dev/null &
  hog_pids+=($!)
done

mkdir -p "$build/soak"
rm -f "$build"/soak/run-*.full.log
results=$build/soak/results
: >"$results"
for run in $(seq "$runs"); do
  started=$SECONDS
  # As scripts/test.sh runs them: one test more than the cores.
  ctest --test-dir "$build" --output-on-failure -j"$(($(nproc) + 1))" --timeout 300 "${selection[@]}" \
    >"$build/soak/run-$run.log" 2>&1 || true
  # Passing tests' output too, for the waits that passed slowly (x_harness.sh).
  cp "$build/Testing/Temporary/LastTest.log" "$build/soak/run-$run.full.log" 2>/dev/null || true
  # "  3/70 Test  #12: wine.play ......   Passed   61.20 sec" (or ***Failed,
  # ***Timeout, ***Exception: ..., Not Run): name, outcome, seconds.
  sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) \.+ *(\*\*\*)?([A-Za-z]+).* ([0-9.]+) sec$/\1 \3 \4/p' \
    "$build/soak/run-$run.log" | tee -a "$results" >"$build/soak/run-$run.results"
  echo "run $run of $runs: $(wc -l <"$build/soak/run-$run.results") tests," \
    "$(grep -vcE ' (Passed|Skipped) ' "$build/soak/run-$run.results") failed, $((SECONDS - started)) s" \
    "(log: $build/soak/run-$run.log)"
done

slow=$(awk '/^[0-9]+\/[0-9]+ Testing: / {test = $3} / waited [0-9]+ s for: / {sub(/^.*-- /, ""); print "  " test ": " $0}' \
  "$build"/soak/run-*.full.log 2>/dev/null | sort || true)
[ -z "$slow" ] || printf '\nWaits that passed only after 10 s:\n%s\n' "$slow"

echo
awk '{
    if (!($1 in passed)) { order[++n] = $1; passed[$1] = failed[$1] = 0; least[$1] = most[$1] = $3 }
    if ($2 == "Passed") passed[$1]++
    else if ($2 == "Skipped") how[$1] = how[$1] " Skipped"
    else { failed[$1]++; how[$1] = how[$1] " " $2 }
    if ($3 < least[$1]) least[$1] = $3
    if ($3 > most[$1]) most[$1] = $3
  }
  END {
    printf "%-42s %6s %6s  %s\n", "test", "passed", "failed", "seconds"
    for (i = 1; i <= n; i++) {
      t = order[i]
      printf "%-42s %6d %6d  %.1f-%.1f%s\n", t, passed[t], failed[t], least[t], most[t], how[t]
      all_failed += failed[t]
    }
    exit all_failed > 0
  }' "$results"
