#!/usr/bin/env bash
# The keypad's arrows with NumLock off (as X starts) steer as the arrows do:
# held, they move the player's bottle against the others and the picture
# changes a lot, where without keys it stands still.
#   keypad.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
e2e_setup "$1" "$2"
xset q | grep -q "Num Lock: *off" || fail "NumLock is on"

start_game 0TYAY "" SDL_AUDIODRIVER=dummy
started=$(date +%s%N)
wait_game_window
# The picture's largest change over 0.4 s without keys, from the first drawn
# frame on; then, with a keypad arrow held, from 0.4 s on until it changes
# much more (a busy machine draws late).
shot_scene before || fail "no scene (lit share $LIT)"
sleep 0.4
shot after
idle=$(image diff "$WORK/before.ppm" "$WORK/after.ppm" | awk '{print $2}')
if [ $((($(date +%s%N) - started) / 1000000)) -gt 3300 ]; then
    note "(too slow a start for the still comparison: the others may have begun to steer)"
    idle=0
fi
moved_much() {
    shot after
    moved=$(image diff "$WORK/before.ppm" "$WORK/after.ppm" | awk '{print $2}')
    [ "$moved" -gt 40 ] && [ "$moved" -gt $((4 * idle)) ]
}
for key in KP_Right KP_Left; do
    shot before
    xdotool keydown "$key"
    sleep 0.4
    wait_until "$X_WAIT" moved_much || fail "$key did not move the bottle (change $moved, idle $idle)"
    xdotool keyup "$key"
    note "largest change: no key $idle, $key $moved"
done
end_game space
note "ok"
