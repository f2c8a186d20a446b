#!/usr/bin/env bash
# The best catches and the saved choice on a disk with no room left (a full
# tmpfs) and in a folder the player cannot write (a read-only bind mount):
# the game plays its round to the end, says once on stderr why its catch was
# not kept, and the table that was there stays byte for byte; the setup plays
# the choice it could not save, saying why once, and its saved file stays.
# Runs in a mount namespace of its own, so that its mounts are the test's
# alone and go with it.
#   full_disk.sh KORVADA_SETUP DATA_DIR
if [ -z "${KORVADA_OWN_MOUNTS:-}" ]; then
    KORVADA_OWN_MOUNTS=1 exec unshare --mount --propagation private bash "$0" "$@"
fi
source "$(dirname "$0")/../x_harness.sh"
SETUP=$1
e2e_setup "$(dirname "$SETUP")/korvada" "$2"

table=$'korvada best catches\r\n5 3 2020-01-01\r\n'  # no row for the 4 bottles of 0TYAY: its catch is kept
choice=$'0TYAY\n'

# place FOLDER: the game's and the setup's files in FOLDER, as a player had them.
place() {
    mkdir -p "$1/data/korvada" "$1/config/korvada"
    printf '%s' "$table" >"$1/data/korvada/best-catches"
    printf '%s' "$choice" >"$1/config/korvada/launch-code"
}
# unchanged FOLDER: both files as they were, byte for byte, and nothing beside them.
unchanged() {
    [ "$(cat -A "$1/data/korvada/best-catches")" = "$(printf '%s' "$table" | cat -A)" ] ||
        fail "$2: the table changed: $(cat -A "$1/data/korvada/best-catches")"
    [ "$(cat -A "$1/config/korvada/launch-code")" = "$(printf '%s' "$choice" | cat -A)" ] ||
        fail "$2: the saved choice changed: $(cat -A "$1/config/korvada/launch-code")"
    [ "$(ls -A "$1/data/korvada")" = best-catches ] || fail "$2: left beside the table: $(ls -A "$1/data/korvada")"
    [ "$(ls -A "$1/config/korvada")" = launch-code ] || fail "$2: left beside the choice: $(ls -A "$1/config/korvada")"
}
# said_once PATTERN WHAT: exactly one line of stderr matches PATTERN.
said_once() {
    local count
    count=$(grep -c -- "$1" "$WORK/stderr")
    [ "$count" = 1 ] || fail "$2: $count lines say '$1' on stderr: $(cat "$WORK/stderr")"
}

# A disk with no room left: a small tmpfs, filled to its last byte.
full=$WORK/full
mkdir -p "$full"
mount -t tmpfs -o size=256k tmpfs "$full" || fail "cannot mount a tmpfs at $full"
at_exit "umount -l '$full'"
place "$full"
cat /dev/zero >"$full/filler" 2>/dev/null
[ "$(df --output=avail "$full" | tail -n1 | tr -d ' ')" = 0 ] || fail "the tmpfs still has room"

# A folder the player cannot write: the same files under a read-only bind mount.
locked=$WORK/locked
place "$locked"
mount --bind "$locked" "$locked" && mount -o remount,bind,ro "$locked" || fail "cannot make $locked read-only"
at_exit "umount -l '$locked'"
touch "$locked/data/korvada/probe" 2>/dev/null && fail "$locked is writable"

for case in "$full:No space left on device" "$locked:Read-only file system"; do
    folder=${case%%:*} reason=${case#*:}
    export XDG_DATA_HOME=$folder/data XDG_CONFIG_HOME=$folder/config

    # The game alone: the round plays to its end screen and the game ends as
    # always; one line tells why the catch was not kept.
    start_game 0TYAY "" SDL_AUDIODRIVER=dummy
    wait_game_window
    end_game space
    said_once "^korvada: the best catch is not kept: cannot write $folder/data/korvada/best-catches\.[0-9]*\.tmp: $reason\$" \
        "the game on $folder"
    unchanged "$folder" "the game"
    note "the game on $(basename "$folder"): $(cat "$WORK/stderr")"

    # The dialog: Play saves what it can, plays the choice, and comes back.
    start_program "$WORK" env LANGUAGE=en SDL_AUDIODRIVER=dummy "$SETUP"
    wait_focused_window "Korvada – settings"
    sleep 0.3
    setup_pid=$GAME_PID
    xdotool key Return
    wait_game_window
    game=$(pgrep -P "$setup_pid" -x korvada)
    end_round space "$game"
    [ "$EXIT_CODE" = ended ] || fail "the game the dialog started did not end"
    wait_focused_window "Korvada – settings"
    said_once "^korvada-setup: the choice is not saved: cannot write $folder/config/korvada/launch-code\.[0-9]*\.tmp: $reason\$" \
        "the dialog on $folder"
    said_once "^korvada: the best catch is not kept: .*: $reason\$" "the dialog's game on $folder"
    unchanged "$folder" "the dialog's round"
    xdotool key Escape
    GAME_PID=$setup_pid
    wait_exit
    [ "$EXIT_CODE" = 0 ] || fail "Esc: the dialog's exit code $EXIT_CODE"
    note "the dialog on $(basename "$folder"): $(tr '\n' '|' <"$WORK/stderr")"
done
note "ok"
