# player_height: asks the running game (started with KORVADA_PRINT_HEIGHT=1)
# for the player's height by SIGUSR1 and prints it. Source after tests/x_harness.sh.
player_height() {
    local lines i
    lines=$(grep -c '^height' "$WORK/stdout")
    kill -USR1 "$GAME_PID"
    for i in $(seq 100); do
        [ "$(grep -c '^height' "$WORK/stdout")" -gt "$lines" ] && break
        sleep 0.05
    done
    awk '/^height/ {h = $2} END {if (h == "") exit 1; print h}' "$WORK/stdout" || fail "the game did not tell its height"
}

# seconds_since START: wall-clock seconds since START (date +%s.%N).
seconds_since() { awk -v s="$1" -v e="$(date +%s.%N)" 'BEGIN {print e - s}'; }

# fell_at_most FROM TO SECONDS: the bottle went down, by no more than its
# top speed (150 units a second) allows in that time and one frame more.
fell_at_most() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN {exit !(a - b >= 0 && a - b <= 150 * (t + 0.1))}'; }
