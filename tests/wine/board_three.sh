#!/usr/bin/env bash
# Three programs, one board: a real korvada-board on a loopback port, serving
# the page, takes today's round from each of the players' programs under a
# name of its own: korvada-setup (GTK) and KorvadaSetup.exe under Wine, each
# with the board's address in its saved settings, and the page opened from
# the board's address (tests/web/board_three_page.mjs). Each dialog's Today's
# round asks a ticket, the game plays, steered with the arrows (the Linux
# game and the page toward the day's bubbles, by the place they tell of the
# bottle), and ends, and the sender says it sent the round, with the count
# the game ended with. The
# board's day lists each name with that count, in its JSON and on its page;
# each recording downloaded from the board plays to it in korvada-replay; and
# each round plays to it in the other two programs: the Linux game and
# korvada.exe watch the recording downloaded, the page the round's own link.
source "$(dirname "$0")/wine_harness.sh"
: "${KORVADA_BOARD:?path of the Linux korvada-board}"
: "${KORVADA_REPLAY:?path of the Linux korvada-replay}"
: "${KORVADA_LINUX:?path of the Linux korvada}"
: "${KORVADA_LINUX_SETUP:?path of the Linux korvada-setup}"
: "${KORVADA_DATA_DIR:?the data folder of the Linux game}"
: "${KORVADA_WEB_DIR:?the folder of the web build}"
setup_exe="$data_dir/KorvadaSetup.exe"
[ -f "$setup_exe" ] || fail "$setup_exe is missing"
page_part="$(cd "$(dirname "$0")/../web" && pwd)/board_three_page.mjs"
day=$(date -u +%F)
# Names of letters past Latin-1: the window titles of the rounds watched carry them whole.
linux_name="Jiří z Linuxu" wine_name="Žofie z Wine" page_name="Łucja na webu"

# The GTK dialog with its board needs a screen this large; the others fit.
start_display xvfb 1024x768
answer_boxes
export KORVADA_PRINT_HEIGHT=1 SDL_AUDIODRIVER=dummy LANGUAGE=en
export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"

start_board "$KORVADA_BOARD" "$WORK/board" --web "$KORVADA_WEB_DIR"
origin=$BOARD_ORIGIN
note "the board at $origin"

# Arrows held in turn, as a player steers toward the bubbles below: for
# korvada.exe, which tells the bottle's place only at the round's end.
steer() { xdotool keydown Right keydown Down sleep 0.9 keyup Right keyup Down keydown Left sleep 0.7 keyup Left \
  keydown Up sleep 0.6 keyup Up keydown Right sleep 0.5 keyup Right; }
# steer_to_bubbles PID SECONDS: the arrows as a player steers the Linux game
# PID toward the next bubble below, as board_three_page.mjs does: a speed toward
# it that shrinks as it comes near, the bottle's place read from the game's
# line on SIGUSR1 (KORVADA_PRINT_HEIGHT), its speed from the place a reading
# ago. Until a bubble is caught, the round ends or SECONDS have passed.
steer_to_bubbles() {
  python3 - "$1" "$2" "$WORK/stdout" "$KORVADA_REPLAY" "$day" <<'PY'
import os, re, signal, subprocess, sys, time
pid, seconds, out, replay, day = int(sys.argv[1]), float(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
laid = subprocess.run([replay, '--daily', day, '--steps', '1'], capture_output=True, text=True, check=True).stdout
bubbles = [dict(zip('xyz', map(float, line.split()[2:5])))
           for line in laid.split('state ')[1].splitlines() if line.startswith('bubble ')]

def signal_caught():
    with open(f'/proc/{pid}/status') as status:
        caught = int(re.search(r'^SigCgt:\s*([0-9a-f]+)', status.read(), re.M).group(1), 16)
    return caught >> (signal.SIGUSR1 - 1) & 1

# Before the game catches it, SIGUSR1 would end it.
until = time.time() + seconds
while not signal_caught():
    if time.time() > until: sys.exit('the game never caught SIGUSR1')
    time.sleep(0.05)
lines = open(out, 'rb')
lines.seek(0, os.SEEK_END)
held, before, told = set(), None, b''

def hold(key, down):
    if down == (key in held): return
    (held.add if down else held.discard)(key)
    subprocess.run(['xdotool', 'keydown' if down else 'keyup', key], check=True)

while time.time() < until:
    os.kill(pid, signal.SIGUSR1)
    asked, place = time.time(), None
    while place is None and time.time() - asked < 2:
        told += lines.read()
        *whole, told = told.split(b'\n')
        for line in whole:
            if line.startswith(b'height '): place = line.decode().split()
        time.sleep(0.005)
    if place is None: continue
    state = {k: float(v) for k, v in zip(place[2::2], place[3::2])}
    if state['score'] > 0 or state['over'] == 1: break
    now = time.time()
    below = [b for b in bubbles if b['y'] < state['y'] + 15]
    if not below: break
    target = max(below, key=lambda b: b['y'])
    for axis, more, less in (('x', 'Right', 'Left'), ('z', 'Down', 'Up')):
        speed = (state[axis] - before[axis]) / (now - before['t']) if before and now > before['t'] else 0
        wanted = max(-40, min(40, 3 * (target[axis] - state[axis])))
        hold(more, wanted - speed > 4)
        hold(less, wanted - speed < -4)
    before = dict(state, t=now)
    time.sleep(0.03)
for key in list(held): hold(key, False)
PY
}
# The game's line at the round's end (KORVADA_PRINT_HEIGHT): its bubbles.
ended_with() { grep -a -m1 ' over 1' "$WORK/stdout" | tr -d '\r' | awk '{for (i = 3; i < NF; i += 2) if ($i == "score") print $(i + 1)}'; }
round_over() { grep -aq ' over 1' "$WORK/stdout"; }
bubbles() { if [ "$1" = 1 ]; then echo "1 bubble"; else echo "$1 bubbles"; fi; }
# sent_count PROGRAM: N of the dialog's "PROGRAM: Sent to the board: N bubbles."
sent_count() { tr -d '\r' <"$WORK/stderr" | sed -n "s/^$1: Sent to the board: \([0-9]*\) bubbles\{0,1\}\.\$/\1/p" | head -n1; }
sent() { [ -n "$(sent_count "$1")" ]; }

# --- korvada-setup: the saved settings name the board; a window, so that
# the screen keeps its one mode.
mkdir -p "$XDG_CONFIG_HOME/korvada"
printf '0TYAY window\nname %s\nboard %s\n' "$linux_name" "$origin" >"$XDG_CONFIG_HOME/korvada/launch-code"
start_program "$WORK" "$KORVADA_LINUX_SETUP"
wait_focused_window "Korvada – settings"
sleep 0.5
xdotool key alt+t
linux_game() { pgrep -P "$GAME_PID" -x korvada; }
linux_game_started() { [ -n "$(linux_game)" ]; }
wait_until "$X_WAIT" linux_game_started || fail "Today's round started no game: $(cat "$WORK/stderr")"
round=$(tr '\0' ' ' <"/proc/$(linux_game)/cmdline")
[[ "$round" =~ ^"$(dirname "$KORVADA_LINUX_SETUP")/korvada --daily --name $linux_name --ticket "[A-Za-z0-9_-]{43}" "(--window )?"0TYAY "$ ]] ||
  fail "Today's round ran '$round'"
wait_game_window
steer_to_bubbles "$(linux_game)" 20 || fail "the Linux game could not be steered"
end_round space "$(linux_game)"
[ "$EXIT_CODE" = ended ] || fail "the Linux game did not end"
wait_until "$X_WAIT" sent korvada-setup || fail "korvada-setup sent no round: $(tail -n 5 "$WORK/stderr")"
linux_sent=$(sent_count korvada-setup)
linux_played=$(ended_with)
[ "$linux_sent" = "$linux_played" ] || fail "the Linux game ended with $linux_played bubbles, the dialog sent $linux_sent"
note "korvada-setup ran '$round', the game ended with $(bubbles "$linux_played"), sent: $linux_sent"
wait_focused_window "Korvada – settings"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "korvada-setup ended with $EXIT_CODE"

# --- KorvadaSetup.exe: the same lines in %APPDATA%\Korvada\launch-code.txt,
# with Windows' line ends. The lane's prefix outlives the test: nothing of
# an earlier round waits or counts.
saved=$(saved_code_file)
appdata=$(dirname "$saved")
rm -rf "$appdata"
mkdir -p "$appdata"
printf '0TYAY window\r\nname %s\r\nboard %s\r\n' "$wine_name" "$origin" >"$saved"
LANG=C.UTF-8 start_wine "$data_dir" -all "$setup_exe"
wait_wine_window "Korvada – settings"
sleep 1
xdotool key alt+t
wait_until "$X_WAIT" game_started --daily || fail "Today's round started no korvada.exe: $(x_program_stderr | tail -n 5)"
pid=$(game_pid --daily)
# Wine pads the command line with blanks.
round=$(tr '\0' ' ' <"/proc/$pid/cmdline" | sed 's/ *$//')
[[ "$round" =~ "korvada.exe --daily --name $wine_name --ticket "[A-Za-z0-9_-]{43}" "(--window )?"0TYAY"$ ]] ||
  fail "Today's round ran '$round'"
wait_wine_window
steer
end_round space "$pid"
[ "$EXIT_CODE" = ended ] || fail "korvada.exe did not end"
dialog_back "Korvada – settings"
wait_until "$X_WAIT" sent KorvadaSetup || fail "KorvadaSetup.exe sent no round: $(x_program_stderr | tail -n 5)"
wine_sent=$(sent_count KorvadaSetup)
wine_played=$(ended_with)
[ "$wine_sent" = "$wine_played" ] || fail "korvada.exe ended with $wine_played bubbles, the dialog sent $wine_sent"
[ -z "$(ls -A "$appdata/waiting-rounds" 2>/dev/null)" ] || fail "the round still waits: $(ls "$appdata/waiting-rounds")"
note "KorvadaSetup.exe ran '$round', the game ended with $(bubbles "$wine_played"), sent: $wine_sent"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "KorvadaSetup.exe ended with $EXIT_CODE"

# The board's day as JSON: each name listed once; the id and bubbles of NAME.
day_json() { curl -sS --max-time 30 "$origin/api/days/$day"; }
listed() {
  python3 -c 'import json, sys
rounds = json.loads(sys.argv[1])["rounds"]
named = [r for r in rounds if r["name"] == sys.argv[2]]
assert len(named) == 1, rounds
print(named[0]["id"], named[0]["bubbles"])' "$(day_json)" "$1"
}
found=$(listed "$linux_name") || fail "the board's day: $(day_json)"
read -r linux_id linux_listed <<<"$found"
found=$(listed "$wine_name") || fail "the board's day: $(day_json)"
read -r wine_id wine_listed <<<"$found"
[ "$linux_listed" = "$linux_sent" ] || fail "the board lists $linux_listed bubbles for $linux_name, korvada-setup sent $linux_sent"
[ "$wine_listed" = "$wine_sent" ] || fail "the board lists $wine_listed bubbles for $wine_name, KorvadaSetup.exe sent $wine_sent"

# --- The page, from the board's own address: its round, then the two others
# from their links.
watch=$(printf '[{"id":"%s","name":"%s","bubbles":%s},{"id":"%s","name":"%s","bubbles":%s}]' \
  "$linux_id" "$linux_name" "$linux_sent" "$wine_id" "$wine_name" "$wine_sent")
KORVADA_BOARD_ORIGIN=$origin KORVADA_PAGE_NAME=$page_name KORVADA_WATCH=$watch KORVADA_EVIDENCE="$WORK/page-evidence" \
  timeout 240 node "$page_part" round >"$WORK/page.out" 2>"$WORK/page.err" ||
  fail "the page: $(cat "$WORK/page.err" "$WORK/page.out")"
sed 's/^/   page: /' "$WORK/page.out"
page_sent=$(sed -n 's/^sent \([0-9]*\)$/\1/p' "$WORK/page.out")
[ -n "$page_sent" ] || fail "the page said no round sent: $(cat "$WORK/page.out")"
found=$(listed "$page_name") || fail "the board's day: $(day_json)"
read -r page_id page_listed <<<"$found"
[ "$page_listed" = "$page_sent" ] || fail "the board lists $page_listed bubbles for $page_name, the page sent $page_sent"
note "the board's day: $(day_json)"

# --- Each round as the board keeps it: its recording plays to its count in
# korvada-replay, and the day's page lists the name with it.
curl -sS --max-time 30 -H 'Accept-Language: en' "$origin/board/$day" -o "$WORK/day.html" || fail "no day's page"
for who in linux wine page; do
  id_var=${who}_id name_var=${who}_name count_var=${who}_sent
  id=${!id_var} name=${!name_var} count=${!count_var}
  curl -sS --max-time 30 -f "$origin/api/rounds/$id.kvr" -o "$WORK/$who.kvr" || fail "the board gave no recording of $id"
  replayed=$("$KORVADA_REPLAY" --recording "$WORK/$who.kvr" | awk '$1 == "bottle" && $2 == 0 { s = $11 } END { print s }')
  [ "$replayed" = "$count" ] || fail "$name's round $id plays to '$replayed' bubbles in korvada-replay, the board lists $count"
  escaped=$(python3 -c 'import html, sys; print(html.escape(sys.argv[1]))' "$name")
  row=$(grep -F "<td class=\"name\">$escaped</td>" "$WORK/day.html")
  [[ "$row" =~ \<td\ class=\"name\"\>[^\<]*\</td\>\<td[^\>]*\>([0-9]+)\</td\> ]] && [ "${BASH_REMATCH[1]}" = "$count" ] ||
    fail "the day's page does not list $name with $count: $(grep -F '<tr>' "$WORK/day.html")"
  note "$name: round $id, $(bubbles "$count") on the board, in korvada-replay and on the day's page"
done

# --- Watched in the other programs: the title names the player and the
# count, and the round ends with it (KORVADA_PRINT_HEIGHT's line).
watched_title() { echo "^Korvada – $1's round, .*, $(bubbles "$2")\$"; }
# The window's title as UTF-8.
window_title() { xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'; }
# watched_to_end PROGRAM WHO WINDOW: the round of WHO's that PROGRAM just
# started to watch in WINDOW bears its player's name and count in its
# title; Tab held plays it faster, the same course, to that count; Space
# on its end screen closes the program.
watched_to_end() {
  local program=$1 name_var=${2}_name count_var=${2}_sent title
  title=$(window_title "$3")
  [[ "$title" =~ $(watched_title "${!name_var}" "${!count_var}") ]] || fail "$program watches '$title'"
  xdotool keydown Tab
  wait_until "$X_WAIT" round_over || fail "$program's playback of $2.kvr did not end"
  xdotool keyup Tab
  [ "$(ended_with)" = "${!count_var}" ] || fail "${!name_var}'s round ends with $(ended_with) bubbles in $program"
  sleep 1.8
  close_with key space
  [ "$EXIT_CODE" = 0 ] || fail "$program watching $2.kvr ended with $EXIT_CODE"
  note "$program watched '$title' to its end with $(ended_with)"
}
for who in wine page; do
  start_program "$KORVADA_DATA_DIR" "$KORVADA_LINUX" --watch "$WORK/$who.kvr" --window 0TYAY
  wait_game_window
  watched_to_end "the Linux game" "$who" "$GAME_WINDOW"
done
for who in linux page; do
  start_wine "$data_dir" -all "$KORVADA_EXE" --watch "$(winepath -w "$WORK/$who.kvr" 2>/dev/null)" --window 0TYAY
  wait_wine_window
  watched_to_end korvada.exe "$who" "$WINDOW"
done
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
note "ok: $linux_name $(bubbles "$linux_sent"), $wine_name $(bubbles "$wine_sent"), $page_name $(bubbles "$page_sent")"
