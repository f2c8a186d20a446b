#!/usr/bin/env bash
# The audio server does not answer, goes away and comes back: a PulseAudio
# of the test's own, with a null sink, plays the game's sound. Frozen
# (stopped, not ended) as the game starts, the round plays, silent, and the
# game plays into it once it answers. Ended, the round goes on silent and
# the game says so once; started again, the game plays into it again (its
# stream there) and says that too. Frozen during the round, the round goes
# on, and still ends as usual with exit code 0, the game saying that the
# device did not answer: nothing waits for the server.
#   sound_server.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
source "$(dirname "$0")/player_height.sh"
command -v pulseaudio >/dev/null || fail "pulseaudio is needed (pulseaudio, pulseaudio-utils)"
e2e_setup "$1" "$2"

# A private server: its socket, cookie and state under WORK, nothing of the
# machine's own (root may run it; it only warns).
pulse_dir=$WORK/pulse
mkdir -m 700 "$pulse_dir" "$pulse_dir/home"
export PULSE_SERVER=unix:$pulse_dir/socket
PULSE_PID=
start_pulse() {
    HOME=$pulse_dir/home XDG_RUNTIME_DIR=$pulse_dir PULSE_RUNTIME_PATH=$pulse_dir/run \
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
        -L module-null-sink -L "module-native-protocol-unix auth-anonymous=1 socket=$pulse_dir/socket" \
        >>"$WORK/pulse.log" 2>&1 &
    PULSE_PID=$!
    track "$PULSE_PID"
    wait_until "$X_WAIT" pactl info >/dev/null 2>&1 || fail "pulseaudio did not start (see $WORK/pulse.log)"
}
# stop_pulse SIGNAL: the server ended by SIGNAL, and gone.
stop_pulse() {
    kill -"$1" "$PULSE_PID"
    wait "$PULSE_PID" 2>/dev/null
}
# The game's stream on the server: the device it has open.
game_stream() {
    game_running || fail "the game ended"
    [ -n "$(pactl list short sink-inputs 2>/dev/null)" ]
}
said() { grep -c "$1" "$WORK/stderr"; }
# said_times COUNT TEXT: the game has said TEXT COUNT times, and still runs.
said_times() {
    game_running || fail "the game ended"
    [ "$(said "$2")" = "$1" ]
}
# moving WHAT: the bottle still falls, a second apart.
moving() {
    local before after
    before=$(player_height)
    sleep 1
    after=$(player_height)
    above "$before" "$after" || fail "$1: the round stands still at $before"
    note "$1: height $before, a second later $after"
}

# Frozen as the game starts: the round plays, silent, and once the server
# answers again the game plays into it.
start_pulse
kill -STOP "$PULSE_PID"
at_exit 'kill -CONT "$PULSE_PID" 2>/dev/null'
start_game 0TYAY "" SDL_AUDIODRIVER=pulseaudio KORVADA_PRINT_HEIGHT=1
wait_game_window
wait_until "$X_WAIT" x_height_signal_caught_or_ended
moving "the server frozen from the start"
kill -CONT "$PULSE_PID"
wait_until "$X_WAIT" game_stream || fail "the game opened no stream on the server"
note "the game plays into the server"

stop_pulse TERM
wait_until "$X_WAIT" said_times 1 "went away" || fail "the game did not say that the sound went away"
moving "without the server"

start_pulse
wait_until "$X_WAIT" game_stream || fail "the game did not play into the server once it was back"
wait_until "$X_WAIT" said_times 1 "the sound is back" || fail "the game did not say that the sound is back"
moving "the server back"
[ "$(said "went away")" = 1 ] || fail "the loss was said $(said "went away") times"

# Frozen again: the server holds the game's stream and never answers.
kill -STOP "$PULSE_PID"
moving "the server frozen"
ending=$(date +%s.%N)
end_game space
note "the game ended $(seconds_since "$ending") s after Esc"
[ "$(said "does not answer")" = 1 ] || fail "the game did not say that the sound device does not answer"
note "$(grep -c . "$WORK/stderr") lines on stderr: $(tr '\n' '|' <"$WORK/stderr")"
note "ok"
