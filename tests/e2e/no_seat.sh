#!/usr/bin/env bash
# A Wayland compositor without a seat (weston's headless backend: no keyboard,
# no pointer), where SDL 2's wayland driver would crash as it starts. With
# Xwayland both programs take X11: the game's round plays in its window and a
# signal ends it with exit code 0; the setup's dialog shows. Without X11 the
# game refuses, saying why, with exit code 2, and the setup still prints the
# code Play would use.
#   no_seat.sh KORVADA DATA_DIR KORVADA_SETUP
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
KORVADA=$1
DATA=$2
SETUP=$3
harness_begin
export XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data

start_display weston-headless wl-no-seat-x xwayland
start_game() { start_program "$DATA" env SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1 "$KORVADA" "$@"; }
start_game --window 0TYAY
wait_window Korvada
wait_until "$X_WAIT" x_height_signal_caught_or_ended
first=$(player_height)
sleep 1
later=$(player_height)
note "with Xwayland: the game's X window, height $first, a second later $later"
awk -v a="$first" -v b="$later" 'BEGIN {exit !(b < a)}' || fail "the round does not play"
kill -TERM "$GAME_PID"
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "with Xwayland: exit code $EXIT_CODE after SIGTERM, expected 0"

# GTK's own windows on X11 too, so that the dialog can be seen; the setup
# still asks SDL for the screen's modes with WAYLAND_DISPLAY set.
start_program "$WORK" env GDK_BACKEND=x11 LANGUAGE=en "$SETUP"
wait_window "Korvada – settings"
kill -TERM "$GAME_PID"
wait_exit

start_display weston-headless wl-no-seat
start_game --window 0TYAY
wait_exit
[ "$EXIT_CODE" = 2 ] || fail "without X11: exit code $EXIT_CODE, expected 2 ($(cat "$WORK/stderr"))"
grep -q "no seat" "$WORK/stderr" || fail "without X11 the game does not say why: $(cat "$WORK/stderr")"
note "without X11: $(grep "no seat" "$WORK/stderr")"
printed=$("$SETUP" --print 2>"$WORK/stderr") || fail "without X11: korvada-setup --print failed ($(cat "$WORK/stderr"))"
[ "$printed" = 0TYAY ] || fail "without X11: korvada-setup --print says '$printed'"
note "ok"
