#!/usr/bin/env bash
# Time away is not played: minimised for 10 s, then restored, the round goes
# on from where it was. The player's height comes from SIGUSR1, which the game
# answers on stdout when KORVADA_PRINT_HEIGHT is set.
#   time_away.sh KORVADA DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$1" "$2"

# height: asks the game for the player's height and prints it.
height() {
    local lines i
    lines=$(grep -c '^height' "$WORK/stdout")
    kill -USR1 "$GAME_PID"
    for i in $(seq 100); do
        [ "$(grep -c '^height' "$WORK/stdout")" -gt "$lines" ] && break
        sleep 0.05
    done
    awk '/^height/ {h = $2} END {if (h == "") exit 1; print h}' "$WORK/stdout" || fail "the game did not tell its height"
}

start_game 0TYAY "" SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1
wait_game_window
xdotool windowminimize "$GAME_WINDOW"
sleep 0.5
left=$(height)
sleep 10
still=$(height)
[ "$left" = "$still" ] || fail "the round moved while minimised: $left, then $still"

started=$(date +%s.%N)
xdotool windowactivate "$GAME_WINDOW" 2>/dev/null
wait_game_window
back=$(height)
took=$(awk -v s="$started" -v e="$(date +%s.%N)" 'BEGIN {print e - s}')
note "height $left when minimised, $back ${took} s after the return"
# The fall is at most 150 units a second: the time since the return bounds
# the drop (a frame in that time included); the 10 s away must not be in it.
awk -v a="$left" -v b="$back" -v t="$took" 'BEGIN {exit !(a - b >= 0 && a - b <= 150 * (t + 0.1))}' ||
    fail "the return played the time away: from $left to $back within $took s"
end_game space
note "ok"
