#!/usr/bin/env bash
# Fuzzes every libFuzzer target of build-fuzz/ for its share of SECONDS. A
# target is a program named <name>_fuzz there (fuzz/CMakeLists.txt; built
# by `cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++`), its seeds
# are in fuzz/corpus/<name>/, and the new inputs it finds go to
# build-fuzz/corpus/<name>/ (the committed seeds stay as they are).
#   scripts/fuzz.sh SECONDS [JOBS]
# JOBS targets at a time (1 unless told), each for SECONDS * JOBS / targets,
# so that the whole takes about SECONDS. A crash, a leak or a timeout fails
# the run (exit 1), naming the target and the input that causes it, kept in
# build-fuzz/crashes/<name>/; each target's log is build-fuzz/<name>.log.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz.sh SECONDS [JOBS]}
jobs=${2:-1}

targets=()
for program in build-fuzz/*_fuzz; do
  [ -x "$program" ] && targets+=("$(basename "$program" _fuzz)")
done
[ ${#targets[@]} -gt 0 ] || { echo "no fuzzer in build-fuzz/: build it first" >&2; exit 1; }
share=$((seconds * jobs / ${#targets[@]}))
[ "$share" -ge 1 ] || share=1
echo "fuzzing ${targets[*]}: $share s each, $jobs at a time"

# fuzz NAME: one target for its share; 0 when it found nothing wrong.
fuzz() {
  local name=$1 seeds=fuzz/corpus/$1
  mkdir -p "build-fuzz/corpus/$name" "build-fuzz/crashes/$name"
  [ -d "$seeds" ] || { echo "$name: no seeds in $seeds" >&2; seeds=; }
  "build-fuzz/${name}_fuzz" -max_total_time="$share" -print_final_stats=1 \
    -artifact_prefix="build-fuzz/crashes/$name/" "build-fuzz/corpus/$name" ${seeds:+"$seeds"} \
    >"build-fuzz/$name.log" 2>&1
}

declare -A running=()
failed=()
# one_done: waits for one running target and reports it.
one_done() {
  local pid name status=0 input
  wait -n -p pid "${!running[@]}" || status=$?
  name=${running[$pid]}
  unset "running[$pid]"
  if [ "$status" = 0 ]; then
    echo "$name: $(sed -n 's/^stat::number_of_executed_units: *//p' "build-fuzz/$name.log") inputs run," \
      "$(find "build-fuzz/corpus/$name" -type f | wc -l) new kept in build-fuzz/corpus/$name"
    return
  fi
  input=$(sed -n 's/.*Test unit written to //p' "build-fuzz/$name.log" | tail -n1)
  echo "!!! $name failed (exit $status) on ${input:-an input it did not write}; the end of build-fuzz/$name.log:"
  tail -n 40 "build-fuzz/$name.log"
  failed+=("$name")
}
for name in "${targets[@]}"; do
  [ ${#running[@]} -lt "$jobs" ] || one_done
  fuzz "$name" &
  running[$!]=$name
done
while [ ${#running[@]} -gt 0 ]; do one_done; done
[ ${#failed[@]} = 0 ] || { echo "fuzzing failed: ${failed[*]}"; exit 1; }
