#!/usr/bin/env bash
# On a 1280x1024 screen that cannot switch to 800x600 the game shows
# "Nelze změnit nastavení obrazovky!" once and ends with exit code 2.
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 1280x1024
answer_boxes

start_wine "$data_dir" -all,trace+msgbox "$KORVADA_EXE" 0TYAY
wait_exit
texts=$(box_texts)
echo "boxes: $texts"
[ "$texts" = "Nelze změnit nastavení obrazovky!" ] || fail "boxes '$texts', expected the display box once"
[ "$EXIT_CODE" = 2 ] || fail "exit $EXIT_CODE, expected 2"
echo "exit $EXIT_CODE"
