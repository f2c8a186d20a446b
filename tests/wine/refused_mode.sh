#!/usr/bin/env bash
# On a 1280x1024 screen that cannot switch to 800x600 the game shows
# "Nelze změnit nastavení obrazovky!" once and ends with exit code 2.
source "$(dirname "$0")/wine_harness.sh"
start_display 1280x1024
start_watchdog

run_game "$data_dir" 60 -all,trace+msgbox 0TYAY
rc=$(wait_exit 60)
texts=$(box_texts)
echo "boxes: $texts"
[ "$texts" = "Nelze změnit nastavení obrazovky!" ] || fail "boxes '$texts', expected the display box once"
[ "$rc" = 2 ] || fail "exit $rc, expected 2"
echo "exit $rc"
