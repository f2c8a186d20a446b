#!/usr/bin/env bash
# KorvadaSetup.exe and korvada.exe with a pad alone. XInput is a stand-in
# (xinput_stand_in.dll in place of the prefix's xinput1_4.dll, in a prefix of
# the test's own) whose one pad
# holds what the test writes. On an 800 x 600 screen: up makes 5 bottles,
# right chooses the second 800 x 600, A plays 2TYFY; in the game B ends the
# round and, held, leaves the end screen; the dialog comes back and the B
# still held does not close it; the round's catch is kept for 5 bottles
# beside the best kept for 4; Start plays again, and B closes the dialog.
source "$(dirname "$0")/wine_harness.sh"
setup="$data_dir/KorvadaSetup.exe"
stand_in="$data_dir/xinput_stand_in.dll"
[ -f "$stand_in" ] || fail "$stand_in is missing: build it with cmake --build --preset win64"
start_display xvfb 800x600
answer_boxes

# The stand-in in place of the XInput of a prefix of this test's own (its
# system32 files are links to every lane's: the link goes, not the file).
fresh_prefix
cp --remove-destination "$stand_in" "$WINEPREFIX/drive_c/windows/system32/xinput1_4.dll"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;xinput1_4=n" KORVADA_PAD_STATE="Z:$WORK/pad"
A=0x1000 B=0x2000 START=0x0010 UP=0x0001 RIGHT=0x0008
# hold BUTTONS: the pad holds them from now on.
hold() { echo "$1" >"$WORK/pad.new" && mv "$WORK/pad.new" "$WORK/pad"; }
# tap BUTTONS: pressed and let go, once the dialog has read both.
serial=0
x_tapped() { [ "$(cat "$WORK/pad.KorvadaSetup.exe" 2>/dev/null)" = "$serial" ]; }
tap() {
  serial=$((serial + 1))
  hold "$1 $serial"
  wait_until "$X_WAIT" x_tapped || fail "the dialog did not read the tap of $1"
}
hold 0

saved=$(saved_code_file)
catches="$(dirname "$saved")/best-catches.txt"
rm -f "$saved"
mkdir -p "$(dirname "$catches")"
printf 'korvada best catches\n4 3 2026-12-01\n' >"$catches"

# round CODE: the game the pad started draws; B ends its round and, held,
# closes it; the dialog comes back, and the B held does not close it.
# The game is found by its window first: a scan of every process's command
# line takes long on a loaded machine, once is enough.
round() {
  local pid
  wait_window Korvada
  wait_until "$X_WAIT" scene_drawn || fail "korvada.exe $1 draws no scene ($COLOURS colours)"
  pid=$(wine_pid '\korvada.exe '"$1")
  [ -n "$pid" ] || fail "the game the pad started is not korvada.exe $1"
  hold "$B"
  wait_until "$X_WAIT" test ! -d "/proc/$pid" || fail "B held did not end the round and the game"
  dialog_back "Korvada – settings"
  sleep 1
  game_running || fail "the B held from the game closed the dialog"
  # Let go, and wait until the dialog has read it: a B pressed again before
  # its next read would still count as the one held since the game.
  tap 0
}

LANG=C.UTF-8 start_wine "$data_dir" -all "$setup"
wait_window "Korvada – settings"
sleep 1
import -window root "png:$WORK/dialog-start.png"
tap "$UP"
tap "$RIGHT"
import -window root "png:$WORK/dialog-chosen.png"
hold "$A"
round 2TYFY
[ "$(cat "$saved" | tr -d '\r')" = 2TYFY ] || fail "saved '$(cat "$saved")', expected 2TYFY"
# Whatever the round caught before B ended it (a slow machine's round may
# catch a bubble first): the first round with 5 bottles is kept.
[[ "$(cat "$catches")" =~ ^korvada\ best\ catches$'\n'4\ 3\ 2026-12-01$'\n'5\ [0-9]+\ $(date +%F)$ ]] ||
  fail "the best catches after the round: $(cat "$catches")"
import -window root "png:$WORK/dialog-back.png"
note "A played 2TYFY; B ended it; the dialog is back with the round's catch kept"
tap "$START"
round 2TYFY
hold "$B"
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "B: KorvadaSetup.exe ended with $EXIT_CODE"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
note "Start played again; B closed the dialog"
