#!/usr/bin/env bash
# --window: an ordinary decorated window of the code's size, the screen's
# mode untouched; without the focus the round holds still with its picture
# shown and goes on when the focus comes back; a resized window shows the
# picture in the game's aspect between black bars; closing the window (the
# window manager's Alt+F4) ends the game with exit code 0.
#   window.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
e2e_setup "$1" "$2" 1024x768

start_game "--window 0TYAY" "" SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1
wait_game_window
window_mode_checks 800x600 1024x768 player_height
note "ok"
