#!/usr/bin/env bash
# The launch code's resolution exactly, or the refusal, on a 1024x768 screen
# (Xvfb: its one mode is its size). "0TYAY" (800x600) gives the box and exit
# 2 without a game window; "3TYAY" plays over the whole screen, and after
# minimising and coming back covers the whole screen again, never the 800x600
# window the game has on the desktop. SIGHUP and SIGQUIT end it as SIGINT and
# SIGTERM do: the normal end (which gives the desktop its mode back), exit 0.
# With no window manager to answer, "3TYAY" is refused too.
#   display_modes.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
e2e_setup "$1" "$2" 1024x768
screen_size=$(size_code 1024x768)TYAY

# refused CODE WHAT: CODE ends with the box, its message on stderr and exit 2.
refused() {
    start_game "$1" "" SDL_AUDIODRIVER=dummy
    dismiss_boxes 1
    wait_exit
    [ "$EXIT_CODE" = 2 ] || fail "$2: exit code $EXIT_CODE, expected 2"
    grep -qxF "Nelze změnit nastavení obrazovky!" "$WORK/stderr" || fail "$2: the message is not on stderr"
}

refused 0TYAY "800x600 on a 1024x768 screen"
xdotool search --onlyvisible --name '^Korvada$' >/dev/null 2>&1 && fail "800x600: a game window is visible"
note "800x600 on a 1024x768 screen: the box, exit 2"

start_game "$screen_size" "" SDL_AUDIODRIVER=dummy
wait_game_window
[ "$(window_geometry)" = 1024x768+0+0 ] || fail "1024x768: the window is at $(window_geometry), not over the screen"
shot_scene playing || fail "1024x768 shows no scene (lit share $LIT)"
note "1024x768 plays: window $(window_geometry)"

xdotool windowminimize "$GAME_WINDOW"
sleep 0.5
game_running || fail "the game ended when minimised"
xdotool windowmap "$GAME_WINDOW" 2>/dev/null
wait_game_window
[ "$(window_geometry)" = 1024x768+0+0 ] || fail "restored, the window is at $(window_geometry), not over the screen"
shot_scene restored || fail "restored, no scene over the screen (lit share $LIT)"
note "minimised and restored: window $(window_geometry)"

for signal in HUP QUIT INT; do
    [ "$signal" = HUP ] || { start_game "$screen_size" "" SDL_AUDIODRIVER=dummy; wait_game_window; }
    kill -"$signal" "$GAME_PID"
    wait_exit
    [ "$EXIT_CODE" = 0 ] || fail "SIG$signal: exit code $EXIT_CODE, expected 0 (the normal end)"
    note "SIG$signal: the normal end, exit 0"
done

# A window manager that never answers (here none at all once openbox has
# left) leaves the window where it was made, 800x600 at (10, 10): after its
# bounded wait the game refuses, never a picture in a corner.
wm_check=$(xprop -root _NET_SUPPORTING_WM_CHECK | awk '{print $NF}')
openbox --exit
wait_until "$X_WAIT" eval '! xwininfo -id "$wm_check" >/dev/null 2>&1' || fail "openbox did not leave"
refused "$screen_size" "no window manager"
note "no window manager: the box, exit 2"
note "ok"
