#!/usr/bin/env bash
# Alt+Enter and F11 during a round, on an X server that really switches
# modes (1024x768, 800x600 among its modes): "0TYAY" full screen (the screen
# at 800x600) goes to a decorated 800x600 window with the desktop's 1024x768
# back, and back to full screen in 800x600 over the whole screen, the round
# going on from where it stood each time (never started again, the switch's
# time not played). On the end screen the chord's Enter, even let go after
# Alt, does not close the game. A window whose size the screen cannot switch
# to ("5TYAY", 1280x1024) stays a window: a line on stderr, the round plays
# on, the normal end.
#   fullscreen_toggle.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
e2e_setup "$1" "$2" 1024x768 xorg-dummy

# x_decorated SIZE: GAME_WINDOW a window of SIZE with a title bar.
x_decorated() {
    [[ "$(xprop -id "$GAME_WINDOW" _NET_FRAME_EXTENTS 2>/dev/null)" =~ =\ [0-9]+,\ [0-9]+,\ [1-9][0-9]*, ]] &&
        [ "$(window_geometry | cut -d+ -f1)" = "$1" ]
}
x_full_screen() { [ "$(screen_mode)" = 800x600 ] && [ "$(window_geometry)" = 800x600+0+0 ]; }

# toggled KEYS WHAT CHECK...: KEYS pressed (xdotool's arguments), then CHECK
# must hold, and the round goes on from the height it had.
toggled() {
    local keys=$1 what=$2 before started back took
    shift 2
    before=$(player_height)
    started=$(date +%s.%N)
    # shellcheck disable=SC2086
    xdotool $keys
    wait_until "$X_WAIT" "$@" || fail "$what: screen $(screen_mode), window $(window_geometry)"
    wait_game_window
    back=$(player_height)
    took=$(seconds_since "$started")
    note "$what: screen $(screen_mode), window $(window_geometry); height $before, then $back ${took} s later"
    fell_at_most "$before" "$back" "$took" || fail "$what: the round did not go on from $before: $back within $took s"
}

start_game 0TYAY "" SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1
wait_until "$X_WAIT" x_height_signal_caught_or_ended
wait_game_window
wait_until "$X_WAIT" x_full_screen || fail "the start: screen $(screen_mode), window $(window_geometry)"

toggled "key alt+Return" "Alt+Enter to a window" eval 'x_screen_at 1024x768 && x_decorated 800x600'
toggled "key F11" "F11 to full screen" x_full_screen
toggled "key alt+KP_Enter" "Alt+keypad Enter to a window" eval 'x_screen_at 1024x768 && x_decorated 800x600'
moving=$(player_height)
sleep 1
above "$moving" "$(player_height)" || fail "the round does not play in the window: height $moving, then $(player_height)"
toggled "key alt+Return" "Alt+Enter to full screen" x_full_screen

# The end screen reads Enter once it has shown for 1.6 s. The chord's Enter
# held on after Alt is let go repeats (key repeat on for it: 660 ms, then 25 a
# second), and those repeats come without Alt.
xdotool key Escape
sleep 2
xset r on
xdotool keydown alt keydown Return keyup alt
sleep 1.5
xdotool keyup Return
xset r off
wait_until "$X_WAIT" eval 'x_screen_at 1024x768 && x_decorated 800x600' || fail "the end screen did not go to a window"
sleep 1
game_running || fail "Alt+Enter closed the end screen"
xdotool key alt+Return
wait_until "$X_WAIT" x_full_screen || fail "the end screen did not go back to full screen"
note "the end screen survives Alt+Enter both ways"
end_game space
wait_screen_mode 1024x768 || fail "after the end the screen stays at $(screen_mode)"

start_game "--window 5TYAY" "" SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1
wait_until "$X_WAIT" x_height_signal_caught_or_ended
wait_game_window
toggled "key F11" "F11 to a refused full screen" eval 'grep -q "refused full screen" "$WORK/stderr"'
x_screen_at 1024x768 && x_decorated 1280x1024 || fail "refused: screen $(screen_mode), window $(window_geometry)"
grep "refused" "$WORK/stderr"
end_game Escape
note "ok"
