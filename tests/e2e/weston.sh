#!/usr/bin/env bash
# On weston (a 1920x1080 Wayland desktop with Xwayland), whose own screenshot
# shows what the player sees, codes of sizes the output does not have:
# - 0TYAY with the driver the game picks itself (wayland in a Wayland session)
#   and 5TYAY with SDL's wayland driver: the compositor scales the picture
#   over the whole output. Another window taking the focus holds the round
#   still beneath it; once that window goes, the round plays on from where it
#   was, full screen again (P holds the round while only the picture is
#   looked at). 5TYAY's end screen shows its score in the colours
#   drawn: the window is opaque.
# - 0TYAY with SDL's x11 driver: weston's X window manager makes the window
#   the output's size whatever mode Xwayland emulates, so the game refuses
#   ("Nelze změnit nastavení obrazovky!", exit 2): a black screen under the
#   box, never the 800x600 picture in a corner.
# - Alt+Enter makes the full-screen 0TYAY a window (the desktop beside it
#   bare), F11 full screen again, over the whole output.
#   weston.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
KORVADA=$1
DATA=$2
[ -x "$KORVADA" ] || fail "no program at $KORVADA"
harness_begin
start_display weston
weston_shot desktop

# x_still: two answers a second apart give one height (HEIGHT).
x_still() {
    HEIGHT=$(player_height)
    sleep 1
    [ "$(player_height)" = "$HEIGHT" ]
}
x_moved_from() { [ "$(player_height)" != "$1" ]; }

# The keys reach weston through its X11 output window, on the outer display.
x_outer_key() { DISPLAY=":$(head -n1 "$WORK/display")" xdotool key "$1"; }
# pause_round 1|0: P, and the game tells that it is paused, or not. The
# round, under a minute of falling, is held while only the picture is looked
# at: on a loaded machine each look takes tens of seconds, and a round that
# ended under them shows the dark end screen, which covers nothing lit.
x_paused() {
    player_height >/dev/null && awk -v want="$1" '/^height/ {for (i = 3; i < NF; i += 2) if ($i == "paused") v = $(i + 1)}
        END {exit v != want}' "$WORK/stdout"
}
pause_round() {
    x_outer_key p
    wait_until "$X_WAIT" x_paused "$1" || fail "P: the game does not tell paused $1"
}

start_game 0TYAY "" SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1
wait_until "$X_WAIT" x_height_signal_caught_or_ended
wait_round_plays default
pause_round 1
wait_weston_covered default

# x_windowed: the bottom right quarter shows the desktop's grey, not the
# fields' green and brown.
x_windowed() {
    weston_shot windowed
    image stats "$WORK/windowed.ppm" 240 135 240 135 | awk '{exit !($4 > 0.9 && $1 - $3 < 15 && $3 - $1 < 15)}'
}
x_outer_key alt+Return
wait_until "$X_WAIT" x_windowed || fail "Alt+Enter: no window, the desktop is covered"
x_outer_key F11
wait_weston_covered toggled-back
note "Alt+Enter: a window, the desktop beside it; F11: the output covered again"
pause_round 0

# weston-flower, a Wayland client, takes the focus when it maps.
env -u DISPLAY weston-flower >/dev/null 2>&1 &
OTHER=$!
track $OTHER
wait_until "$X_WAIT" x_still || fail "the round did not hold still under another window"
held=$HEIGHT
sleep 2
[ "$(player_height)" = "$held" ] || fail "the round moved without the focus: $held, then $(player_height)"
kill "$OTHER"
started=$(date +%s.%N)
wait_until "$X_WAIT" x_moved_from "$held" || fail "the round did not go on once the other window went"
back=$(player_height)
took=$(seconds_since "$started")
note "height $held without the focus, $back ${took} s after its return"
fell_at_most "$held" "$back" "$took" || fail "the return played the time away: from $held to $back within $took s"
pause_round 1
wait_weston_covered back
kill -TERM "$GAME_PID"
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "default driver: exit code $EXIT_CODE after SIGTERM, expected 0"

start_game 5TYAY "" SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1
wait_weston_covered wayland-5TYAY
# After other windows came and went, weston may give the new window the
# keyboard a moment after its picture covers the output: an Esc before that
# was lost, and the round ran to its own end a minute later, just inside the
# wait. The round plays only with the focus: its falling says Esc is read.
wait_round_plays wayland-5TYAY
# The end screen stands still: its score, at the bottom right, is drawn
# blue-white over black. A surface that reaches the compositor with alpha
# below 1, or that the driver blends into wrongly, shows it olive or grey.
x_outer_key Escape
x_digits_blue() {
    weston_shot end-5TYAY
    DIGITS=$(image stats "$WORK/end-5TYAY.ppm" 415 230 64 32)
    echo "$DIGITS" | awk '{exit !($3 > $1 + 20 && $3 > $2 + 20)}'
}
wait_until "$X_WAIT" x_digits_blue || fail "wayland: the end screen's digits are not blue (mean colour, lit share: $DIGITS)"
note "wayland: the end screen's digits (mean colour, lit share) $DIGITS"
kill -TERM "$GAME_PID"
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "wayland 5TYAY: exit code $EXIT_CODE after SIGTERM, expected 0"

start_game 0TYAY "" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
x_box_shown() { BOX=$(error_box); [ -n "$BOX" ] || { game_running || fail "x11: the game ended without its box"; false; }; }
wait_until "$X_WAIT" x_box_shown || fail "x11: no refusal within $X_WAIT s"
weston_shot refused
# The window's top-left and bottom-left corners, 800x600 each.
corners="0 0 200 150  0 120 200 150"
# shellcheck disable=SC2086
lit=$(image stats "$WORK/refused.ppm" $corners | awk '{print $4}')
echo "$lit" | awk '!($1 < 0.5) {bad = 1} END {exit bad}' ||
    fail "x11: the picture shows in a corner (the corners' lit shares: ${lit//$'\n'/ })"
x_box_gone() { close_box "$BOX"; sleep 0.2; ! game_running || [ -z "$(error_box)" ]; }
wait_until "$X_WAIT" x_box_gone || fail "x11: the box would not close"
wait_exit
[ "$EXIT_CODE" = 2 ] || fail "x11: exit code $EXIT_CODE after the refusal, expected 2"
grep -q "Nelze změnit nastavení obrazovky!" "$WORK/stderr" || fail "x11: the refusal is not on stderr"
note "ok"
