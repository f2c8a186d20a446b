#!/usr/bin/env bash
# A screen that has none of the game's modes (1920 × 1080 only): the setup
# offers its rows in a window, opening with the largest, 1280 × 1024; --print
# and Enter in the dialog give `korvada --window 5TYAY`. The dialog carries
# the class "korvada" (the desktop entry's StartupWMClass) and the game's icon. A round that fails brings the dialog back
# saying why, on stderr too.
#   setup_window.sh KORVADA_SETUP DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
SETUP=$1
e2e_setup "$(dirname "$SETUP")/korvada" "$2" 1920x1080
export XDG_CONFIG_HOME="$WORK/config" LANGUAGE=en SDL_AUDIODRIVER=dummy
saved="$XDG_CONFIG_HOME/korvada/launch-code"

printed=$("$SETUP" --print) || fail "--print failed"
[ "$printed" = "--window 5TYAY" ] || fail "--print on a 1920 × 1080 screen: '$printed', expected '--window 5TYAY'"

# start_setup PROGRAM: the dialog, GAME_PID the setup's, its window focused.
start_setup() {
    (cd "$WORK" && exec "$1") 2>"$WORK/stderr" >"$WORK/stdout" &
    GAME_PID=$!
    wait_focused_window "Korvada – settings"
    sleep 0.3
}
game_child() { pgrep -P "$GAME_PID" -x korvada; }
wm_class() { xprop -id "$1" -notype WM_CLASS | sed 's/^WM_CLASS = //'; }

start_setup "$SETUP"
shot window-rows
[ "$(wm_class "$WINDOW")" = '"korvada", "korvada"' ] || fail "the dialog's class is $(wm_class "$WINDOW")"
# GTK sets the icon a moment after the window shows, later on a busy machine.
# Its sizes are the build tree's pictures (16 to 256), or those GTK picks
# from the icon theme where the game is also installed (32 and 64).
has_icon() { xprop -id "$1" _NET_WM_ICON 2>/dev/null | grep -q "Icon ([0-9]* x [0-9]*)"; }
wait_until "$X_WAIT" has_icon "$WINDOW" || fail "the dialog has no icon of its own"
xdotool key Return
for i in $(seq 100); do
    [ -n "$(game_child)" ] && break
    sleep 0.05
done
child=$(game_child)
[ -n "$child" ] || fail "Enter started no game"
cmdline=$(tr '\0' ' ' <"/proc/$child/cmdline")
[ "$cmdline" = "$KORVADA --window 5TYAY " ] || fail "Enter ran '$cmdline', expected '$KORVADA --window 5TYAY'"
[ "$(cat "$saved")" = "5TYAY window" ] || fail "saved '$(cat "$saved")'"
note "Enter ran '$cmdline', saved '$(cat "$saved")'"
# However this round goes (the game's own window mode is not there yet, so it
# is refused full screen), its end brings the dialog back.
sleep 0.5
kill -TERM "$child"
wait_focused_window "Korvada – settings"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "Esc: exit code $EXIT_CODE"
note "the dialog back after the game ended"

# A game that fails: the dialog back, with why in a line (and on stderr).
mkdir -p "$WORK/failing"
cp "$SETUP" "$WORK/failing/"
ln -s "$DATA" "$WORK/failing/data"
printf '#!/bin/sh\nexit $KORVADA_TEST_EXIT\n' >"$WORK/failing/korvada"
chmod +x "$WORK/failing/korvada"
for code in 1 2; do
    export KORVADA_TEST_EXIT=$code
    start_setup "$WORK/failing/korvada-setup"
    xdotool key Return
    sleep 0.5
    wait_focused_window "Korvada – settings"
    grep -q "exit code $code" "$WORK/stderr" || fail "after exit $code the setup says '$(cat "$WORK/stderr")'"
    shot "failed-$code"
    xdotool key Escape
    wait_exit
    note "exit $code: $(cat "$WORK/stderr")"
done
note "ok"
