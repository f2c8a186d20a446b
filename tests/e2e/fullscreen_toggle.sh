#!/usr/bin/env bash
# Alt+Enter and F11 during a round, on an X server that really switches
# modes (1024x768, 800x600 among its modes): "0TYAY" full screen (the screen
# at 800x600) goes to a decorated 800x600 window with the desktop's 1024x768
# back, and back to full screen in 800x600 over the whole screen, the round
# going on from where it stood each time; the end screen survives the chord
# (toggle_checks). A window whose size the screen cannot switch to ("5TYAY",
# 1280x1024) stays a window: a line on stderr, the round plays on, the
# normal end (refused_toggle_checks).
#   fullscreen_toggle.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
e2e_setup "$1" "$2" 1024x768 xorg-dummy

start_game 0TYAY "" SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1
wait_until "$X_WAIT" x_height_signal_caught_or_ended
wait_game_window
toggle_checks

start_game "--window $(size_code 1280x1024)TYAY" "" SDL_AUDIODRIVER=dummy
wait_game_window
refused_toggle_checks
note "ok"
