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

# The 10 s away must not be played on the return.
return_to_game "$left" "when minimised"
end_game space
note "ok"
