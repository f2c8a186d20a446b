#!/usr/bin/env bash
# korvada-setup with a real korvada-board on a loopback port: an address
# refused is said, the board's typed; Today's round asks a ticket and starts the game with it; the round
# it leaves waiting goes to the board when the dialog comes back, which
# keeps it with its own count; the dialog's top ten lists it, and its Watch
# plays the round downloaded from the board. A board that stops answering:
# the next round stays waiting and the line says so; Today's round without
# a board to ask plays without a ticket.
#   setup_board.sh KORVADA_SETUP DATA_DIR KORVADA_BOARD
source "$(dirname "$0")/../x_harness.sh"
SETUP=$1
BOARD=$3
# A screen as large as the dialog with its board needs.
e2e_setup "$(dirname "$SETUP")/korvada" "$2" 1024x768
export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"
saved="$XDG_CONFIG_HOME/korvada/launch-code"
waiting="$XDG_DATA_HOME/korvada/waiting-rounds"
day=$(date -u +%F)

start_board "$BOARD" "$WORK/board" --no-web
origin=$BOARD_ORIGIN
note "the board at $origin"

game_child() { pgrep -P "$GAME_PID" -x korvada; }
command_line() { tr '\0' ' ' <"/proc/$(game_child)/cmdline"; }
said() { wait_until "$X_WAIT" grep -qF "korvada-setup: $1" "$WORK/stderr"; }
# end_round: Esc, then Space on the end screen ends the game; the dialog back.
end_round() {
    xdotool key Escape
    sleep 1.8
    xdotool keydown space
    local i
    for i in $(seq 40); do
        [ -z "$(game_child)" ] && break
        sleep 0.05
    done
    xdotool keyup space
    [ -z "$(game_child)" ] || fail "Space on the end screen did not end the game"
    wait_focused_window "Korvada – settings"
    sleep 0.3
}

start_program "$WORK" env LANGUAGE=en SDL_AUDIODRIVER=dummy "$SETUP"
wait_focused_window "Korvada – settings"
sleep 0.3
xdotool key alt+n
xdotool type Jana
# An address the rule refuses is said and turns nothing on; the field keeps
# the focus to mend it.
xdotool key alt+a
xdotool type "ftp://127.0.0.1"
xdotool key Return
said "the board's address is refused: " || fail "a refused address was not said: $(cat "$WORK/stderr")"
xdotool key ctrl+a
xdotool type "${origin#http://}"
xdotool key Return
sleep 0.5
xdotool key alt+t
wait_game_window
round=$(command_line)
[[ "$round" =~ ^"$KORVADA --daily --name Jana --ticket "[A-Za-z0-9_-]+" "[0-9][HT][A-Z~]{3}" "$ ]] || fail "Today's round ran '$round'"
note "Today's round ran '$round'"
end_round
said "Sent to the board: 0 bubbles." || fail "the round was not sent: $(cat "$WORK/stderr")"
[ -z "$(ls "$waiting")" ] || fail "the round still waits: $(ls "$waiting")"
grep -qxF "board $origin" "$saved" && grep -qE '^secret [A-Za-z0-9_-]{43}$' "$saved" ||
  fail "the board and its secret are not kept: $(cat "$saved")"
json=$(curl -sS "$origin/api/days/$day")
id=$(python3 -c 'import json,sys; r=json.loads(sys.argv[1])["rounds"]; assert [(x["name"], x["bubbles"]) for x in r] == [("Jana", 0)], r; print(r[0]["id"])' "$json") ||
  fail "the board's day is not the round sent: $json"
note "the board keeps $id for the day: $json"

# The top ten lists it; its first row's Watch, clicked where this dialog
# lays it on a 1024 × 768 screen.
sleep 1
shot board-dialog
dialog=$(find_window "Korvada – settings")
xdotool mousemove --window "$dialog" 755 349 click 1
wait_game_window
watched=$(command_line)
[[ "$watched" =~ ^"$KORVADA --watch "(/[^ ]*korvada-board-[^ ]*\.kvr)" "[0-9][HT][A-Z~]{3}" "$ ]] || fail "Watch ran '$watched'"
file=${BASH_REMATCH[1]}
curl -sS "$origin/api/rounds/$id.kvr" -o "$WORK/from-board.kvr"
cmp "$file" "$WORK/from-board.kvr" || fail "the watched file is not the board's recording"
note "Watch ran '$watched', the board's recording"
end_round
[ ! -e "$file" ] || fail "the downloaded round is left behind: $file"

# The board stops while a round is played: the round waits, and the line
# says it once.
xdotool key alt+t
wait_game_window
[[ "$(command_line)" == *" --ticket "* ]] || fail "the second round has no ticket: $(command_line)"
kill "$BOARD_PID"
wait "$BOARD_PID" 2>/dev/null
end_round
said "The board does not answer (" || fail "a board away was not said: $(cat "$WORK/stderr")"
[ "$(ls "$waiting" | wc -l)" = 1 ] || fail "the round sent to no board does not wait: $(ls "$waiting")"
[ "$(grep -cF 'The board does not answer (' "$WORK/stderr")" = 1 ] || fail "a board away was said more than once"
note "with the board away the round waits: $(ls "$waiting")"

# No board to ask: the round plays without a ticket, and the line says so.
xdotool key alt+t
wait_game_window
round=$(command_line)
[[ "$round" =~ ^"$KORVADA --daily --name Jana "[0-9][HT][A-Z~]{3}" "$ ]] || fail "Today's round without a ticket ran '$round'"
end_round
said "The board gave no ticket (" || fail "no ticket was not said: $(cat "$WORK/stderr")"
shot board-away
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "Esc: exit code $EXIT_CODE, expected 0"
if [ -n "${KORVADA_SETUP_SHOTS:-}" ]; then
    mkdir -p "$KORVADA_SETUP_SHOTS"
    for picture in board-dialog board-away; do convert "$WORK/$picture.ppm" "$KORVADA_SETUP_SHOTS/$picture.png"; done
fi
note "ok"
