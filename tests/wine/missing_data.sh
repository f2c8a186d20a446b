#!/usr/bin/env bash
# Without its pictures the game shows "Soubor nelze otevřít!" once for each of
# the six and still runs: Esc and Space end it with exit code 0. It runs from a
# folder whose name has blanks, so the program's quoted path must be skipped
# as a whole to find the launch code. The game beside its data, started from
# a folder with a stray air.bmp, finds its data.
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 800x600
answer_boxes

folder="$WORK/no data here"
mkdir -p "$folder"
cp "$KORVADA_EXE" "$folder/"
start_wine "$folder" -all,trace+msgbox "$folder/korvada.exe" 0TYAY

wait_wine_window
texts=$(box_texts)
echo "boxes:"
echo "$texts"
[ "$(echo "$texts" | grep -cx 'Soubor nelze otevřít!')" = 6 ] || fail "expected six 'Soubor nelze otevřít!' boxes"
[ "$(echo "$texts" | wc -l)" = 6 ] || fail "expected no other box"

sleep 0.5
game_running || fail "the game ended after the boxes"
end_round space
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE, expected 0"
echo "exit $EXIT_CODE"

# The game in its own folder with its data, started from a folder without it
# (a command prompt elsewhere) that holds a stray air.bmp, no data folder: it
# finds its pictures, no box.
stray="$WORK/stray picture"
mkdir -p "$stray"
cp "$data_dir/air.bmp" "$stray/"
start_wine "$stray" -all,trace+msgbox "$KORVADA_EXE" 0TYAY
wait_wine_window
sleep 0.5
texts=$(box_texts)
[ -z "$texts" ] || fail "started from another folder, the game showed: $texts"
end_round space
[ "$EXIT_CODE" = 0 ] || fail "started from another folder: exit $EXIT_CODE, expected 0"
echo "started from another folder: no box, exit $EXIT_CODE"
