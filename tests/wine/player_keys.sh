#!/usr/bin/env bash
# The player's keys beyond the round's own in korvada.exe, its frames traced:
# P pauses (no frame drawn, the bottle where it was, the picture dimmed
# under the pause mark), also through a minimised window and its return;
# F12 saves the frame as a PNG named by the time in the Pictures known
# folder's Korvada; M mutes; P goes on from where the round held. A pad's
# Start (XInput's stand-in) pauses and goes on too, read on the window's
# timer while no frame is drawn. The paused picture says how to go on and
# F12 says what it did for a while, never in the picture saved. The round's catch is a new best: its
# recording, kept beside the table, plays on Linux to where the round
# ended. korvada-replay's recording made on Linux plays in korvada.exe
# (from a folder with a blank in its name) to korvada-replay's end; a
# damaged one is refused with its box and exit code 1.
source "$(dirname "$0")/wine_harness.sh"
: "${KORVADA_REPLAY:?path of the Linux korvada-replay}"
stand_in="$data_dir/xinput_stand_in.dll"
[ -f "$stand_in" ] || fail "$stand_in is missing: build it with cmake --build --preset win64"
start_display xvfb 800x600
answer_boxes

fresh_prefix
cp --remove-destination "$stand_in" "$WINEPREFIX/drive_c/windows/system32/xinput1_4.dll"
# Wine links the user's Pictures to the home folder: a folder of the prefix's own instead.
for pictures in "$WINEPREFIX"/drive_c/users/*/Pictures; do
  [ -L "$pictures" ] && rm "$pictures" && mkdir "$pictures"
done
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;xinput1_4=n" KORVADA_PAD_STATE="Z:$WORK/pad" KORVADA_PRINT_HEIGHT=1
START=0x0010
hold() { echo "$1" >"$WORK/pad.new" && mv "$WORK/pad.new" "$WORK/pad"; }
serial=0
x_tapped() { [ "$(cat "$WORK/pad.korvada.exe" 2>/dev/null)" = "$serial" ]; }
tap() {
  serial=$((serial + 1))
  hold "$1 $serial"
  wait_until "$X_WAIT" x_tapped || fail "the game did not read the tap of $1"
}
hold 0
appdata=$(dirname "$(saved_code_file)")
rm -rf "$appdata"

# over_told FIELD: of the game's line at the round's end; the game's own
# lines on stderr, without Windows' line ends.
over_told() { grep -a -m1 ' over 1' "$WORK/stdout" | tr -d '\r' | awk -v f="$1" '{for (i = 3; i < NF; i += 2) if ($i == f) print $(i + 1)}'; }
round_over() { grep -aq ' over 1' "$WORK/stdout"; }
game_end() { echo "$(over_told x) $(over_told y) $(over_told z) $(over_told score)"; }
replay_end() { awk '/^bottle 0 / {line = $3 " " $4 " " $5 " " $11} END {print line}' "$1"; }
said() { grep -a '^korvada: ' "$WORK/view.log" | tr -d '\r'; }
# press KEY CMD...: KEY, and again every 5 s while CMD fails, until X_WAIT:
# now and then a key sent to the paused game under Wine comes to nothing
# (the game waits idle in GetMessage, its window focused as X and Wine
# trace it), and a player presses again. Slower than wait_acting's second:
# the trace runs seconds behind on a loaded machine.
press() {
  local key=$1 deadline=$((SECONDS + X_WAIT)) next=0 presses=0
  shift
  while :; do
    if [ "$SECONDS" -ge "$next" ]; then
      # A key goes to the window that has the focus, as a player's does: one
      # who finds the game gone (a minimise that Wine carried out late, after
      # the game was brought back) brings it back before pressing again.
      x_active "$GAME_WINDOW" || { note "$key: the game had lost the focus"; bring_back_game; }
      xdotool key "$key"
      presses=$((presses + 1))
      next=$((SECONDS + 5))
    fi
    if "$@"; then
      [ "$presses" = 1 ] || note "$key: pressed $presses times"
      return 0
    fi
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# held_still WHAT: no frame drawn for 2 s, the trace caught up.
held_still() {
  local drawn
  trace_caught_up
  drawn=$(frames)
  sleep 2
  trace_caught_up
  [ "$(frames)" -le $((drawn + 1)) ] || fail "$1: $(($(frames) - drawn)) frames drawn while paused"
}

start_traced_game 0TYAY
wait_wine_window
GAME_WINDOW=$WINDOW
wait_until "$X_WAIT" frames_past 2 || fail "no frames drawn"
xdotool keydown Right sleep 0.4 keyup Right

xdotool key p
mark_shown() {
  import -window root "$WORK/paused.ppm"
  bars=$(image stats "$WORK/paused.ppm" 365 270 18 60 417 270 18 60 | awk '{print $1}' | sort -n | head -1)
  awk -v b="$bars" 'BEGIN {exit !(b > 200)}'
}
wait_until "$X_WAIT" mark_shown || fail "no pause mark in the middle of the picture"
# lettered FILE BOX...: the game's lettering's share of each box (the only near white there).
lettered() { image white "$@" | tr '\n' ' '; }
hint_box=(250 372 300 62) notice_box=(250 90 300 45)
awk -v w="$(lettered "$WORK/paused.ppm" "${hint_box[@]}")" 'BEGIN {exit !(w > 0.03)}' || fail "no 'P: continue' under the pause mark"
held_still "P"
held=$(drawn_height)

saved=
picture_saved() { saved=$(said | sed -n 's/^korvada: the picture is saved as //p' | head -n1); [ -n "$saved" ]; }
notice_shown() { import -window root "$WORK/notice.ppm" && awk -v w="$(lettered "$WORK/notice.ppm" "${notice_box[@]}")" 'BEGIN {exit !(w > 0.03)}'; }
# Its notice, looked for on the screen at once: the trace that says the
# picture was saved may run seconds behind, past the notice's 1.5 s.
press F12 notice_shown || fail "F12: no notice over the picture"
wait_until "$X_WAIT" picture_saved || fail "F12 saved no picture: $(said)"
[[ "$saved" =~ ^C:\\users\\[^\\]+\\Pictures\\Korvada\\korvada-20[0-9]{2}-[01][0-9]-[0-3][0-9]-[0-2][0-9]-[0-5][0-9]-[0-5][0-9]\.png$ ]] ||
  fail "the picture's name or folder: $saved"
png=$(winepath -u "$saved" 2>/dev/null)
[[ "$(realpath "$png")" == "$WINEPREFIX/"* ]] || fail "the picture was saved outside the test's prefix: $png"
[ "$(identify -format '%m %wx%h' "$png")" = "PNG 800x600" ] || fail "not an 800x600 PNG: $(identify "$png")"
read -r dim <<<"$(image stats "$WORK/paused.ppm" 40 40 300 200 | awk '{print $1 + $2 + $3}')"
read -r full lit <<<"$(image stats "$png" 40 40 300 200 | awk '{print $1 + $2 + $3, $4}')"
note "picture $saved: light $full (lit share $lit), paused $dim"
awk -v d="$dim" -v f="$full" -v l="$lit" 'BEGIN {exit !(l > 0.9 && d > 0.4 * f && d < 0.6 * f)}' ||
  fail "the saved picture is not the paused frame undimmed (light $full, paused $dim)"
read -r in_notice in_hint <<<"$(lettered "$png" "${notice_box[@]}" "${hint_box[@]}")"
awk -v n="$in_notice" -v h="$in_hint" 'BEGIN {exit !(n < 0.002 && h < 0.002)}' ||
  fail "the saved picture holds the notice ($in_notice) or the hint ($in_hint)"
# It fades, drawn anew meanwhile; then the paused game draws nothing again.
# Gone is the paused picture back where it was, its dark band too: its
# letters leave white while the band still fades, and the game draws on.
notice_gone() {
  import -window root "$WORK/after.ppm" &&
    image diff "$WORK/still.ppm" "$WORK/after.ppm" "${notice_box[@]}" | awk '{exit !($2 <= 3)}'
}
cp "$WORK/paused.ppm" "$WORK/still.ppm"
wait_until "$X_WAIT" notice_gone || fail "F12's notice stayed"
cp "$WORK/paused.ppm" "$WORK/paused-before-away.ppm"

xdotool windowminimize "$GAME_WINDOW"
wait_until "$X_WAIT" eval '[ -z "$(find_window Korvada)" ]' || fail "the game window stays visible when minimised"
bring_back_game
held_still "back from the taskbar"
[ "$(drawn_height)" = "$held" ] || fail "the pause did not outlast the focus: $held, then $(drawn_height)"

# The pad's Start goes on, and pauses again.
tap "$START"
wait_until "$X_WAIT" frames_past "$(($(frames) + 5))" || fail "Start did not go on"
tap "$START"
held_still "Start"
held=$(drawn_height)
import -window root "$WORK/still.ppm"

# Muted as the last word of the cues: a press that came late may have
# switched them on again, and one more switches them off. Last before the
# round goes on: the word comes from the trace, which may run behind the
# notice of a later press still fading, drawn anew while the round holds.
muted() { [ "$(said | grep -E '^korvada: the cues (are muted|sound again)$' | tail -n1)" = "korvada: the cues are muted" ]; }
press m muted || fail "M: no word of the mute: $(said)"
wait_until "$X_WAIT" notice_gone || fail "M's notice stayed"
xdotool key p
return_to_game "$held" "paused"

xdotool key Escape
wait_until "$X_WAIT" round_over || fail "Esc did not end the round"
played=$(game_end)
sleep 1.8
xdotool key space
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "the round: exit code $EXIT_CODE"
kept="$appdata/best-round-4.kvr"
"$KORVADA_REPLAY" --recording "$kept" >"$WORK/own.txt" || fail "the Linux korvada-replay refused korvada.exe's recording"
[ "$(replay_end "$WORK/own.txt")" = "$played" ] ||
  fail "korvada.exe's recording plays to $(replay_end "$WORK/own.txt") on Linux, the round ended at $played"
note "round ended at $played, as its recording of $(stat -c %s "$kept") bytes plays on Linux"

# korvada-replay's recording, made on Linux: the same round in korvada.exe,
# the pad resting (a tap is new to each process). The viewer's '4' chooses
# the viewer's camera, which looks down as the first does: the trace still
# reads the bottle's place.
hold 0
mkdir -p "$WORK/with blank"
"$KORVADA_REPLAY" --seed 7 --bottles 12 --steps 530 --dt 0.02 --keys 1-400:RIGHT,1-20:DOWN \
  --record "$WORK/with blank/replay.kvr" >"$WORK/replay.txt" || fail "korvada-replay --record failed"
start_traced_game --watch "$(winepath -w "$WORK/with blank/replay.kvr" 2>/dev/null)" 0TYAY
wait_wine_window
xdotool keydown Left sleep 1 key 4 sleep 1 keyup Left
wait_until "$X_WAIT" round_over || fail "the playback did not end"
watched=$(game_end)
trace_caught_up
read -r want_x want_y _ want_score <<<"$(replay_end "$WORK/replay.txt")"
# The last frame drawn as play, from below the camera: minus the player's x,
# and -50 minus its height.
read -r _ camera_x camera_y <<<"$(grep '^camera' "$WORK/view.log" | tail -n1)"
awk -v cx="$camera_x" -v cy="$camera_y" -v x="$want_x" -v y="$want_y" \
  'BEGIN {exit !((cx + x) ^ 2 < 1e-6 && (cy + 50 + y) ^ 2 < 1e-4)}' ||
  fail "the last frame drawn shows the player at $camera_x $camera_y, korvada-replay ends at $want_x $want_y"
[ "$watched" = "$(replay_end "$WORK/replay.txt")" ] ||
  fail "korvada-replay's recording ends at $watched in korvada.exe, at $(replay_end "$WORK/replay.txt") on Linux"
[ "$want_score" = 1 ] || fail "korvada-replay's round catches no bubble"
sleep 1.8
xdotool key space
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "the playback: exit code $EXIT_CODE"
note "korvada-replay's recording: korvada.exe ends it at $watched and draws it there, as korvada-replay does"

cp "$WORK/with blank/replay.kvr" "$WORK/damaged.kvr"
printf '\x55' | dd of="$WORK/damaged.kvr" bs=1 seek=100 conv=notrunc status=none
start_wine "$data_dir" -all,trace+msgbox "$KORVADA_EXE" --watch "$(winepath -w "$WORK/damaged.kvr" 2>/dev/null)" 0TYAY
wait_exit
[ "$EXIT_CODE" = 1 ] || fail "a damaged recording: exit code $EXIT_CODE, expected 1"
box_texts | grep -q "^Záznam kola nelze přehrát!\\\\n.*damaged.kvr: damaged: its checksum does not match" ||
  fail "a damaged recording: the box said '$(box_texts)'"
note "refused: $(box_texts)"
note "ok"
