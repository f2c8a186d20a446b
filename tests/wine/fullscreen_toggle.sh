#!/usr/bin/env bash
# Alt+Enter and F11 during a round of korvada.exe, on an X server that really
# switches modes: full screen to a decorated window with the desktop's mode
# back and again, the round going on; the end screen survives the chord; a
# window the screen has no mode for stays a window (as e2e/fullscreen_toggle.sh).
source "$(dirname "$0")/wine_harness.sh"
start_display xorg-dummy
answer_boxes

start_traced_game 0TYAY
wait_wine_window
GAME_WINDOW=$WINDOW
wait_until "$X_WAIT" frames_past 2 || fail "no frames drawn"
toggle_checks

start_wine "$data_dir" -all "$KORVADA_EXE" --window 5TYAY
wait_wine_window
GAME_WINDOW=$WINDOW
refused_toggle_checks
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
note "ok"
