#!/usr/bin/env bash
# The desktop mode cannot be given back at the normal end (the registry's
# mode, 1024x768, is one the 800x600 screen lacks): the game shows "Nelze
# změnit nastavení obrazovky!" once and ends with exit code 2; the window's
# destruction that follows does not turn it into 0.
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 800x600
set_registry_mode 800x600 1024x768
answer_boxes

start_wine "$data_dir" -all,trace+msgbox "$KORVADA_EXE" 0TYAY
wait_wine_window
sleep 1
game_running || fail "the game ended before its round"
[ -z "$(box_texts)" ] || fail "a box at the start: $(box_texts)"

end_round space
texts=$(box_texts)
echo "boxes: $texts"
[ "$texts" = "Nelze změnit nastavení obrazovky!" ] || fail "boxes '$texts', expected the display box once"
[ "$EXIT_CODE" = 2 ] || fail "exit $EXIT_CODE, expected 2"
echo "exit $EXIT_CODE"
