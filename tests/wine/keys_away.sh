#!/usr/bin/env bash
# An arrow held while the player switches away is let go with the focus: its
# key-up goes to the other window. Right held in korvada.exe --window until
# the bottle runs right, then the focus to another window, Right let go
# there, and the focus back: with no arrow held the bottle runs on into the
# right wall, which throws it back across the box. An arrow still held would
# drive it right again as soon as it is back inside, and keep it at that wall.
# One bottle, so that no other knocks it about.
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 1024x768
answer_boxes

right_of() { awk -v x="$(bottle_x)" -v at="$1" 'BEGIN { exit !(x > at) }'; }

# after_the_wall LINE: the frames traced after LINE of the trace, read as the
# bottle's x (its camera) and speed along x (its lean). Prints "crossed" once
# the bottle is left of -40, "drift X VX" when, thrown back inside by the
# right wall, it runs right again: only a held Right does that. Prints
# nothing while neither has happened.
after_the_wall() {
  awk -v from="$1" 'NR <= from { next }
    /^camera/ { x = -$2 }
    /^lean/ {
      if (x > 80) thrown = 1
      else if (thrown && $2 > 10) { print "drift", x, $2; exit }
      if (x < -40) { print "crossed"; exit }
    }' "$WORK/view.log"
}
crossed_or_drifted() { [ -n "$(after_the_wall "$1")" ]; }

start_traced_game --window 0TYBY
wait_wine_window
GAME_WINDOW=$WINDOW
wait_until "$X_WAIT" frames_past 2 || fail "no frames drawn"
xdotool keydown Right
wait_until "$X_WAIT" right_of 0 || fail "Right held did not move the bottle right: x $(bottle_x)"

xmessage -geometry +0+0 away 2>/dev/null &
track $!
wait_focused_window xmessage
xdotool keyup Right
note "Right let go away from the game, the bottle at x $(settled_height caught_up_x)"

trace_caught_up
back=$(wc -l <"$WORK/view.log")
focus_window "$GAME_WINDOW"
wait_until "$X_WAIT" crossed_or_drifted "$back" || fail "the bottle did not come back from the right wall: x $(bottle_x)"
outcome=$(after_the_wall "$back")
[ "$outcome" = crossed ] || fail "$outcome: Right let go away from the game still steers the bottle"
note "back: the bottle came off the right wall to x $(bottle_x)"

end_round space
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE, expected 0"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
note "ok"
