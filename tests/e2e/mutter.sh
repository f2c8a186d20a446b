#!/usr/bin/env bash
# On a Wayland desktop (headless mutter, 1920x1080, with Xwayland), with SDL's
# wayland driver and with its x11 driver: 0TYAY and 5TYAY start, the round
# plays (the player's bottle falls), and a termination signal ends the game
# with exit code 0. The signal ends the round for both drivers: xdotool's keys
# reach only X11 clients. Left to itself the game takes the wayland driver:
# no X window of its own.
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
        first=$(player_height)
        sleep 1
        game_running || fail "$driver $code: the game ended a second into its round"
        later=$(player_height)
        note "$driver $code: height $first, a second later $later"
        awk -v a="$first" -v b="$later" 'BEGIN {exit !(b < a)}' || fail "$driver $code: the round does not play"
        # A second into the round an X window of its own would show.
        if [ "$driver" = default ]; then
            [ -z "$(find_window Korvada)" ] || fail "left to itself the game took X11, not the wayland driver"
        fi
        kill -TERM "$GAME_PID"
        wait_exit
        [ "$EXIT_CODE" = 0 ] || fail "$driver $code: exit code $EXIT_CODE after SIGTERM, expected 0"
    done
done
note "ok"
