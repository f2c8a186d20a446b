#!/usr/bin/env bash
# The player's keys beyond the round's own, and the best round watched again.
# P pauses: the picture dims under the pause mark and the bottle holds, also
# through a minimised window and its return; F12 saves the frame (without
# the mark) as a PNG named by the time in the pictures folder xdg-user-dirs
# names; M mutes; P goes on from where the round held. The paused picture says
# how to go on, F12 and M say what they did for 1.5 s, never in the picture
# saved, and the end screen says the new best. The round's catch is a new
# best: its recording is kept beside the table and plays back in
# korvada-replay to the game's own end, and in the game (--watch, from a
# folder with a blank in its name) to the same place and catch whatever the
# viewer presses, keeping nothing. A recording made by korvada-replay plays
# in the game to korvada-replay's end; damaged and foreign ones are refused.
#   player_keys.sh KORVADA DATA_DIR KORVADA_REPLAY
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
e2e_setup "$1" "$2"
replay=$3
home=$WORK/home
mkdir -p "$home/.config"
printf '# written by xdg-user-dirs-update\nXDG_PICTURES_DIR="$HOME/Obrázky"\n' >"$home/.config/user-dirs.dirs"
places=(HOME="$home" XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_PICTURES_DIR= SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1)

# told FIELD: FIELD of the game's last line about its player (x, y, z,
# score, paused, over); over_told FIELD: of its line at the round's end.
# The place is told exactly (%.9g), as korvada-replay prints it.
told() { awk -v f="$1" '/^height/ {for (i = 3; i < NF; i += 2) if ($i == f) v = $(i + 1)} END {print v}' "$WORK/stdout"; }
over_told() { grep -m1 ' over 1$' "$WORK/stdout" | awk -v f="$1" '{for (i = 3; i < NF; i += 2) if ($i == f) print $(i + 1)}'; }
round_over() { grep -q ' over 1$' "$WORK/stdout"; }
# The player's bottle and catch in korvada-replay's last state: "X Y Z SCORE".
replay_end() { awk '/^state/ {n = 0} /^bottle 0 / {line = $3 " " $4 " " $5 " " $11} END {print line}' "$1"; }
game_end() { echo "$(over_told x) $(over_told y) $(over_told z) $(over_told score)"; }

start_game 0TYAY "" "${places[@]}"
wait_until "$X_WAIT" x_height_signal_caught_or_ended
wait_game_window
xdotool keydown Right sleep 0.4 keyup Right

# Paused: the round holds, the picture dimmed with the mark's two bars lit.
xdotool key p
paused_now() { player_height >/dev/null && [ "$(told paused)" = 1 ]; }
wait_until "$X_WAIT" paused_now || fail "P did not pause the round"
held=$(player_height)
mark_shown() {
    shot paused
    bars=$(image stats "$WORK/paused.ppm" 365 270 18 60 417 270 18 60 | awk '{print $1}' | sort -n | head -1)
    awk -v b="$bars" 'BEGIN {exit !(b > 200)}'
}
wait_until "$X_WAIT" mark_shown || fail "no pause mark in the middle of the picture"
# lettered NAME X Y W H: the lettering's share of the box in the last shot NAME
# (the only near-white there, on its dark band over a dimmed or dark picture).
lettered() { image white "$WORK/$1.ppm" "${@:2}"; }
hint_box=(250 372 300 62) notice_box=(250 90 300 45)
awk -v w="$(lettered paused "${hint_box[@]}")" 'BEGIN {exit !(w > 0.03)}' || fail "no 'P: continue' under the pause mark"
sleep 2
[ "$(player_height)" = "$held" ] || fail "the paused round moved: $held, then $(told y)"

# F12 while paused: the frame as it stands, without the veil and the mark.
# Its notice says so, over the picture and never in it; gone within 2 s.
notice_shown() { shot notice && awk -v w="$(lettered notice "${notice_box[@]}")" 'BEGIN {exit !(w > 0.03)}'; }
notice_gone() { shot after && awk -v w="$(lettered after "${notice_box[@]}")" 'BEGIN {exit !(w < 0.002)}'; }
f12_at=$(date +%s.%N)
xdotool key F12
wait_until "$X_WAIT" notice_shown || fail "F12: no notice over the picture"
saved=
picture_saved() { saved=$(sed -n 's/^korvada: the picture is saved as //p' "$WORK/stderr"); [ -n "$saved" ]; }
wait_until "$X_WAIT" picture_saved || fail "F12 saved no picture: $(cat "$WORK/stderr")"
[[ "$saved" =~ ^$home/Obrázky/Korvada/korvada-20[0-9]{2}-[01][0-9]-[0-3][0-9]-[0-2][0-9]-[0-5][0-9]-[0-5][0-9]\.png$ ]] ||
    fail "the picture's name or folder: $saved"
[ "$(identify -format '%m %wx%h' "$saved")" = "PNG 800x600" ] || fail "not an 800x600 PNG: $(identify "$saved")"
# Away from the mark the paused picture is the saved one at half its light.
read -r dim <<<"$(image stats "$WORK/paused.ppm" 40 40 300 200 | awk '{print $1 + $2 + $3}')"
read -r full lit <<<"$(image stats "$saved" 40 40 300 200 | awk '{print $1 + $2 + $3, $4}')"
note "picture $(basename "$saved"): light $full (lit share $lit), paused $dim"
awk -v d="$dim" -v f="$full" -v l="$lit" 'BEGIN {exit !(l > 0.9 && d > 0.4 * f && d < 0.6 * f)}' ||
    fail "the saved picture is not the paused frame undimmed (light $full, paused $dim)"
# The picture saved holds neither the notice nor the hint.
read -r in_notice in_hint <<<"$(image white "$saved" "${notice_box[@]}" "${hint_box[@]}" | tr '\n' ' ')"
awk -v n="$in_notice" -v h="$in_hint" 'BEGIN {exit !(n < 0.002 && h < 0.002)}' ||
    fail "the saved picture holds the notice ($in_notice) or the hint ($in_hint)"
wait_until "$X_WAIT" notice_gone || fail "the notice stayed"
shown_for=$(seconds_since "$f12_at")
awk -v s="$shown_for" 'BEGIN {exit !(s > 1)}' || fail "the notice was gone after $shown_for s"
awk -v w="$(lettered after "${hint_box[@]}")" 'BEGIN {exit !(w > 0.03)}' || fail "the paused hint faded with the notice"
note "F12's notice shown and gone within $shown_for s, the hint staying; the picture saved has neither ($in_notice, $in_hint)"

# Away and back: still paused where it was.
xdotool windowminimize "$GAME_WINDOW"
sleep 1
bring_back_game
[ "$(player_height)" = "$held" ] && [ "$(told paused)" = 1 ] || fail "the pause did not outlast the focus: $(tail -n1 "$WORK/stdout")"

xdotool key m
wait_until "$X_WAIT" grep -q '^korvada: the cues are muted$' "$WORK/stderr" || fail "M: no word of the mute"
wait_until "$X_WAIT" notice_shown || fail "M: no notice over the picture"
started=$(date +%s.%N)
xdotool key p
wait_round_plays "P again"
fell_at_most "$held" "$X_LATER" "$(seconds_since "$started")" || fail "the pause was played: $held, then $X_LATER"

xdotool key Escape
wait_until "$X_WAIT" round_over || fail "Esc did not end the round"
played=$(game_end)
new_best_said() { shot end && awk -v w="$(lettered end 380 530 270 35)" 'BEGIN {exit !(w > 0.03)}'; }
wait_until "$X_WAIT" new_best_said || fail "the end screen says no new best beside the score"
sleep 1.8
xdotool key space
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "the round: exit code $EXIT_CODE"

# The new best and its recording, beside the table.
kept=$home/.local/share/korvada
score=${played##* }
grep -qx "4 $score $(date +%F)" "$kept/best-catches" || fail "the catch $score is not kept: $(cat "$kept/best-catches")"
"$replay" --recording "$kept/best-round-4.kvr" >"$WORK/own.txt" || fail "korvada-replay refused the game's recording"
[ "$(replay_end "$WORK/own.txt")" = "$played" ] ||
    fail "the recording plays to $(replay_end "$WORK/own.txt"), the round ended at $played"
note "round ended at $played, as its recording of $(stat -c %s "$kept/best-round-4.kvr") bytes plays"

# watch FILE PRESS...: the game plays FILE back, the viewer pressing PRESS
# meanwhile, to the end screen; WATCHED: where the round ended, WATCH_SECONDS:
# how long it played from the window's showing.
watch() {
    local file=$1
    shift
    start_program "$DATA" env "${places[@]}" "$KORVADA" --watch "$file" 0TYAY
    wait_game_window
    local shown
    shown=$(date +%s.%N)
    [ $# = 0 ] || xdotool "$@"
    wait_until "$X_WAIT" round_over || fail "the playback of $file did not end"
    WATCH_SECONDS=$(seconds_since "$shown")
    WATCHED=$(game_end)
    sleep 1.8
    xdotool key space
    wait_exit
    [ "$EXIT_CODE" = 0 ] || fail "watching $file: exit code $EXIT_CODE"
}
mkdir -p "$WORK/with blank"
cp "$kept/best-round-4.kvr" "$WORK/with blank/best.kvr"
cp -a "$kept" "$WORK/kept-before"
watch "$WORK/with blank/best.kvr" keydown Left sleep 1 key 5 sleep 1 keyup Left
[ "$WATCHED" = "$played" ] || fail "watched, the round ended at $WATCHED, played at $played"
diff -r "$WORK/kept-before" "$kept" || fail "watching changed what is kept"
note "watched to $WATCHED, the arrows and camera of the viewer doing nothing, nothing kept"

# A recording made by korvada-replay, the one the Windows and browser tests
# play: 10.6 s of twelve bottles knocking, the player catching a bubble.
# Tab held for 2 s of it plays 8 s of the round: the same course, sooner.
"$replay" --seed 7 --bottles 12 --steps 530 --dt 0.02 --keys 1-400:RIGHT,1-20:DOWN --record "$WORK/replay.kvr" \
    >"$WORK/replay.txt" || fail "korvada-replay --record failed"
[ "$(replay_end "$WORK/replay.txt" | cut -d' ' -f4)" = 1 ] || fail "korvada-replay's round catches no bubble"
watch "$WORK/replay.kvr" keydown Tab sleep 2 keyup Tab
[ "$WATCHED" = "$(replay_end "$WORK/replay.txt")" ] ||
    fail "korvada-replay's recording ends at $WATCHED in the game, at $(replay_end "$WORK/replay.txt") in korvada-replay"
awk -v s="$WATCH_SECONDS" 'BEGIN {exit !(s < 8)}' || fail "Tab held, the 10.6 s round took $WATCH_SECONDS s"
note "korvada-replay's recording: the game ends it at $WATCHED, as korvada-replay does, in $WATCH_SECONDS s with Tab held"

# Refused: no round is played, the reason on stderr (and in a box on a display).
refused="Záznam kola nelze přehrát!"
cp "$WORK/replay.kvr" "$WORK/damaged.kvr"
printf '\x55' | dd of="$WORK/damaged.kvr" bs=1 seek=100 conv=notrunc status=none
! cmp -s "$WORK/replay.kvr" "$WORK/damaged.kvr" || fail "the damage changed nothing"
for case in "damaged.kvr:damaged: its checksum does not match" "home/.local/share/korvada/best-catches:not a Korvada recording" \
    "missing.kvr:no such file"; do
    file=$WORK/${case%%:*}
    start_program "$DATA" env DISPLAY= WAYLAND_DISPLAY= "${places[@]}" "$KORVADA" --watch "$file" 0TYAY
    wait_exit
    [ "$EXIT_CODE" = 1 ] || fail "$file: exit code $EXIT_CODE, expected 1"
    grep -A1 -xF "$refused" "$WORK/stderr" | tail -n1 | grep -qF "${case#*:}" ||
        fail "$file: not refused with '${case#*:}': $(cat "$WORK/stderr")"
    note "refused: $(grep -A1 -xF "$refused" "$WORK/stderr" | tail -n1)"
done
start_program "$DATA" env "${places[@]}" "$KORVADA" --watch "$WORK/damaged.kvr" 0TYAY
dismiss_boxes 1
wait_exit
[ "$EXIT_CODE" = 1 ] || fail "a damaged recording on a display: exit code $EXIT_CODE, expected 1"
note "ok"
