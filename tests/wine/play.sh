#!/usr/bin/env bash
# "0TYAY" on an 800x600 screen: the scene is drawn, the arrow keys move the
# player's bottle, Esc ends the round, Space before 1.6 s on the end screen is
# ignored and Space after it ends the game with exit code 0.
#
# The bottle's position is read from the camera, which follows it
# (start_traced_game).
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 800x600
answer_boxes

start_traced_game 0TYAY

# steer KEY SIGN: holds KEY down in the game window until the bottle has
# moved 15 units along x in the direction SIGN (1 or -1) from where it was,
# as a player holds a key until the bottle goes: on a busy machine the traced
# frames come slowly, and a bottle moving the other way first turns.
moved_by() { awk -v a="$1" -v b="$(bottle_x)" -v s="$2" 'BEGIN { exit !((b - a) * s > 15) }'; }
steer() {
  local from status=0
  from=$(bottle_x)
  xdotool keydown "$1"
  wait_until "$X_WAIT" moved_by "$from" "$2" || status=1
  xdotool keyup "$1"
  return "$status"
}

wait_wine_window
window=$WINDOW
wait_until "$X_WAIT" frames_past 4 || fail "no frames drawn"
sleep 0.5

scene_drawn || fail "the screenshot shows $COLOURS colours: no scene drawn"
echo "scene: $(frames) frames so far, $COLOURS colours on screen"

x0=$(bottle_x)
steer Right 1 || fail "Right did not move the bottle toward +x from $x0: $(bottle_x)"
x1=$(bottle_x)
steer Left -1 || fail "Left did not move the bottle toward -x from $x1: $(bottle_x)"
echo "bottle x: $x0, after Right $x1, after Left $(bottle_x)"

# Away and back: the window goes down to an icon and returns, and the game
# goes on drawing with the keys still reaching it.
xdotool windowminimize --sync "$window" 2>/dev/null || fail "cannot minimize the game window"
wait_until "$X_WAIT" eval '[ -z "$(find_window Korvada)" ]' || fail "the game window stays visible when minimized"
sleep 1
focus_window "$window"
back=$(frames)
wait_until "$X_WAIT" frames_past $((back + 5)) || fail "no frames drawn after coming back"
echo "away and back: frames go on ($back, then $(frames))"

# Esc ends the round; a Space held within the end screen's first 1.6 s does
# nothing. One xdotool run sends it 0.2 s after the Esc, so that a busy
# machine cannot start it late.
sent=$(date +%s%N)
xdotool key Escape sleep 0.2 keydown space sleep 0.3 keyup space
released=$((($(date +%s%N) - sent) / 1000000))
sleep 0.5
playing=$(frames)
sleep 0.5
if [ "$released" -lt 900 ]; then
  game_running || fail "Space $released ms into the end screen ended the game"
else
  echo "(Space released only $released ms after the Esc: too late to judge the lock)"
fi
game_running || exit 0
[ "$(frames)" = "$playing" ] || fail "the round went on after Esc"
sleep 0.7
xdotool keydown space
wait_exit
xdotool keyup space
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE, expected 0"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
echo "exit $EXIT_CODE"
