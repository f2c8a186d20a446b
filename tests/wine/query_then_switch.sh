#!/usr/bin/env bash
# Asking for the desktop's registry mode fails (there is none) and then the
# switch fails too (1024x768 on an 800x600 screen): each failure shows its
# own box, the query's first, and the game ends with exit code 2.
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 800x600
forget_registry_mode
answer_boxes

start_wine "$data_dir" -all,trace+msgbox "$KORVADA_EXE" "$(size_code 1024x768)TYAY"
wait_exit
texts=$(box_texts)
echo "boxes: $texts"
expected=$'Chyba při zjišťování parametrů obrazovky!\nNelze změnit nastavení obrazovky!'
[ "$texts" = "$expected" ] || fail "boxes '$texts', expected the query's box, then the switch's"
[ "$EXIT_CODE" = 2 ] || fail "exit $EXIT_CODE, expected 2"
echo "exit $EXIT_CODE"
