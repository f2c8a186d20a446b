#!/usr/bin/env bash
# High DPI: with Wine's LogPixels at 192 (Windows' 200 %), the game in a
# window takes the code's size in the desktop's units, 1600 x 1200 pixels for
# 800 x 600, and draws at the window's own pixels (DPI-aware by its
# manifest: its viewport is the whole client area, not a smaller picture
# stretched); the settings dialog is laid out at the same scale, about twice
# its size at 96 DPI, its texts whole (its screenshots stay in the work folder
# to be looked at).
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 2560x1600
answer_boxes

# set_dpi DPI: what Wine takes as every monitor's DPI, for programs started
# from now on (in a prefix of this test's own: the others play at 96).
fresh_prefix
set_dpi() {
  timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null ||
    fail "cannot set LogPixels"
  timeout 60 wineserver -k
}

# dialog_size: the settings dialog's size at the current DPI, WxH; its
# screenshot in dialog-DPI.png.
dialog_size() {
  LANG=C.UTF-8 start_wine "$data_dir" -all "$data_dir/KorvadaSetup.exe"
  wait_wine_window "Korvada – settings"
  sleep 1
  import -window "$WINDOW" "png:$WORK/dialog-$1.png"
  xwininfo -id "$WINDOW" | awk '/^ *Width/ {w = $NF} /^ *Height/ {h = $NF} END {print w "x" h}'
  xdotool key Escape
  wait_exit
  [ "$EXIT_CODE" = 0 ] || fail "KorvadaSetup.exe ended with $EXIT_CODE"
}

set_dpi 96
normal=$(dialog_size 96)
set_dpi 192
scaled=$(dialog_size 192)
note "the dialog: $normal at 96 DPI, $scaled at 192 DPI"
awk -v a="$normal" -v b="$scaled" 'BEGIN { split(a, n, "x"); split(b, s, "x")
    exit !(s[1] >= 1.7 * n[1] && s[1] <= 2.1 * n[1] && s[2] >= 1.7 * n[2] && s[2] <= 2.1 * n[2]) }' ||
  fail "the dialog is $scaled at 192 DPI against $normal at 96"

start_traced_game --window 0TYAY
wait_wine_window
GAME_WINDOW=$WINDOW
wait_until "$X_WAIT" frames_past 2 || fail "no frames drawn"
size=$(window_geometry)
note "window $size, viewport $(last_viewport)"
[ "${size%%+*}" = 1600x1200 ] || fail "the window is $size at 192 DPI, not 1600x1200"
[ "$(last_viewport)" = "0 0 1600 1200" ] || fail "the game draws into $(last_viewport), not the whole 1600x1200"
# Shots until the frame shows: a busy machine shows it a while after drawing it.
x_filled() { client_shot scene && LIT=$(lit scene "$CX" "$CY" 1600 1200) && above "$LIT" 0.9; }
wait_until "$X_WAIT" x_filled || fail "the picture does not fill the window: lit $LIT"
close_with key --window "$GAME_WINDOW" alt+F4
[ "$EXIT_CODE" = 0 ] || fail "closing the window: exit code $EXIT_CODE, expected 0"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
note "ok"
