#!/usr/bin/env bash
# Minimised, the game draws nothing and waits for events (almost no CPU);
# restored, it runs frames again and still answers its keys.
#   minimise.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
e2e_setup "$1" "$2"

start_game 0TYAY "" SDL_AUDIODRIVER=dummy
wait_game_window
before=$(cpu_share "$GAME_PID" 2)
note "CPU while shown: $before %"
[ "$before" -ge "$X_BUSY" ] || fail "the game is not running frames ($before % CPU)"

xdotool windowminimize "$GAME_WINDOW"
sleep 0.5
game_running || fail "the game ended when minimised"
away=$(cpu_share "$GAME_PID" 2)
note "CPU while minimised: $away %"
[ "$away" -le 3 ] || fail "the minimised game still uses $away % CPU"

bring_back_game
back=$(cpu_share "$GAME_PID" 2)
note "CPU after restoring: $back %"
[ "$back" -ge "$X_BUSY" ] || fail "the restored game does not run frames ($back % CPU)"
shot_scene restored || fail "the restored game shows no scene (lit share $LIT)"

end_game space
note "ok"
