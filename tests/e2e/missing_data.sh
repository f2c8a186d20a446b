#!/usr/bin/env bash
# Started from an empty folder: one error box per picture, in load order, each
# closed by Enter; the game then runs without its pictures and ends normally.
#   missing_data.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
e2e_setup "$1" "$2"
mkdir "$WORK/empty"

start_game 0TYAY "$WORK/empty" SDL_AUDIODRIVER=dummy
dismiss_boxes 6
wait_game_window
count=$(grep -cxF "Soubor nelze otevřít!" "$WORK/stderr")
[ "$count" = 6 ] || fail "expected six 'Soubor nelze otevřít!' on stderr, found $count"
note "six picture errors on stderr, each box closed"

# Still running frames: busy on the CPU, and its window answers keys.
busy=$(cpu_share "$GAME_PID" 2)
note "CPU while running: $busy %"
[ "$busy" -ge "$X_BUSY" ] || fail "the game is not running frames ($busy % CPU)"
end_game Return
note "ok"
