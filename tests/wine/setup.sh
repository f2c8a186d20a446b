#!/usr/bin/env bash
# KorvadaSetup.exe on an 800x600 screen: the dialog shows with the rows the
# screen cannot switch to disabled; keyboard choices and Enter save the code
# in %APPDATA%\Korvada\launch-code.txt and start korvada.exe with it, which
# draws the scene. When the game ends the dialog is back with the focus on
# Play: Watch best plays that round's recording, kept with its catch, back
# (korvada.exe --watch FILE CODE), keeping nothing; Enter plays again; a
# damaged recording is refused on the dialog's line; Esc closes it. Then the dialog in Czech opens with
# the saved code, and Esc closes it without starting or saving anything.
# A refused name is said on the line; Today's round plays the day's round
# under the name typed; Save round… copies a row's recording where the player says.
source "$(dirname "$0")/wine_harness.sh"
setup="$data_dir/KorvadaSetup.exe"
[ -f "$setup" ] || fail "$setup is missing"
start_display xvfb 800x600
answer_boxes

saved=$(saved_code_file)
appdata=$(dirname "$saved")
# The lane's prefix outlives the test: the first round is a new best.
rm -f "$saved" "$appdata"/best-*
LANG=C.UTF-8 start_wine "$data_dir" -all "$setup"
wait_wine_window "Korvada – settings"
sleep 1
import -window root "png:$WORK/dialog-en.png"
# Down: from 800 x 600 past the disabled 640 x 480 to the second 800 x 600;
# then by Tab past Full screen and arrow 16 bits, by mnemonics blending off,
# 12 bottles and sound off, and Enter.
for key in Down Tab Tab Left alt+l alt+b; do xdotool key "$key"; sleep 0.2; done
xdotool type 12
xdotool key alt+s
sleep 0.2
import -window root "png:$WORK/dialog-chosen.png"
xdotool key Return
wait_until "$X_WAIT" game_started 2HNMN || fail "korvada.exe 2HNMN was not started"
[ "$(cat "$saved" 2>/dev/null)" = 2HNMN ] || fail "saved code '$(cat "$saved" 2>/dev/null)', expected 2HNMN"
echo "saved: $(cat "$saved")"
pid=$(game_pid 2HNMN)
echo "game: $(tr '\0' ' ' </proc/"$pid"/cmdline) in $(readlink /proc/"$pid"/cwd)"
[ "$(readlink /proc/"$pid"/cwd)" = "$(cd "$data_dir" && pwd -P)" ] || fail "the game does not run in the setup's folder"
wait_window Korvada
# Full screen, the first picture comes after the mode switch: a loaded
# machine takes seconds for it.
wait_until "$X_WAIT" scene_drawn || fail "the game's screen shows $COLOURS colours: no scene"
play_round_from_setup 2HNMN
dialog_back "Korvada – settings"
echo "the dialog is back"
cp "$appdata/best-round-12.kvr" "$WORK/kept.kvr" || fail "the new best kept no recording"
cp "$appdata/best-catches.txt" "$WORK/kept-catches.txt"
import -window root "png:$WORK/dialog-watch.png"
xdotool key alt+w
play_round_from_setup "--watch "
echo "Watch best: $ROUND"
grep -qF 'Korvada\best-round-12.kvr 2HNMN' <<<"$ROUND" || fail "Watch best ran another recording"
cmp -s "$appdata/best-round-12.kvr" "$WORK/kept.kvr" && cmp -s "$appdata/best-catches.txt" "$WORK/kept-catches.txt" ||
  fail "watching changed what is kept"
dialog_back "Korvada – settings"
# A better row of an earlier day with a name, and its recording: the best now.
printf '12 9 2026-12-01 3 Jana Nováková\r\n' >>"$appdata/best-catches.txt"
cp "$WORK/kept.kvr" "$appdata/best-round-12-3.kvr"
# Play has the focus: Enter plays the same choice again.
xdotool key Return
play_round_from_setup 2HNMN
dialog_back "Korvada – settings"
# The list: the named row first, then the two rounds of today, the second
# with a recording of its own.
rows=$(grep -c '^12 ' "$appdata/best-catches.txt")
[ "$rows" = 3 ] || fail "the table holds $rows rows for 12 bottles: $(tr '\r' '~' <"$appdata/best-catches.txt")"
[ -f "$appdata/best-round-12-1.kvr" ] || fail "the second round kept no recording of its own"
sleep 0.5
import -window root "png:$WORK/dialog-ten.png"
# The best row's recording, its checksum's last byte turned over: Watch best
# reads the best row's own.
perl -e 'open(F, "+<", $ARGV[0]) or die; seek(F, -1, 2); read(F, $b, 1); seek(F, -1, 2); print F chr(ord($b) ^ 0xFF)' \
  "$appdata/best-round-12-3.kvr"
xdotool key alt+w
refused() { grep -aq '^KorvadaSetup: .*best-round-12-3.kvr: damaged: its checksum does not match' "$WORK/stderr"; }
wait_until "$X_WAIT" refused || fail "the damaged recording was not refused"
sleep 0.5
import -window root "png:$WORK/dialog-refused.png"
[ -z "$(game_pid --watch)" ] || fail "the damaged recording was played"
echo "a damaged recording: $(grep -a '^KorvadaSetup: .*damaged' "$WORK/stderr" | tr -d '\r')"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "KorvadaSetup.exe ended with $EXIT_CODE"
echo "Enter played again; Esc closed the dialog"

# The dialog again, in Czech when the system has the Czech locale (Wine takes
# its language from it). It opens with the saved code; however often Down is
# pressed, no resolution above the screen's is chosen.
language=C.UTF-8 title="Korvada – settings"
if locale -a 2>/dev/null | grep -qix 'cs_CZ.utf8'; then
  language=cs_CZ.UTF-8 title="Korvada – nastavení"
else
  echo "!!! no cs_CZ.UTF-8 locale: the Czech dialog is NOT tested under Wine"
fi
# A running wineserver keeps the language it started with.
timeout 60 wineserver -k
LANG=$language start_wine "$data_dir" -all "$setup"
wait_wine_window "$title"
sleep 1
import -window root "png:$WORK/dialog-again.png"
for key in Down Down Down Down Down; do xdotool key "$key"; sleep 0.2; done
xdotool key Return
wait_until "$X_WAIT" game_started "" || fail "no game started"
code=$(cat "$saved")
case "$code" in
  [02]HNMN) echo "after Down x5: $code" ;;
  *) fail "after Down x5 the code is '$code', expected 0HNMN or 2HNMN" ;;
esac
play_round_from_setup "$code"
dialog_back "$title"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "KorvadaSetup.exe ended with $EXIT_CODE"

# Esc closes the dialog: no game, nothing saved.
LANG=C.UTF-8 start_wine "$data_dir" -all "$setup"
wait_wine_window "Korvada – settings"
sleep 0.5
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "Esc: KorvadaSetup.exe ended with $EXIT_CODE"
sleep 1
[ -z "$(game_pid '')" ] || fail "Esc started the game"
[ "$(cat "$saved")" = "$code" ] || fail "Esc changed the saved code"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
echo "Esc: closed, nothing started or saved"

# A name the rule refuses is said on the line, plays nothing and is not
# kept; a good one plays today's round under it and is kept with the code.
LANG=C.UTF-8 start_wine "$data_dir" -all "$setup"
wait_wine_window "Korvada – settings"
sleep 0.5
xdotool key alt+n
xdotool type ' Eva'
xdotool key Return
name_refused() { grep -aq "^KorvadaSetup: the name is refused: The name cannot be used: a name does not begin with a space" "$WORK/stderr"; }
wait_until "$X_WAIT" name_refused || fail "the refused name was not said: $(cat "$WORK/stderr")"
sleep 0.5
[ -z "$(game_pid '')" ] || fail "a refused name started the game"
[ "$(cat "$saved")" = "$code" ] || fail "a refused name changed the saved choice: $(cat "$saved")"
import -window root "png:$WORK/dialog-name-refused.png"
echo "a refused name: $(grep -a '^KorvadaSetup: the name is refused' "$WORK/stderr" | tr -d '\r')"
# The refusal gave the field the focus with its text chosen: typing replaces it.
xdotool type 'Eva K'
sleep 0.3
import -window root "png:$WORK/dialog-named.png"
xdotool key alt+t
play_round_from_setup "--daily "
echo "Today's round: $ROUND"
grep -qF -- "--daily --name Eva K $code" <<<"$ROUND" || fail "Today's round ran '$ROUND'"
[ "$(cat "$saved")" = "$code"$'\nname Eva K' ] || fail "the name was not kept with the code: '$(cat "$saved")'"
day=$(date -u +%F)
tr -d '\r' <"$appdata/best-catches.txt" | grep -qxF "day $day 0 Eva K" ||
  fail "today's round left no day's row: $(tr '\r' '~' <"$appdata/best-catches.txt")"
LC_ALL=C grep -qaF 'Eva K' "$appdata/best-round-day-$day.kvr" || fail "today's recording carries no name"
dialog_back "Korvada – settings"
sleep 0.5
import -window root "png:$WORK/dialog-today.png"
# Save round… of the 8 bottles' one row, today's round's: a copy of its
# recording where the player says, which plays to the row's score.
xdotool key alt+b ctrl+a
xdotool type 8
sleep 0.3
rm -f "$WORK/saved-round.kvr"
xdotool key alt+v
wait_wine_window "Save round…"
sleep 0.5
xdotool type "$(winepath -w "$WORK/saved-round.kvr" 2>/dev/null)"
xdotool key Return
round_saved() { grep -aq "^KorvadaSetup: the round is saved: .*saved-round.kvr" "$WORK/stderr"; }
wait_until "$X_WAIT" round_saved || fail "Save round said nothing: $(tr -d '\r' <"$WORK/stderr" | tail -n 5)"
cmp -s "$WORK/saved-round.kvr" "$appdata/best-round-8.kvr" || fail "the saved round is not the row's"
score=$("$KORVADA_REPLAY" --recording "$WORK/saved-round.kvr" | awk '$1 == "bottle" && $2 == 0 { s = $11 } END { print s }')
[ "$score" = 0 ] || fail "the saved round plays to $score bubbles, the row says 0"
echo "Save round: $(grep -a '^KorvadaSetup: the round is saved' "$WORK/stderr" | tr -d '\r'), playing to $score bubbles"
dialog_back "Korvada – settings"
import -window root "png:$WORK/dialog-saved.png"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "KorvadaSetup.exe ended with $EXIT_CODE"
echo "Today's round played under the name, kept with the code and in the day's row"

# The pictures for a look, when asked for.
if [ -n "${KORVADA_SETUP_SHOTS:-}" ]; then
  mkdir -p "$KORVADA_SETUP_SHOTS"
  for picture in dialog-en dialog-watch dialog-refused dialog-ten dialog-name-refused dialog-named dialog-today dialog-saved; do cp "$WORK/$picture.png" "$KORVADA_SETUP_SHOTS/wine-$picture.png"; done
fi
