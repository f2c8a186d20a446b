# player_height: asks the running game (started with KORVADA_PRINT_HEIGHT=1)
# for the player's height by SIGUSR1 and prints it. Source after tests/x_harness.sh.
# Until the game catches SIGUSR1 the signal would end it: wait with
#   wait_until "$X_WAIT" x_height_signal_caught_or_ended
# before the first player_height. Only the game's own process counts: the
# shell that starts it, not yet replaced, has the test shell's handlers for
# a moment after the fork.
x_height_signal_caught_or_ended() {
    local caught
    game_running || return 0
    [ "$(cat "/proc/$GAME_PID/comm" 2>/dev/null)" = korvada ] || return 1
    caught=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$GAME_PID/status" 2>/dev/null)
    [ -n "$caught" ] && (((0x$caught >> 9) & 1))  # bit 9: signal 10, SIGUSR1
}
x_heights() { grep -c '^height' "$WORK/stdout"; }
x_height_told_or_ended() { [ "$(x_heights)" -gt "$1" ] || ! game_running; }
player_height() {
    local lines
    lines=$(x_heights)
    kill -USR1 "$GAME_PID"
    wait_until "$X_WAIT" x_height_told_or_ended "$lines" || true
    [ "$(x_heights)" -gt "$lines" ] || fail "the game did not tell its height"
    awk '/^height/ {h = $2} END {print h}' "$WORK/stdout"
}

# wait_round_plays WHAT: the height falls below the one told now, within
# X_WAIT (a loaded machine may draw no frame for a second or more), else the
# test fails saying WHAT.
wait_round_plays() {
    local first
    first=$(player_height)
    X_LATER=$first
    wait_until "$X_WAIT" x_fell_below "$1" "$first" || fail "$1: the round does not play: height $first, then $X_LATER"
    note "$1: height $first, then $X_LATER"
}
x_fell_below() {
    game_running || fail "$1: the game ended in its round"
    X_LATER=$(player_height)
    awk -v a="$2" -v b="$X_LATER" 'BEGIN {exit !(b < a)}'
}
