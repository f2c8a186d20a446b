#!/usr/bin/env bash
# The program's refusals: a bad launch code (exit 1, the Czech message and a
# line naming korvada-setup, no game window), no display at all, and a
# display mode the screen does not have (exit 2 each, the reason on stderr).
# A signal while such a box is open ends the game with the box's code. --help and --version answer on stdout.
#   launch_code.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
e2e_setup "$1" "$2"
bad_code="Chybné parametry programu - spusťte KorvadaSetup.exe"

# Wrong length, on a display: the error box, closed by Enter, and exit 1.
start_game 0TYA "" SDL_AUDIODRIVER=dummy
dismiss_boxes 1
wait_exit
[ "$EXIT_CODE" = 1 ] || fail "code 0TYA: exit code $EXIT_CODE, expected 1"
grep -qxF "$bad_code" "$WORK/stderr" || fail "code 0TYA: the message is not on stderr"
# The box's second line, on stderr as in the box.
grep -A1 -xF "$bad_code" "$WORK/stderr" | tail -n1 | grep -qxF "V Linuxu spusťte korvada-setup." ||
    fail "code 0TYA: no line naming korvada-setup after the message: '$(cat "$WORK/stderr")'"
xdotool search --name '^Korvada$' >/dev/null 2>&1 && fail "code 0TYA: a game window was created"
note "wrong length: exit 1 with the message"

# Out of range (the size past the game's table, a bottle count below 0) or a
# trailing blank, with no display: no box can open, the message is on stderr
# alone.
for code in "$(past_the_table)TYAY" 0TY@Y "0TYAY "; do
    start_game "$code" "" DISPLAY= WAYLAND_DISPLAY= SDL_AUDIODRIVER=dummy
    wait_exit
    [ "$EXIT_CODE" = 1 ] || fail "code '$code' without a display: exit code $EXIT_CODE, expected 1"
    grep -qxF "$bad_code" "$WORK/stderr" || fail "code '$code': the message is not on stderr"
done
note "out of range and trailing blank: exit 1 with the message"

# A good code with no display: SDL would pick an invisible driver; the game
# says so and exits 2 instead of running unseen.
start_game 0TYAY "" DISPLAY= WAYLAND_DISPLAY= SDL_AUDIODRIVER=dummy
wait_exit
[ "$EXIT_CODE" = 2 ] || fail "no display: exit code $EXIT_CODE, expected 2"
grep -q '^korvada: no display' "$WORK/stderr" || fail "no display: no reason on stderr"
note "no display: exit 2, '$(grep '^korvada:' "$WORK/stderr")'"

# 1280 × 1024 on an 800 × 600 screen: the mode is refused with its box, the
# loop ends before any frame, exit 2.
large=$(size_code 1280x1024)TYAY
start_game "$large" "" SDL_AUDIODRIVER=dummy
dismiss_boxes 1
wait_exit
[ "$EXIT_CODE" = 2 ] || fail "refused mode: exit code $EXIT_CODE, expected 2"
grep -qxF "Nelze změnit nastavení obrazovky!" "$WORK/stderr" || fail "refused mode: the message is not on stderr"
note "refused display mode: exit 2 with the message"

# A signal while the box is open closes it and ends the game, with
# the box's exit code (SDL's box is a child process that waits for the player).
# (The four signals share one handler: two of them, one for each kind of box.)
box_shown() { [ -n "$(error_box)" ]; }
for case in "TERM 0TYA 1" "HUP $large 2"; do
    read -r signal code wanted <<<"$case"
    start_game "$code" "" SDL_AUDIODRIVER=dummy
    wait_until "$X_WAIT" box_shown || fail "code $code: no box within $X_WAIT s"
    # Unanswered, the box would wait for ever: a loaded machine's wait tells
    # the two apart, and the time taken is only reported.
    signalled=$(date +%s.%N)
    kill -"$signal" "$GAME_PID"
    wait_exit
    [ "$EXIT_CODE" = "$wanted" ] || fail "SIG$signal during the box of $code: exit code $EXIT_CODE, expected $wanted"
    [ -z "$(error_box)" ] || fail "SIG$signal during the box of $code: the box is still open"
    note "SIG$signal during the box of $code: closed, exit $EXIT_CODE after $(awk "BEGIN {printf \"%.2f\", $(date +%s.%N) - $signalled}") s"
done

# --help and --version: on stdout, exit 0, no display needed.
help=$(DISPLAY= "$KORVADA" --help) || fail "--help: exit code $?"
grep -q -- "--window LAUNCHCODE" <<<"$help" || fail "--help says '$help'"
version=$(DISPLAY= "$KORVADA" --version) || fail "--version: exit code $?"
[[ "$version" =~ ^korvada\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version says '$version'"
note "--help and --version: exit 0; $version"
note "ok"
