#!/usr/bin/env bash
# Time away is not played: the full-screen game minimised for 10 s, then
# restored, goes on from where it was.
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 800x600
answer_boxes

start_traced_game 0TYAY
wait_wine_window
GAME_WINDOW=$WINDOW
wait_until "$X_WAIT" frames_past 2 || fail "no frames drawn"
xdotool windowminimize "$GAME_WINDOW"
wait_until "$X_WAIT" eval '[ -z "$(find_window Korvada)" ]' || fail "the game window stays visible when minimised"
left=$(settled_height caught_up_height)
sleep 10
still=$(caught_up_height)
[ "$left" = "$still" ] || fail "the round moved while minimised: $left, then $still"

# The 10 s away must not be played on the return.
return_to_game "$left" "when minimised"
end_round space
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE, expected 0"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
note "ok"
