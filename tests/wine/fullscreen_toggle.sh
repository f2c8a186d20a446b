#!/usr/bin/env bash
# Alt+Enter and F11 during a round of korvada.exe, on an X server that really
# switches modes: full screen to a decorated window with the desktop's mode
# back and again, the round going on; the end screen survives the chord; a
# window the screen has no mode for stays a window (as e2e/fullscreen_toggle.sh);
# a game of the desktop's size goes back to full screen at no other size.
source "$(dirname "$0")/wine_harness.sh"
start_display xorg-dummy
answer_boxes

start_traced_game 0TYAY
wait_wine_window
GAME_WINDOW=$WINDOW
wait_until "$X_WAIT" frames_past 2 || fail "no frames drawn"
toggle_checks

# A game of the desktop's own size: back to full screen from the window, it
# passes through no other size. A size asked for on the way is one the window
# manager may answer after the last request, and Wine then takes that answer:
# a 1024x768 game once stayed drawn at 800x600 in the corner, end screen and
# all.
x_framed() { [[ "$(xprop -id "$GAME_WINDOW" _NET_FRAME_EXTENTS 2>/dev/null)" =~ =\ [0-9]+,\ [0-9]+,\ [1-9] ]]; }
x_viewed_in_window() { x_framed && [ "$(last_viewport)" != "0 0 1024 768" ]; }
x_over_screen() { [ "$(window_geometry)" = 1024x768+0+0 ] && [ "$(last_viewport)" = "0 0 1024 768" ]; }
desktop_size=$(size_code 1024x768)TYAY
start_traced_game "$desktop_size"
wait_wine_window
GAME_WINDOW=$WINDOW
wait_until "$X_WAIT" frames_past 2 || fail "no frames drawn"
xdotool key alt+Return
wait_until "$X_WAIT" x_viewed_in_window || fail "$desktop_size: Alt+Enter: window $(window_geometry), view $(last_viewport)"
mark=$(grep -c . "$WORK/view.log")
xdotool key alt+Return
wait_until "$X_WAIT" x_over_screen || fail "$desktop_size back: window $(window_geometry), view $(last_viewport)"
passed=$(tail -n +"$((mark + 1))" "$WORK/view.log" | grep '^viewport' | sort -u | grep -v '^viewport 0 0 1024 768$' || true)
[ -z "$passed" ] || fail "on its way back to full screen the view passed through $passed"
note "$desktop_size: back to full screen at 1024x768 directly"
end_round Escape
[ "$EXIT_CODE" = 0 ] || fail "$desktop_size: exit code $EXIT_CODE, expected 0"

start_wine "$data_dir" -all "$KORVADA_EXE" --window "$(size_code 1280x1024)TYAY"
wait_wine_window
GAME_WINDOW=$WINDOW
refused_toggle_checks
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
note "ok"
