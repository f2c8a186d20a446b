#!/usr/bin/env bash
# On an X server that really switches modes (1024x768, 800x600 among its
# modes, nothing larger): "0TYAY" plays with the screen at 800x600 and the
# window over all of it; away, the desktop has 1024x768 again; back, the game
# has its mode and the whole screen again; and after every end a handler can
# catch (the end screen, the window manager's close, SIGINT, SIGTERM, SIGHUP,
# SIGQUIT) the screen is at 1024x768 again. A mode the screen lacks is
# refused with the box and exit 2, the screen left as it was.
#   mode_switch.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
e2e_setup "$1" "$2" 1024x768 xorg-dummy
[ "$(screen_mode)" = 1024x768 ] || fail "the screen starts at $(screen_mode), expected 1024x768"

# play_switched: starts 0TYAY and checks the game's mode and window.
play_switched() {
    start_game 0TYAY "" SDL_AUDIODRIVER=dummy
    wait_game_window
    wait_screen_mode 800x600 || fail "playing, the screen is at $(screen_mode), expected 800x600"
    [ "$(window_geometry)" = 800x600+0+0 ] || fail "playing, the window is at $(window_geometry), expected 800x600+0+0"
}

# ended_on_desktop HOW: the game has ended with exit 0 and the screen is back at 1024x768.
ended_on_desktop() {
    [ "$EXIT_CODE" = 0 ] || fail "$1: exit code $EXIT_CODE, expected 0"
    wait_screen_mode 1024x768 || fail "after $1 the screen stays at $(screen_mode)"
    note "$1: exit 0, the screen at 1024x768 again"
}

play_switched
shot_scene playing 0 0 800 600 || fail "the switched screen shows no scene (lit share $LIT)"
note "playing: screen 800x600, window $(window_geometry)"

xdotool windowminimize "$GAME_WINDOW"
wait_screen_mode 1024x768 || fail "minimised, the screen stays at $(screen_mode)"
note "away: screen $(screen_mode)"
bring_back_game
wait_screen_mode 800x600 || fail "back, the screen is at $(screen_mode), expected 800x600"
[ "$(window_geometry)" = 800x600+0+0 ] || fail "back, the window is at $(window_geometry), expected 800x600+0+0"
note "back: screen 800x600, window $(window_geometry)"
end_game space
ended_on_desktop "the end screen"

play_switched
close_with key alt+F4
ended_on_desktop "the window manager's close"

for signal in INT TERM HUP QUIT; do
    play_switched
    kill -"$signal" "$GAME_PID"
    wait_exit
    ended_on_desktop "SIG$signal"
done

start_game "$(size_code 1280x1024)TYAY" "" SDL_AUDIODRIVER=dummy
dismiss_boxes 1
wait_exit
[ "$EXIT_CODE" = 2 ] || fail "1280x1024 on this screen: exit code $EXIT_CODE, expected 2"
grep -qxF "Nelze změnit nastavení obrazovky!" "$WORK/stderr" || fail "1280x1024: the message is not on stderr"
[ "$(screen_mode)" = 1024x768 ] || fail "after the refusal the screen is at $(screen_mode)"
note "1280x1024 refused: the box, exit 2, the screen left at 1024x768"
note "ok"
