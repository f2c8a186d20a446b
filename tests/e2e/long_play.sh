#!/usr/bin/env bash
# Round after round as a player plays them: korvada-setup's dialog, Enter on
# Play, the real game full screen with sound, Esc, Space on the end screen,
# the dialog back; ROUNDS times (20 unless told). The dialog lives through
# them all, and whatever a round leaves behind piles up in it: its resident
# memory after the last round is within 5 % of what it was after round 10
# (after round 5 in a run of fewer than 20), and it holds no more open files
# and threads than then, and no child. Neither it nor any game says anything
# on stderr. A line per measured round gives the figures: the dialog's
# memory, files and threads, and the X server's memory.
#   long_play.sh KORVADA_SETUP DATA_DIR [ROUNDS]
source "$(dirname "$0")/../x_harness.sh"
SETUP=$1
rounds=${3:-20}
e2e_setup "$(dirname "$SETUP")/korvada" "$2"
export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"
mkdir -p "$XDG_CONFIG_HOME/korvada"
echo 0TYAY >"$XDG_CONFIG_HOME/korvada/launch-code"
# The first round that counts: the dialog's first rounds load what it keeps.
baseline=$((rounds >= 20 ? 10 : 5))

game_child() { pgrep -P "$GAME_PID" -x korvada; }
no_game_child() { [ -z "$(game_child)" ]; }
x_status() { awk -v k="$2:" '$1 == k {print $2}' "/proc/$1/status"; }
xvfb_pid() { pgrep -x Xvfb -P $$ || pgrep -n -x Xvfb; }
# measure ROUND: a line of figures, kept in FIGURES_<ROUND>.
measure() {
    local line
    line="rss $(x_status "$GAME_PID" VmRSS) kB, files $(ls "/proc/$GAME_PID/fd" | wc -l)"
    line+=", threads $(x_status "$GAME_PID" Threads), children $(pgrep -c -P "$GAME_PID")"
    line+=", X server rss $(x_status "$(xvfb_pid)" VmRSS) kB"
    note "after round $1: $line"
    printf -v "FIGURES_$1" '%s' "$line"
}
figure() { local line=FIGURES_$1; sed -n "s/.*$2 \([0-9]*\).*/\1/p" <<<"${!line}"; }

start_program "$WORK" env LANGUAGE=en SDL_AUDIODRIVER=dummy "$SETUP"
wait_focused_window "Korvada – settings"
started=$SECONDS
for round in $(seq "$rounds"); do
    # Play has the focus: Enter plays, as the player would press it.
    xdotool key Return
    wait_game_window
    xdotool key Escape
    sleep 1.8
    xdotool keydown space
    wait_until "$X_WAIT" no_game_child
    xdotool keyup space
    no_game_child || fail "round $round: Space on the end screen did not end the game"
    wait_focused_window "Korvada – settings"
    if [ "$round" = "$baseline" ] || [ "$round" = "$rounds" ]; then
        sleep 0.5  # the dialog drawn again
        measure "$round"
    fi
done
note "$rounds rounds in $((SECONDS - started)) s"

[ ! -s "$WORK/stderr" ] || fail "something was said on stderr"
before=$(figure "$baseline" rss)
after=$(figure "$rounds" rss)
awk -v a="$before" -v b="$after" 'BEGIN {exit !(b <= a * 1.05)}' ||
    fail "the dialog grew from $before kB after round $baseline to $after kB after round $rounds"
for what in files threads; do
    [ "$(figure "$rounds" $what)" -le "$(figure "$baseline" $what)" ] ||
        fail "the dialog holds more $what after round $rounds than after round $baseline"
done
[ "$(figure "$rounds" children)" = 0 ] || fail "a game is left behind"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "Esc after $rounds rounds: exit code $EXIT_CODE, expected 0"
note "ok"
