#!/usr/bin/env bash
# KorvadaSetup.exe's board exchanges (WinHTTP) under Wine against the real
# korvada-board on a loopback port: a ticket, the day's list, a round and the
# name's secret that arrive (the board's own refusals say so), an
# answer cut at its bound, a board that is not there, and one that keeps the
# exchange waiting while the window's timer goes on ticking.
source "$(dirname "$0")/wine_harness.sh"
: "${KORVADA_BOARD:?path of the Linux korvada-board}"
: "${KORVADA_REPLAY:?path of the Linux korvada-replay}"
exchange_exe="$data_dir/board_exchange.exe"
[ -f "$exchange_exe" ] || fail "$exchange_exe is missing"

start_board "$KORVADA_BOARD" "$WORK/board"
origin=$BOARD_ORIGIN
today=$(date -u +%F)

# exchange NAME ARG...: board_exchange.exe's output in $WORK/NAME, its \r gone.
exchange() {
  local name=$1
  shift
  (cd "$WORK" && timeout 120 wine "$exchange_exe" "$@") >"$WORK/$name.raw" 2>"$WORK/$name.err"
  local code=$?
  tr -d '\r' <"$WORK/$name.raw" >"$WORK/$name"
  return $code
}
expect_in() { grep -qF -- "$2" "$WORK/$1" || fail "$1: expected '$2' in: $(head -c 400 "$WORK/$1")"; }

# Two secrets of the system's random numbers: base64url of 32 bytes, apart.
exchange secrets --make-secrets || fail "no secrets: $(cat "$WORK/secrets.err")"
[ "$(grep -Ecx '[A-Za-z0-9_-]{42}[AEIMQUYcgkosw048]' "$WORK/secrets")" = 2 ] || fail "not two secrets: $(cat "$WORK/secrets")"
[ "$(sort -u "$WORK/secrets" | wc -l)" = 2 ] || fail "the same secret twice: $(cat "$WORK/secrets")"

exchange ticket --post "$origin/api/tickets" || fail "no ticket: $(cat "$WORK/ticket")"
expect_in ticket "answered 200"
expect_in ticket "\"day\":\"$today\""
grep -Eq '"ticket":"[A-Za-z0-9_-]{43}"' "$WORK/ticket" || fail "no ticket in: $(cat "$WORK/ticket")"

exchange day "$origin/api/days/$today" || fail "no day's list: $(cat "$WORK/day")"
expect_in day "answered 200"
expect_in day "{\"day\":\"$today\",\"rounds\":[]}"

# A round of today's with the board's ticket, cut off before its end: the
# board takes the body whole (its checksum), plays it, and says where it
# stops; and the secret's header, which it reads too.
ticket=$(grep -Eo '"ticket":"[A-Za-z0-9_-]{43}"' "$WORK/ticket" | cut -d'"' -f4)
"$KORVADA_REPLAY" --daily "$today" --steps 3000 --dt 0.00005 --name Jana --ticket "$ticket" --record "$WORK/round.kvr" \
  >/dev/null || fail "korvada-replay failed"
exchange round --post --body round.kvr --secret AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8 "$origin/api/rounds" ||
  fail "the round got no answer: $(cat "$WORK/round")"
expect_in round "answered 422"
expect_in round "the round does not play to its end: the recording stops at frame 3000 of 3000"
exchange secret --post --body round.kvr --secret 'not-a-secret' "$origin/api/rounds" || fail "no answer"
expect_in secret "answered 400"
expect_in secret "Korvada-Secret header"

exchange cut --longest 10 "$origin/api/days/$today" && fail "an answer past its bound was taken: $(cat "$WORK/cut")"
expect_in cut "trouble: the board's answer is longer than 10 bytes"

# A port nothing listens on, then one that takes the connection and never
# answers: the answer comes as a message after its seconds, the timer
# ticking all along (one tick every 50 ms; a loop that waited gets none).
python3 - "$WORK/silent-port" <<'PY' &
import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(8)
open(sys.argv[1] + ".tmp", "w").write(str(s.getsockname()[1]))
__import__("os").rename(sys.argv[1] + ".tmp", sys.argv[1])
time.sleep(120)
PY
track $!
wait_until 30 test -s "$WORK/silent-port" || fail "no silent port"
silent=$(cat "$WORK/silent-port")
closed=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
exchange gone "http://127.0.0.1:$closed/api/days/$today" && fail "a port nothing listens on answered"
expect_in gone "trouble: no answer: cannot connect to the board"
started=$(date +%s.%N)
exchange waiting --posted --seconds 3 "http://127.0.0.1:$silent/api/days/$today" &&
  fail "a silent board answered: $(cat "$WORK/waiting")"
took=$(seconds_since "$started")
expect_in waiting "trouble: no answer within 3 s"
awk -v t="$took" 'BEGIN {exit !(t < 30)}' || fail "the exchange with a silent board took $took s, not 3"
ticks=$(awk '/^ticks / {print $2}' "$WORK/waiting")
[ "${ticks:--1}" -ge 20 ] || fail "the window's timer ticked $ticks times while the exchange waited 3 s (or the answer came on another thread: -1)"
note "a silent board: $(grep trouble "$WORK/waiting") ($took s with Wine's start), the timer ticked $ticks times meanwhile"
