#!/usr/bin/env bash
# korvada.exe --window: an ordinary decorated window of the code's size, the
# screen's mode untouched; without the focus the round holds still with its
# picture shown and goes on when the focus comes back; a resized window shows
# the picture in the game's aspect between black bars; closing the window
# (Alt+F4) ends the game with exit code 0.
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 1024x768
answer_boxes

start_traced_game --window 0TYAY
wait_wine_window
GAME_WINDOW=$WINDOW
wait_until "$X_WAIT" frames_past 2 || fail "no frames drawn"
window_mode_checks 800x600 1024x768 drawn_height
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
note "ok"
