#!/usr/bin/env bash
# Minimised, the game draws nothing and waits for events (almost no CPU);
# restored, it runs frames again and still answers its keys. Running frames
# is told by the round playing (the height falls), not by the processor's
# share, which a machine crowded with other work hands out as it likes.
#   minimise.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
e2e_setup "$1" "$2"

start_game 0TYAY "" SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1
wait_game_window
wait_until "$X_WAIT" x_height_signal_caught_or_ended
wait_round_plays "shown"

xdotool windowminimize "$GAME_WINDOW"
sleep 0.5
game_running || fail "the game ended when minimised"
away=$(cpu_share "$GAME_PID" 2)
note "CPU while minimised: $away %"
[ "$away" -le 3 ] || fail "the minimised game still uses $away % CPU"

bring_back_game
wait_round_plays "restored"
shot_scene restored || fail "the restored game shows no scene (lit share $LIT)"

end_game space
note "ok"
