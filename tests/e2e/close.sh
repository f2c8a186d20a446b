#!/usr/bin/env bash
# Ends other than the end screen's: the window manager's close (Alt+F4 under
# openbox) and a termination signal both end the game normally, exit 0. Run
# with 16-bit colour and one bottle, so that those codes start too.
#   close.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
e2e_setup "$1" "$2"

start_game 0HYBN "" SDL_AUDIODRIVER=dummy
wait_game_window
shot_scene sixteen_bit || fail "code 0HYBN shows no scene (lit share $LIT)"
close_with key alt+F4
[ "$EXIT_CODE" = 0 ] || fail "closed by the window manager: exit code $EXIT_CODE, expected 0"
note "closed by the window manager: exit 0"

start_game 2TNAY "" SDL_AUDIODRIVER=dummy
wait_game_window
kill -TERM "$GAME_PID"
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "terminated: exit code $EXIT_CODE, expected 0"
note "terminated: exit 0"
note "ok"
