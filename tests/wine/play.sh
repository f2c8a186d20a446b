#!/usr/bin/env bash
# "0TYAY" on an 800x600 screen: the scene is drawn, the arrow keys move the
# player's bottle, Esc ends the round, Space before 1.6 s on the end screen is
# ignored and Space after it ends the game with exit code 0.
#
# The bottle's position is read from the camera, which follows it: Wine's
# OpenGL trace shows the frame's translation right after the camera's
# 90-degree turn, and its x is minus the bottle's x.
source "$(dirname "$0")/wine_harness.sh"
start_display 800x600 wm
start_watchdog

(
  cd "$data_dir"
  WINEDEBUG=-all,trace+opengl timeout 90 wine "$KORVADA_EXE" 0TYAY 2>&1 >/dev/null |
    grep --line-buffered -a -A1 'glRotatef angle 90.000000, x 1.000000, y 0.000000, z 0.000000' |
    grep --line-buffered -a glTranslatef >"$work/camera.log"
  echo "${PIPESTATUS[0]}" >"$work/exit"
) &
pids+=($!)

frames() { [ -f "$work/camera.log" ] && wc -l <"$work/camera.log" || echo 0; }
bottle_x() { tail -1 "$work/camera.log" | sed -E 's/.*glTranslatef x (-?[0-9.]+),.*/\1/' | awk '{ print -$1 }'; }
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

wait_for game_window >/dev/null || fail "no visible window 'Korvada'"
window=$(game_window)
wait_for eval '[ "$(frames)" -ge 5 ]' || fail "no frames drawn"
# Keys go to the focused window, as a player's would; Wine takes a moment to
# see the focus arrive.
xdotool windowfocus --sync "$window" 2>/dev/null || fail "cannot focus the game window"
sleep 0.5

import -window root "png:$work/scene.png"
colours=$(convert "$work/scene.png" -format %k info:)
echo "scene: $(frames) frames so far, $colours colours on screen"
[ "$colours" -ge 200 ] || fail "the screenshot shows $colours colours: no scene drawn"

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
wait_for eval '[ -z "$(game_window)" ]' || fail "the game window stays visible when minimized"
sleep 1
xdotool windowactivate --sync "$window" 2>/dev/null || fail "cannot bring the game window back"
xdotool windowfocus --sync "$window" 2>/dev/null || fail "cannot focus the game window"
back=$(frames)
wait_for eval '[ "$(frames)" -gt $((back + 5)) ]' || fail "no frames drawn after coming back"
echo "away and back: frames go on ($back, then $(frames))"

xdotool key Escape 2>/dev/null
sleep 0.5
playing=$(frames)
hold space 0.3
sleep 0.5
running || fail "Space half a second into the end screen ended the game"
sleep 0.5
[ "$(frames)" = "$playing" ] || fail "the round went on after Esc"
sleep 0.7
hold space 0.3
rc=$(wait_exit 20)
[ "$rc" = 0 ] || fail "exit $rc, expected 0"
[ ! -s "$work/answered" ] || fail "an error box was shown"
echo "exit $rc"
