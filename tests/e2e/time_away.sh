#!/usr/bin/env bash
# Time away is not played: minimised for 10 s, then restored, the round goes
# on from where it was. The player's height comes from SIGUSR1, which the game
# answers on stdout when KORVADA_PRINT_HEIGHT is set.
#   time_away.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
e2e_setup "$1" "$2"

start_game 0TYAY "" SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1
wait_game_window
xdotool windowminimize "$GAME_WINDOW"
sleep 0.5
left=$(player_height)
sleep 10
still=$(player_height)
[ "$left" = "$still" ] || fail "the round moved while minimised: $left, then $still"

started=$(date +%s.%N)
xdotool windowactivate "$GAME_WINDOW" 2>/dev/null
wait_game_window
back=$(player_height)
took=$(seconds_since "$started")
note "height $left when minimised, $back ${took} s after the return"
# The time since the return bounds the drop; the 10 s away must not be in it.
fell_at_most "$left" "$back" "$took" ||
    fail "the return played the time away: from $left to $back within $took s"
end_game space
note "ok"
