#!/usr/bin/env bash
# A game with no data of its own beside it (installed or in the build tree),
# started from an empty folder: one error box per picture, in load order, each
# closed by Enter, and stderr names each file missing; the game then runs
# without its pictures and ends normally. The build's game, beside its data,
# started from a folder holding only a stray air.bmp finds its data: no box,
# the scene drawn.
#   missing_data.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
e2e_setup "$1" "$2"
mkdir "$WORK/empty" "$WORK/lone"
BUILT=$KORVADA
KORVADA=$WORK/lone/korvada
cp "$BUILT" "$KORVADA"

start_game 0TYAY "$WORK/empty" SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1
dismiss_boxes 6
wait_game_window
count=$(grep -cxF "Soubor nelze otevřít!" "$WORK/stderr")
[ "$count" = 6 ] || fail "expected six 'Soubor nelze otevřít!' on stderr, found $count"
for picture in air flaska lahev2 oblaka tamrisol font; do
    grep -qxF "korvada: $WORK/empty/$picture.bmp: No such file or directory" "$WORK/stderr" ||
        fail "stderr does not name $picture.bmp: $(cat "$WORK/stderr")"
done
note "six picture errors on stderr, each naming its file, each box closed"

# Still running frames: the player's bottle falls, and the window answers keys.
wait_until "$X_WAIT" x_height_signal_caught_or_ended
first=$(player_height)
x_fell() { HEIGHT=$(player_height); above "$first" "$HEIGHT"; }
wait_until "$X_WAIT" x_fell || fail "the game is not running frames (height $first, then $HEIGHT)"
note "running: height $first, then $HEIGHT"
end_game Return

# Started from a folder with a stray picture of the game's (air.bmp alone),
# which is no data folder: the game reads its own.
KORVADA=$BUILT
mkdir "$WORK/stray"
cp "$DATA/air.bmp" "$WORK/stray/"
start_game 0TYAY "$WORK/stray" SDL_AUDIODRIVER=dummy
wait_game_window
[ -z "$(error_box)" ] || fail "beside its data: an error box is open ($(cat "$WORK/stderr"))"
shot_scene beside || fail "beside its data: the frame is mostly black (lit share $LIT)"
! grep -q "Soubor" "$WORK/stderr" || fail "beside its data: a picture was not found: $(cat "$WORK/stderr")"
[ "$(readlink "/proc/$GAME_PID/cwd")" = "$(cd "$DATA" && pwd -P)" ] || fail "the game does not read from $DATA"
end_game Return
note "ok"
