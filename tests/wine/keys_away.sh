#!/usr/bin/env bash
# Arrows held while the player switches away are let go with the focus: their
# key-ups go to the other window. In korvada.exe --window the bottle starts
# at the left (x -60), at rest. Right goes down, then Left, which cancels it
# exactly: the bottle holds its speed, however long a loaded machine takes
# over the switch (a bottle steered one way meanwhile crossed the box and
# came back off the wall before the focus left). The focus goes to another
# window, both arrows are let go there, and the focus comes back. Then Left
# is held: with Right let go the bottle turns left at once; Right still held
# would cancel Left exactly, and the bottle would never run left. The walls
# stay out of it: their push turns into speed by the frame's time, and a
# loaded machine's long frames throw a bottle near a wall to and fro as no
# key does. So the switch must come while the bottle is still far from the
# wall; should it get too near first, Left takes it back and the player
# switches again. One bottle, so that no other knocks it about.
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 1024x768
answer_boxes

# The player's bottle's speed along x in the last frame drawn (its lean).
bottle_vx() { awk '/^lean/ { v = $2 } END { print v }' "$WORK/view.log"; }

# turned_or_walled LINE: the frames traced after LINE, read as the bottle's x
# (its camera) and speed along x (its lean): "turned X VX" once it runs left,
# "walled X VX" once it has reached the right wall first; nothing before.
turned_or_walled() {
  awk -v from="$1" 'NR <= from { next }
    /^camera/ { x = -$2 }
    /^lean/ {
      if (x >= 80) { print "walled", x, $2; exit }
      if ($2 < 0) { print "turned", x, $2; exit }
    }' "$WORK/view.log"
}
turned_or_walled_yet() { [ -n "$(turned_or_walled "$1")" ]; }

# How far right the bottle may be as the focus goes, for Left to turn it
# before the wall whatever a frame's length.
kFarthest=30
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
left_of() { below "$(bottle_x)" "$1"; }
# back_in_game: the focus to the game, and the round going on again. Only
# then are keys sure to reach it: openbox names the window active a moment
# before Wine has made it Windows' active window, and a key pressed between
# the two goes to no window at all.
moved_from() { [ "$(drawn_height)" != "$1" ]; }
back_in_game() {
  local held
  held=$(settled_height caught_up_height)
  focus_window "$GAME_WINDOW"
  wait_until "$X_WAIT" moved_from "$held" || fail "the round did not go on with the focus back: height $held"
}

start_traced_game --window 0TYBY
wait_wine_window
GAME_WINDOW=$WINDOW
wait_until "$X_WAIT" frames_past 2 || fail "no frames drawn"
# The other window is there first, so that the switch takes a moment only.
xmessage -geometry +0+0 away 2>/dev/null &
track $!
wait_focused_window xmessage
AWAY=$WINDOW
back_in_game

deadline=$((SECONDS + 4 * X_WAIT))
while :; do
  xdotool keydown Right keydown Left
  focus_window "$AWAY"
  xdotool keyup Right keyup Left
  away=$(settled_height caught_up_x)
  away_vx=$(bottle_vx)
  note "Right and Left let go away from the game, the bottle at x $away, running at $away_vx"
  back=$(wc -l <"$WORK/view.log")
  back_in_game
  xdotool keydown Left
  wait_until "$X_WAIT" turned_or_walled_yet "$back" || fail "Left held, the bottle neither turned nor reached the wall (Right still held?): x $(bottle_x), running at $(bottle_vx)"
  outcome=$(turned_or_walled "$back")
  # The attempt tells when the bottle was not already running left as the
  # focus left (a slow switch may let it reach the wall and come back), and
  # it then turned, or reached the wall from where Left would have turned it.
  if ! below "$away_vx" 0 && { [ "${outcome%% *}" = turned ] || ! below "$kFarthest" "$away"; }; then
    xdotool keyup Left
    break
  fi
  [ "$SECONDS" -lt "$deadline" ] || fail "no switch came while the bottle ran right and far enough from the wall"
  note "the switch came late ($outcome); Left takes the bottle back"
  wait_until "$X_WAIT" left_of -40 || fail "Left did not take the bottle back: x $(bottle_x)"
  xdotool keyup Left
done
[ "${outcome%% *}" = turned ] || fail "$outcome: Right let go away from the game still steers the bottle"
note "back: Left turned the bottle, $outcome"

end_round space
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE, expected 0"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
note "ok"
