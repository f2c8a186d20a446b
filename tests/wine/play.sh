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

# hold KEY SECONDS: holds a key down in the game window. The end screen reads
# the key table once a frame, so a press must last longer than a frame, as a
# player's does: a bare tap can come and go between two slow traced frames.
hold() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}
# moved A B MIN: B - A exceeds MIN.
moved() { awk -v a="$1" -v b="$2" -v m="$3" 'BEGIN { exit !(b - a > m) }'; }

wait_wine_window
window=$WINDOW
wait_until "$X_WAIT" frames_past 4 || fail "no frames drawn"
sleep 0.5

scene_drawn || fail "the screenshot shows $COLOURS colours: no scene drawn"
echo "scene: $(frames) frames so far, $COLOURS colours on screen"

x0=$(bottle_x)
hold Right 1
x1=$(bottle_x)
hold Left 1.2
x2=$(bottle_x)
echo "bottle x: $x0, after Right $x1, after Left $x2"
moved "$x0" "$x1" 15 || fail "Right did not move the bottle toward +x"
moved "$x2" "$x1" 15 || fail "Left did not move the bottle toward -x"

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
