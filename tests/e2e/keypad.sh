#!/usr/bin/env bash
# The keypad's arrows with NumLock off (as X starts) steer as the arrows do:
# held, they move the player's bottle against the others and the picture
# changes a lot, where without keys it stands still.
#   keypad.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
e2e_setup "$1" "$2"
xset q | grep -q "Num Lock: *off" || fail "NumLock is on"

start_game 0TYAY "" SDL_AUDIODRIVER=dummy
wait_game_window
# change KEY: the picture's largest change while KEY is held 0.4 s ("none": no key).
change() {
    shot before
    if [ "$1" = none ]; then sleep 0.4; else xdotool keydown "$1"; sleep 0.4; xdotool keyup "$1"; fi
    shot after
    image diff "$WORK/before.ppm" "$WORK/after.ppm" | awk '{print $2}'
}
idle=$(change none)
right=$(change KP_Right)
left=$(change KP_Left)
note "largest change: no key $idle, keypad right $right, keypad left $left"
for moved in "$right" "$left"; do
    [ "$moved" -gt 40 ] && [ "$moved" -gt $((4 * idle)) ] ||
        fail "a keypad arrow did not move the bottle (change $moved, idle $idle)"
done
end_game space
note "ok"
