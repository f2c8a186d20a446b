#!/usr/bin/env bash
# The files the Windows programs keep in %APPDATA%\Korvada: two keepers of
# the game's own (catch_keeper.exe, the game's keeper, lock and disk steps)
# keeping 30 catches each at the same moment leave all 60 rows; then the
# table marked read-only, and a file where the folder should be: the round
# plays to its end, the game says once on stderr why its catch was not kept,
# the setup plays the choice it could not save and says why, and what was
# there stays byte for byte.
source "$(dirname "$0")/wine_harness.sh"
# In a prefix of this test's own: the lane's tests after it rely on
# %APPDATA%\Korvada being a folder, and a test stopped before its end (a
# failure, a timeout, a cancelled run) would leave the file in its place.
fresh_prefix
setup="$data_dir/KorvadaSetup.exe"
keeper="$data_dir/catch_keeper.exe"
[ -f "$keeper" ] || fail "$keeper is missing"
start_display xvfb 800x600
answer_boxes

folder=$(dirname "$(saved_code_file)")
catches=$folder/best-catches.txt
table=$'korvada best catches\r\n5 3 2020-01-01\r\n'  # no row for the 4 bottles of 0TYAY: its catch is kept

# Two keepers released at once by the file $WORK/go, once both wait for it.
rm -rf "$folder"
mkdir -p "$folder"
go=$(winepath -w "$WORK/go" 2>/dev/null)
WINEDEBUG=-all timeout 120 wine "$keeper" 1 30 "$go" 2>"$WORK/keeper-1" &
first=$!
WINEDEBUG=-all timeout 120 wine "$keeper" 31 60 "$go" 2>"$WORK/keeper-2" &
second=$!
both_wait() { [ -n "$(wine_pid 'catch_keeper.exe 1 30')" ] && [ -n "$(wine_pid 'catch_keeper.exe 31 60')" ]; }
wait_until "$X_WAIT" both_wait || fail "the keepers did not start"
sleep 1
touch "$WORK/go"
wait "$first" || fail "the first keeper: $(cat "$WORK/keeper-1")"
wait "$second" || fail "the second keeper: $(cat "$WORK/keeper-2")"
expected=$(printf 'korvada best catches\n'; for bottles in $(seq 60); do printf '%d 1 2026-12-13\n' "$bottles"; done)
[ "$(cat "$catches")" = "$expected" ] || fail "rows lost: $(grep -c ' 1 2026-12-13' "$catches") of 60 kept"
[ "$(ls -A "$folder")" = best-catches.txt ] || fail "left beside the table: $(ls -A "$folder")"
note "two keepers at once: all 60 rows kept, nothing left beside"

# said_once PATTERN WHAT: exactly one line of stderr matches PATTERN.
said_once() {
    local count
    count=$(tr -d '\r' <"$WORK/stderr" | grep -c -- "$1")
    [ "$count" = 1 ] || fail "$2: $count lines say '$1' on stderr: $(cat "$WORK/stderr")"
}
# play_round: korvada.exe 0TYAY draws its scene; Esc and Space end it, exit 0.
play_round() {
    start_wine "$data_dir" -all "$KORVADA_EXE" 0TYAY
    wait_wine_window
    wait_until "$X_WAIT" scene_drawn || fail "no scene drawn ($COLOURS colours)"
    end_round space
    [ "$EXIT_CODE" = 0 ] || fail "the round: exit $EXIT_CODE, expected 0"
}

# The table marked read-only.
rm -rf "$folder"
mkdir -p "$folder"
printf '%s' "$table" >"$catches"
timeout 60 wine attrib +r "$(winepath -w "$catches" 2>/dev/null)" >/dev/null 2>&1
case $(stat -c %A "$catches") in *w*) fail "attrib +r left the table writable: $(stat -c %A "$catches")" ;; esac
play_round
said_once '^korvada: the best catch is not kept: .*best-catches.txt is read-only$' "a read-only table"
[ "$(cat -A "$catches")" = "$(printf '%s' "$table" | cat -A)" ] || fail "the read-only table changed"
[ "$(ls -A "$folder")" = best-catches.txt ] || fail "left beside the read-only table: $(ls -A "$folder")"
note "a read-only table: $(tr -d '\r' <"$WORK/stderr" | grep '^korvada:')"

# A file where the folder should be: the game, then the setup.
rm -rf "$folder"
printf 'in the way' >"$folder"
play_round
said_once '^korvada: the best catch is not kept: cannot create .*Korvada: ' "a file in the way of the game"
note "a file in the way: $(tr -d '\r' <"$WORK/stderr" | grep '^korvada:')"
LANG=C.UTF-8 start_wine "$data_dir" -all "$setup"
wait_focused_window "Korvada – settings"
sleep 1
xdotool key Return
play_from_setup '\korvada.exe 0TYAY' "$data_dir"
said_once '^KorvadaSetup: the choice is not saved: cannot create .*Korvada: ' "a file in the way of the setup"
said_once '^korvada: the best catch is not kept: cannot create .*Korvada: ' "a file in the way of the setup's game"
[ "$(cat "$folder")" = "in the way" ] || fail "the file in the way changed"
note "the setup with a file in the way: $(tr -d '\r' <"$WORK/stderr" | grep -e '^KorvadaSetup:' -e '^korvada:' | tr '\n' '|')"
note "ok"
