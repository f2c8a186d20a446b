#!/usr/bin/env bash
# Wine has XInput and no pad: korvada.exe loads xinput1_4.dll from the system
# folder at its start, plays, and ends by the keys with exit code 0 and no
# error box. (The import list stays without XInput: imports.sh.)
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 800x600
answer_boxes

start_wine "$data_dir" -all,+loaddll "$KORVADA_EXE" 0TYAY
wait_wine_window
sleep 1
game_running || fail "korvada.exe ended by itself"
# Esc ends the round; held past the end screen's 1.6 s it closes the game.
xdotool keydown Escape
sleep 2.2
xdotool keyup Escape
wait_exit
grep -a -i 'Loaded L".*system32\\\\xinput1_4.dll"' "$WORK/stderr" ||
  fail "xinput1_4.dll was not loaded from the system folder"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE, expected 0"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
note "exit $EXIT_CODE"
