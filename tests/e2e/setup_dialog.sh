#!/usr/bin/env bash
# korvada-setup's dialog on an 800 × 600 screen: it shows, with the rows the
# screen lacks not selectable; keyboard choices and Enter save the code and
# start the real game with it from the data folder. When the round ends the
# dialog is back with the focus on Play: Enter plays again, and after that
# round Esc closes it. Then the dialog in Czech opens with the saved code, and
# Esc closes it without starting anything. The table of best catches: a
# damaged one is said, kept aside and replaced by the first round's catch; a
# better best, there before the second round ends, stays. Watch best plays the
# first round's recording, kept with its catch, back in the game, keeping
# nothing. Save round… copies a row's recording where the player says. In Czech, a refused name is said and plays nothing; Today's round
# plays the day's round under the name typed, kept with the code.
#   setup_dialog.sh KORVADA_SETUP DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
SETUP=$1
e2e_setup "$(dirname "$SETUP")/korvada" "$2"
export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"
saved="$XDG_CONFIG_HOME/korvada/launch-code"
catches="$XDG_DATA_HOME/korvada/best-catches"
mkdir -p "$(dirname "$catches")"
echo "not a table" >"$catches"

# start_setup [ARG] [ENV=VALUE...]: the setup in the background; GAME_PID is
# the setup's (the dialog starts the game as its child).
start_setup() {
    local arg=${1:-}
    shift $(($# >= 1 ? 1 : 0))
    start_program "$WORK" env "$@" "$SETUP" $arg
}
wait_dialog() {
    wait_focused_window "$1"
    sleep 0.3
}
# The game the dialog started, its command line (NUL bytes as spaces).
game_child() { pgrep -P "$GAME_PID" -x korvada; }
command_line() { tr '\0' ' ' <"/proc/$(game_child)/cmdline"; }
# play_round KEY [TITLE]: the game's window shown, its command line in ROUND;
# then Esc, and KEY on the end screen ends the game and brings the focused
# dialog (titled TITLE, the English one by default) back.
play_round() {
    wait_game_window
    ROUND=$(command_line)
    xdotool key Escape
    sleep 1.8
    xdotool keydown "$1"
    local i
    for i in $(seq 40); do
        [ -z "$(game_child)" ] && break
        sleep 0.05
    done
    xdotool keyup "$1"
    [ -z "$(game_child)" ] || fail "$1 on the end screen did not end the game"
    wait_dialog "${2:-Korvada – settings}"
}
keys() {
    local key
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.1
    done
}

start_setup "" LANGUAGE=en SDL_AUDIODRIVER=dummy
wait_dialog "Korvada – settings"
shot dialog-en
# The dialog, light grey, fills the middle of the black screen.
read -r red green blue lit <<<"$(image stats "$WORK/dialog-en.ppm" 250 150 300 300)"
awk -v r="$red" 'BEGIN { exit !(r > 200) }' || fail "no dialog in the middle of the screen (mean red $red)"

# Down: from 800 × 600 past the 640 × 480 the screen lacks to the second
# 800 × 600; more Downs reach nothing larger. Then by Tab and arrow 16 bits,
# by mnemonics blending off, 12 bottles and sound off, and Enter.
keys Down Down Down Tab Tab Left alt+l alt+b ctrl+a
xdotool type 12
keys alt+s
shot dialog-chosen
xdotool key Return
wait_game_window
[ "$(command_line)" = "$KORVADA 2HNMN " ] || fail "the game runs as '$(command_line)', expected '$KORVADA 2HNMN'"
[ "$(readlink "/proc/$(game_child)/cwd")" = "$(cd "$DATA" && pwd -P)" ] || fail "the game does not run in the data folder"
[ "$(cat "$saved")" = 2HNMN ] || fail "saved '$(cat "$saved")', expected 2HNMN"
note "Enter started '$(command_line)' in $(readlink "/proc/$(game_child)/cwd"); saved $(cat "$saved")"
# The class of the desktop entry's StartupWMClass, so a dock shows one
# Korvada, and the game's own icon.
class=$(xprop -id "$GAME_WINDOW" -notype WM_CLASS)
[ "$class" = 'WM_CLASS = "korvada", "korvada"' ] || fail "the game window's $class"
xprop -id "$GAME_WINDOW" _NET_WM_ICON | grep -q 'Icon (64 x 64)' || fail "the game window has no icon of its own"
shot game
play_round space
note "Esc + Space: the round ended and the dialog is back with the focus"
grep -qF "korvada: $catches: passed over no first line \"korvada best catches\", line 1 \"not a table\"; kept as $catches.damaged" \
    "$WORK/stderr" || fail "the damaged table was not said: $(cat "$WORK/stderr")"
[ "$(cat "$catches.damaged")" = "not a table" ] || fail "the damaged table was not kept aside"
today=$(date +%F)
[ "$(cat "$catches")" = $'korvada best catches\n12 0 '"$today" ] || fail "the round's catch: '$(cat "$catches")'"
note "the round's catch replaced the damaged table, kept aside: $(tail -n1 "$catches")"
round=$XDG_DATA_HOME/korvada/best-round-12.kvr
cp "$round" "$WORK/kept.kvr" || fail "the new best kept no recording"
cp "$catches" "$WORK/kept-catches"
shot dialog-watch
keys alt+w
play_round space
[ "$ROUND" = "$KORVADA --watch $round 2HNMN " ] || fail "Watch best ran '$ROUND'"
cmp -s "$round" "$WORK/kept.kvr" && cmp -s "$catches" "$WORK/kept-catches" || fail "watching changed what is kept"
note "Watch best ran '$ROUND'; nothing kept changed"
# A better best for 12 bottles, kept while the next round plays: it stays.
printf 'korvada best catches\n12 5 2020-01-01\n' >"$catches"
# The focus is on Play: Enter plays the same choice again.
xdotool key Return
play_round Return
[ "$ROUND" = "$KORVADA 2HNMN " ] || fail "Enter again ran '$ROUND'"
# The lower catch takes the second row, with a recording of its own; the best stays first.
[ "$(cat "$catches")" = $'korvada best catches\n12 5 2020-01-01\n12 0 '"$(date +%F)"' 1' ] ||
  fail "a lower catch did not go below the best: $(cat "$catches")"
shot dialog-best
# Save round… of the second row: a copy of its recording where the player
# says, which plays to the row's score. Two rows, two buttons: the mnemonic
# steps through them, Space presses the one it reached.
keys alt+v alt+v space
wait_focused_window "Save round…"
keys ctrl+a
xdotool type "$WORK/saved-round.kvr"
xdotool key Return
wait_until "$X_WAIT" grep -qF "korvada-setup: the round is saved: $WORK/saved-round.kvr" "$WORK/stderr" ||
  fail "Save round said nothing: $(cat "$WORK/stderr")"
cmp -s "$WORK/saved-round.kvr" "$XDG_DATA_HOME/korvada/best-round-12-1.kvr" || fail "the saved round is not the row's"
score=$("$(dirname "$SETUP")/korvada-replay" --recording "$WORK/saved-round.kvr" | awk '$1 == "bottle" && $2 == 0 { s = $11 } END { print s }')
[ "$score" = 0 ] || fail "the saved round plays to $score bubbles, the row says 0"
note "Save round wrote the second row's recording, which plays to its 0 bubbles"
wait_dialog "Korvada – settings"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "Esc after two rounds: exit code $EXIT_CODE, expected 0"
note "Enter played again; Esc closed the dialog"

# In Czech: the saved code again. A name the rule refuses is said on the
# line in Czech, plays nothing and is not kept; a good one plays today's
# round under it, and is kept with the code.
start_setup "" LANGUAGE=cs
wait_dialog "Korvada – nastavení"
shot dialog-cs
keys alt+j
xdotool type ' Jana'
xdotool key Return
wait_until "$X_WAIT" grep -qF 'korvada-setup: the name is refused: Jméno nelze použít: jméno nesmí začínat mezerou' \
    "$WORK/stderr" || fail "the refused name was not said: $(cat "$WORK/stderr")"
sleep 0.5
[ -z "$(game_child)" ] || fail "a refused name started the game: $(command_line)"
[ "$(cat "$saved")" = 2HNMN ] || fail "a refused name changed the saved choice: $(cat "$saved")"
note "the refused name was said in Czech and nothing started"
keys ctrl+a
xdotool type 'Jana K'
shot dialog-named
keys alt+d
play_round space "Korvada – nastavení"
[ "$ROUND" = "$KORVADA --daily --name Jana K 2HNMN " ] || fail "Today's round ran '$ROUND'"
[ "$(cat "$saved")" = $'2HNMN\nname Jana K' ] || fail "the name was not kept with the code: '$(cat "$saved")'"
day=$(date -u +%F)
grep -qxF "day $day 0 Jana K" "$catches" || fail "today's round left no day's row: $(cat "$catches")"
"$(dirname "$SETUP")/korvada-replay" --recording "$XDG_DATA_HOME/korvada/best-round-day-$day.kvr" >/dev/null ||
  fail "today's round's recording does not play"
LC_ALL=C grep -qaF 'Jana K' "$XDG_DATA_HOME/korvada/best-round-day-$day.kvr" || fail "the recording carries no name"
shot dialog-today
note "Today's round ran '$ROUND'; the day's row and its recording carry the name"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "Esc: exit code $EXIT_CODE, expected 0"
note "Czech dialog: Esc closed it"

# The pictures for a look, when asked for.
if [ -n "${KORVADA_SETUP_SHOTS:-}" ]; then
    mkdir -p "$KORVADA_SETUP_SHOTS"
    for picture in dialog-en dialog-chosen dialog-watch dialog-best dialog-cs dialog-named dialog-today game; do
        convert "$WORK/$picture.ppm" "$KORVADA_SETUP_SHOTS/linux-$picture.png"
    done
fi
note "ok"
