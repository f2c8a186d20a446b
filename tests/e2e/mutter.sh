#!/usr/bin/env bash
# On a Wayland desktop (headless mutter, 1920x1080, with Xwayland), with SDL's
# wayland driver and with its x11 driver: 0TYAY and 5TYAY start, the round
# plays (the player's bottle falls), and a termination signal ends the game
# with exit code 0. The signal ends the round for both drivers: xdotool's keys
# reach only X11 clients. Left to itself the game takes the wayland driver:
# no X window of its own. In a window (--window 0TYAY) under the wayland
# driver it has a title bar, which GNOME leaves to the program: libdecor's
# plugin draws it; no run says on stderr that a plugin is missing.
#   mutter.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
e2e_setup "$1" "$2" 1920x1080 mutter

for driver in default wayland x11; do
    # Headless mutter never completes Xwayland's synced swap: unsynced there.
    sync=
    [ "$driver" = x11 ] && sync=vblank_mode=0
    choice=SDL_VIDEODRIVER=$driver
    [ "$driver" = default ] && choice=
    for code in 0TYAY 5TYAY; do
        [ "$driver" = default ] && [ "$code" = 5TYAY ] && continue
        start_game "$code" "" $choice SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1 $sync
        wait_until "$X_WAIT" x_height_signal_caught_or_ended
        game_running || fail "$driver $code: the game ended at its start"
        wait_round_plays "$driver $code"
        # A second into the round an X window of its own would show.
        if [ "$driver" = default ]; then
            [ -z "$(find_window Korvada)" ] || fail "left to itself the game took X11, not the wayland driver"
        fi
        kill -TERM "$GAME_PID"
        wait_exit
        [ "$EXIT_CODE" = 0 ] || fail "$driver $code: exit code $EXIT_CODE after SIGTERM, expected 0"
        ! grep -q "No plugins found" "$WORK/stderr" || fail "$driver $code: $(cat "$WORK/stderr")"
    done
done

# The title bar: a sub-surface of the window's width that the plugin places
# above the picture, as the program's own Wayland requests show it.
start_game "--window 0TYAY" "" SDL_AUDIODRIVER=dummy WAYLAND_DEBUG=client
x_title_bar() { grep -qE 'wl_subsurface@[0-9]+\.set_position\(0, -[1-9][0-9]*\)' "$WORK/stderr"; }
wait_until "$X_WAIT" x_title_bar || fail "the window has no title bar: no frame above its picture"
bar=$(grep -m1 -oE 'wl_subsurface@[0-9]+\.set_position\(0, -[0-9]+\)' "$WORK/stderr")
bar_buffer=$(grep -m1 -oE 'create_buffer\(new id wl_buffer@[0-9]+, [0-9]+, 800, [1-9][0-9]?,' "$WORK/stderr")
[ -n "$bar_buffer" ] || fail "the frame above the picture is not the window's width"
kill -TERM "$GAME_PID"
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "--window 0TYAY: exit code $EXIT_CODE after SIGTERM, expected 0"
! grep -q "No plugins found" "$WORK/stderr" || fail "--window 0TYAY: no decoration plugin"
note "--window 0TYAY: the title bar at $bar, drawn into $bar_buffer ...)"
note "ok"
