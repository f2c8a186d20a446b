#!/usr/bin/env bash
# korvada-replay.exe under Wine prints the same bytes as the Linux
# korvada-replay for the same rounds: the simulation takes the same course
# on both platforms, knocks, catches and cues included. Their recordings of a
# round are the same bytes, and each plays the other's back to the round;
# so does today's round of a fixed day, laid out from the day.
source "$(dirname "$0")/wine_harness.sh"
: "${KORVADA_REPLAY:?path of the Linux korvada-replay}"
replay_exe="$data_dir/korvada-replay.exe"
[ -f "$replay_exe" ] || fail "$replay_exe is missing"

rounds=(
  "--seed 1"
  "--seed 7 --bottles 12 --steps 3000 --every 250 --keys 1-150:RIGHT,100-400:DOWN,500-900:LEFT,800-1200:UP"
  "--seed 4242 --bottles 61 --bubbles 100 --steps 6000 --every 500 --dt 0.02 --keys 1-2000:LEFT,1000-3000:UP"
  "--seed 99 --bottles 2 --sound 0 --steps 20000 --dt 0.005 --every 1000 --keys 10-5000:RIGHT,4000-9000:DOWN"
  # A fixed day's round: its layout, from the day alone, is everyone's.
  "--daily 2026-12-09 --steps 4000 --every 400 --keys 1-800:LEFT,600-2000:UP --name Jana"
)
for i in "${!rounds[@]}"; do
  # shellcheck disable=SC2086
  "$KORVADA_REPLAY" ${rounds[$i]} >"$WORK/linux-$i.txt" || fail "the Linux replay of '${rounds[$i]}' failed"
  # shellcheck disable=SC2086
  timeout 120 wine "$replay_exe" ${rounds[$i]} >"$WORK/windows-$i.txt" || fail "korvada-replay.exe '${rounds[$i]}' failed"
  cmp "$WORK/linux-$i.txt" "$WORK/windows-$i.txt" ||
    fail "'${rounds[$i]}' differs: $(diff "$WORK/linux-$i.txt" "$WORK/windows-$i.txt" | head -4)"
  knocks=$(grep -c '^cue .* tuk' "$WORK/linux-$i.txt" || true)
  catches=$(grep -c '^cue .* zblunk' "$WORK/linux-$i.txt" || true)
  note "same $(wc -c <"$WORK/linux-$i.txt") bytes ($knocks knocks, $catches catches): ${rounds[$i]}"
done

# The recordings: written on each platform, played on the other.
for i in 1 2 4; do
  every=$(grep -o -- '--every [0-9]*' <<<"${rounds[$i]}")
  # shellcheck disable=SC2086
  "$KORVADA_REPLAY" ${rounds[$i]} --record "$WORK/linux-$i.kvr" >/dev/null ||
    fail "the Linux recording of '${rounds[$i]}' failed"
  # shellcheck disable=SC2086
  (cd "$WORK" && timeout 120 wine "$replay_exe" ${rounds[$i]} --record "windows-$i.kvr" >/dev/null) ||
    fail "korvada-replay.exe '${rounds[$i]}' --record failed"
  cmp "$WORK/linux-$i.kvr" "$WORK/windows-$i.kvr" || fail "the recordings of '${rounds[$i]}' differ"
  # shellcheck disable=SC2086
  "$KORVADA_REPLAY" --recording "$WORK/windows-$i.kvr" $every >"$WORK/linux-plays-$i.txt" ||
    fail "the Linux korvada-replay refused the Windows recording"
  # shellcheck disable=SC2086
  (cd "$WORK" && timeout 120 wine "$replay_exe" --recording "linux-$i.kvr" $every >"windows-plays-$i.txt") ||
    fail "korvada-replay.exe refused the Linux recording"
  cmp "$WORK/linux-$i.txt" "$WORK/linux-plays-$i.txt" || fail "the Windows recording plays otherwise on Linux"
  cmp "$WORK/linux-$i.txt" "$WORK/windows-plays-$i.txt" || fail "the Linux recording plays otherwise on Windows"
  note "recording of $(wc -c <"$WORK/linux-$i.kvr") bytes, the same on both, plays the same on both: ${rounds[$i]}"
done
