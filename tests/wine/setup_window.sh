#!/usr/bin/env bash
# KorvadaSetup.exe on a screen with none of the game's modes (1920 x 1080
# only): "Full screen" is off and cannot be ticked, the rows are offered in a
# window, and the dialog opens with the largest, 1280 x 1024. Enter saves
# "5TYAY window" and starts korvada.exe --window 5TYAY, an ordinary window of
# that size; when the round ends the dialog is back with Play focused, and
# Enter plays again. A game that ends with exit code 1 or 2 brings the dialog
# back with a line saying why (on stderr too).
source "$(dirname "$0")/wine_harness.sh"
setup="$data_dir/KorvadaSetup.exe"
start_display xvfb 1920x1080
answer_boxes
saved=$(saved_code_file)
rm -f "$saved"

# play_window_round: the game started by Play, in its window of 1280 x 1024,
# ended by Esc and Space; the dialog back with the focus.
play_window_round() {
  local pid
  wait_until "$X_WAIT" wine_started '\korvada.exe --window 5TYAY' || fail "Play did not start korvada.exe --window 5TYAY"
  pid=$(wine_pid '\korvada.exe --window 5TYAY')
  wait_wine_window
  GAME_WINDOW=$WINDOW
  [ "$(window_geometry | cut -d+ -f1)" = 1280x1024 ] || fail "the game's window is $(window_geometry)"
  [ "$(screen_mode)" = 1920x1080 ] || fail "the screen's mode changed to $(screen_mode)"
  end_round space "$pid"
  [ "$EXIT_CODE" = ended ] || fail "the game did not end"
  dialog_back "Korvada – settings"
}

LANG=C.UTF-8 start_wine "$data_dir" -all "$setup"
wait_wine_window "Korvada – settings"
sleep 1
import -window "$WINDOW" "png:$WORK/window-rows.png"
# Space would tick "Full screen" if it could be: it must stay a window.
xdotool key alt+f space Return
play_window_round
[ "$(cat "$saved" 2>/dev/null | tr -d '\r')" = "5TYAY window" ] || fail "saved '$(cat "$saved" 2>/dev/null)'"
note "saved '$(cat "$saved")', played in a window"
xdotool key Return
play_window_round
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "Esc: KorvadaSetup.exe ended with $EXIT_CODE"
note "Enter played again; Esc closed the dialog"

# A game that fails: the setup beside a stand-in korvada.exe that ends with
# the exit code it is given.
failing="$WORK/failing"
mkdir -p "$failing"
cp "$setup" "$failing/"
printf '#include <stdlib.h>\nint main(void) { return atoi(getenv("KORVADA_TEST_EXIT")); }\n' |
  x86_64-w64-mingw32-gcc -mwindows -x c - -o "$failing/korvada.exe" || fail "cannot build the stand-in game"
for code in 1 2; do
  KORVADA_TEST_EXIT=$code LANG=C.UTF-8 start_wine "$failing" -all "$failing/KorvadaSetup.exe"
  wait_wine_window "Korvada – settings"
  sleep 0.5
  xdotool key Return
  wait_until "$X_WAIT" grep -q "exit code $code" "$WORK/stderr" || fail "after exit $code the setup says '$(cat "$WORK/stderr")'"
  dialog_back "Korvada – settings"
  import -window "$WINDOW" "png:$WORK/failed-$code.png"
  xdotool key Escape
  wait_exit
  [ "$EXIT_CODE" = 0 ] || fail "KorvadaSetup.exe ended with $EXIT_CODE"
  note "exit $code: $(grep 'exit code' "$WORK/stderr")"
done
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
note "ok"
