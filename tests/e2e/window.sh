#!/usr/bin/env bash
# --window: an ordinary decorated window of the code's size, the screen's
# mode untouched; without the focus the round holds still with its picture
# shown and goes on when the focus comes back; a resized window shows the
# picture in the game's aspect between black bars; closing the window (the
# window manager's Alt+F4) ends the game with exit code 0.
#   window.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
e2e_setup "$1" "$2" 1024x768

# client_shot NAME: a screenshot; CX CY, the window's client area on it.
client_shot() {
    shot "$1"
    read -r CX CY <<<"$(xwininfo -id "$GAME_WINDOW" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')"
}
lit() { image stats "$WORK/$1.ppm" "$2" "$3" "$4" "$5" | awk '{print $4}'; }
above() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a > b)}'; }

start_game "--window 0TYAY" "" SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1
wait_game_window
size=$(window_geometry)
frame=$(xprop -id "$GAME_WINDOW" _NET_FRAME_EXTENTS)
note "window $size, $frame, screen $(screen_mode)"
[ "${size%%+*}" = 800x600 ] || fail "the window is $size, not 800x600"
[ "$(screen_mode)" = 1024x768 ] || fail "the screen's mode changed to $(screen_mode)"
[[ "$frame" =~ =\ [0-9]+,\ [0-9]+,\ [1-9][0-9]*, ]] || fail "the window has no title bar: $frame"

# The focus to another window for 3 s: the round holds still, not minimised.
xmessage -geometry +0+0 away 2>/dev/null &
track $!
wait_focused_window xmessage
sleep 0.3
held=$(player_height)
sleep 3
still=$(player_height)
[ "$held" = "$still" ] || fail "the round moved without the focus: $held, then $still"
xprop -id "$GAME_WINDOW" _NET_WM_STATE | grep -q HIDDEN && fail "the window was minimised"
client_shot away
above "$(lit away "$CX" "$CY" 800 600)" 0.9 || fail "the held window does not show its picture"

return_to_game "$held" "without the focus"

# Wider than 4:3, then taller: bars at the sides, then at the top and bottom.
# bars_and_picture NAME W H BAR1 BAR2 MIDDLE: the window resized, the lit
# share of two bar regions (none) and of the middle (all), each X Y W H
# relative to the client area.
bars_and_picture() {
    local name=$1 a b m
    xdotool windowsize "$GAME_WINDOW" "$2" "$3"
    sleep 1
    client_shot "$name"
    read -r x y w h <<<"$4"; a=$(lit "$name" $((CX + x)) $((CY + y)) "$w" "$h")
    read -r x y w h <<<"$5"; b=$(lit "$name" $((CX + x)) $((CY + y)) "$w" "$h")
    read -r x y w h <<<"$6"; m=$(lit "$name" $((CX + x)) $((CY + y)) "$w" "$h")
    note "$2x$3: bars lit $a and $b, the middle $m"
    above 0.01 "$a" && above 0.01 "$b" && above "$m" 0.9 || fail "no bars beside the picture in a $2x$3 window"
}
bars_and_picture wide 1000 500 "0 0 150 500" "850 0 150 500" "180 0 640 500"
bars_and_picture tall 500 600 "0 0 500 100" "0 500 500 100" "0 130 500 340"

xdotool key --window "$GAME_WINDOW" alt+F4
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "closing the window: exit code $EXIT_CODE, expected 0"
note "ok"
