#!/usr/bin/env bash
# KorvadaSetup.exe with a real korvada-board on a loopback port, as
# tests/e2e/setup_board.sh has korvada-setup: an address refused is said;
# Today's round asks a ticket (WinHTTP) and starts korvada.exe with it; the
# round the game leaves waiting goes to the board, which keeps it with its
# own count; the list's tab of the board's day shows it, and its Watch plays
# the round downloaded from the board. A board that stops answering: the
# next round stays waiting, and the line says so once.
source "$(dirname "$0")/wine_harness.sh"
: "${KORVADA_BOARD:?path of the Linux korvada-board}"
setup="$data_dir/KorvadaSetup.exe"
[ -f "$setup" ] || fail "$setup is missing"
start_display xvfb 800x600
answer_boxes

saved=$(saved_code_file)
appdata=$(dirname "$saved")
waiting="$appdata/waiting-rounds"
rm -rf "$saved" "$waiting"
day=$(date -u +%F)

start_board "$KORVADA_BOARD" "$WORK/board" --no-web
origin=$BOARD_ORIGIN
note "the board at $origin"

said() { tr -d '\r' <"$WORK/stderr" | grep -qF "KorvadaSetup: $1"; }
# play_and_end TEXT [WHILE]: the round the setup started, then its dialog back.
play_and_end() {
  play_round_from_setup "$@"
  dialog_back "Korvada – settings"
}

LANG=C.UTF-8 start_wine "$data_dir" -all "$setup"
wait_wine_window "Korvada – settings"
sleep 0.5
xdotool key alt+n
xdotool type Eva
# An address the rule refuses is said and plays nothing; the field keeps
# the focus to mend it.
xdotool key alt+a
xdotool type "ftp://127.0.0.1"
xdotool key alt+t
wait_until "$X_WAIT" said "the board's address is refused: " || fail "a refused address was not said: $(tr -d '\r' <"$WORK/stderr" | grep -a KorvadaSetup)"
[ -z "$(game_pid '')" ] || fail "a refused address started the game"
import -window root "png:$WORK/address-refused.png"
xdotool key ctrl+a
xdotool type "${origin#http://}"
xdotool key alt+t
play_and_end "--daily "
[[ "$ROUND" =~ "--daily --name Eva --ticket "[A-Za-z0-9_-]+" "[0-9][HT][A-Z~]{3}" "*$ ]] || fail "Today's round ran '$ROUND'"
note "Today's round ran '$ROUND'"
wait_until "$X_WAIT" said "Sent to the board: 0 bubbles." || fail "the round was not sent: $(tr -d '\r' <"$WORK/stderr" | grep -a KorvadaSetup)"
[ -z "$(ls "$waiting")" ] || fail "the round still waits: $(ls "$waiting")"
tr -d '\r' <"$saved" | grep -qxF "board $origin" && tr -d '\r' <"$saved" | grep -qE '^secret [A-Za-z0-9_-]{43}$' ||
  fail "the board and its secret are not kept: $(cat "$saved")"
json=$(curl -sS "$origin/api/days/$day")
id=$(python3 -c 'import json,sys; r=json.loads(sys.argv[1])["rounds"]; assert [(x["name"], x["bubbles"]) for x in r] == [("Eva", 0)], r; print(r[0]["id"])' "$json") ||
  fail "the board's day is not the round sent: $json"
note "the board keeps $id for the day"

# The list shows the board's day now; its first row's Watch reached as a
# player at the keyboard does, from Play past Close and the list's tabs.
sleep 1
import -window root "png:$WORK/board-day.png"
# On the way, the tabs' Left shows the ten best, and Right the board's day again.
for key in Tab Tab Left; do xdotool key "$key"; sleep 0.2; done
sleep 0.5
import -window root "png:$WORK/ten-best-tab.png"
for key in Right Tab space; do xdotool key "$key"; sleep 0.2; done
curl -sS "$origin/api/rounds/$id.kvr" -o "$WORK/from-board.kvr"
# watched_file: the file Watch plays is the board's recording.
watched_file() {
  [[ "$ROUND" =~ "--watch "(.*korvada-board-[0-9]+\.kvr)" "[0-9][HT][A-Z~]{3}" "*$ ]] || fail "Watch ran '$ROUND'"
  file=$(winepath -u "${BASH_REMATCH[1]}" 2>/dev/null)
  cmp "$file" "$WORK/from-board.kvr" || fail "the watched file is not the board's recording"
}
play_and_end "--watch " watched_file
note "Watch ran '$ROUND', the board's recording"
[ ! -e "$file" ] || fail "the downloaded round is left behind: $file"
said "the board's day: " && fail "the day's list was refused: $(tr -d '\r' <"$WORK/stderr" | grep -a "board's day")"

# The board stops while a round is played: the round waits, and the line
# says it once.
xdotool key alt+t
wait_until "$X_WAIT" game_started "--daily " || fail "the second round did not start"
[[ "$(tr '\0' ' ' </proc/"$(game_pid "--daily ")"/cmdline)" == *" --ticket "* ]] || fail "the second round has no ticket"
kill "$BOARD_PID"
wait "$BOARD_PID" 2>/dev/null
play_and_end "--daily "
wait_until "$X_WAIT" said "The board does not answer (" || fail "a board away was not said: $(tr -d '\r' <"$WORK/stderr" | grep -a KorvadaSetup)"
[ "$(ls "$waiting" | wc -l)" = 1 ] || fail "the round sent to no board does not wait: $(ls "$waiting")"
[ "$(tr -d '\r' <"$WORK/stderr" | grep -cF 'The board does not answer (')" = 1 ] || fail "a board away was said more than once"
note "with the board away the round waits: $(ls "$waiting")"
# Not for the lane's next test to send.
rm -rf "$waiting"
sleep 0.5
import -window root "png:$WORK/board-away.png"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "KorvadaSetup.exe ended with $EXIT_CODE"
note "ok"
