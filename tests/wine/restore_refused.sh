#!/usr/bin/env bash
# The desktop mode cannot be given back at the normal end (the registry's
# mode, 1024x768, is one the 800x600 screen lacks): the game shows "Nelze
# změnit nastavení obrazovky!" once and ends with exit code 2; the window's
# destruction that follows does not turn it into 0.
source "$(dirname "$0")/wine_harness.sh"
start_display 800x600 wm
set_registry_mode 800x600 1024x768
start_watchdog

run_game "$data_dir" 60 -all,trace+msgbox 0TYAY
wait_for game_window >/dev/null || fail "no visible window 'Korvada'"
window=$(game_window)
xdotool windowfocus --sync "$window" 2>/dev/null || fail "cannot focus the game window"
sleep 1
running || fail "the game ended before its round"
[ -z "$(box_texts)" ] || fail "a box at the start: $(box_texts)"

# Esc, then Space held once the end screen has shown for 1.6 s.
xdotool key Escape
sleep 2
xdotool keydown space
sleep 0.5
xdotool keyup space
rc=$(wait_exit 30)
texts=$(box_texts)
echo "boxes: $texts"
[ "$texts" = "Nelze změnit nastavení obrazovky!" ] || fail "boxes '$texts', expected the display box once"
[ "$rc" = 2 ] || fail "exit $rc, expected 2"
echo "exit $rc"
