# Shared by the Wine tests of korvada.exe; sourced, not run. The display,
# the program's run and its boxes are the X harness's (tests/x_harness.sh);
# here are the Wine prefix, the message-box trace and the display registry.
#
# Environment (set by ctest): KORVADA_EXE, KORVADA_WINE_PREFIX, KORVADA_WINE_WORK.
source "$(dirname "${BASH_SOURCE[0]}")/../x_harness.sh"
set -o pipefail

: "${KORVADA_EXE:?path of korvada.exe}"
: "${KORVADA_WINE_PREFIX:?path of the Wine prefix}"
: "${KORVADA_WINE_WORK:?scratch directory}"

harness_begin "$KORVADA_WINE_WORK/$(basename "$0" .sh)"
data_dir=$(dirname "$KORVADA_EXE")

export WINEPREFIX="$KORVADA_WINE_PREFIX" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

[ -f "$KORVADA_EXE" ] || fail "$KORVADA_EXE is missing: build it with cmake --preset win64 && cmake --build --preset win64"

at_exit 'timeout 60 wineserver -k 2>/dev/null'

# The prefix is made once per build folder by wineboot, beside the lanes'
# (KORVADA_WINE_PREFIX: about 700 MB, 15 s on an idle machine and a minute on
# a busy one), and copied for each lane (copy_prefix), where the lane's tests
# take turns; a test that changes what the others rely on plays in a copy
# of its own (fresh_prefix). The locks keep two tests from making a prefix,
# or running in one, at once.
WINE_MADE_PREFIX="$(dirname "$KORVADA_WINE_PREFIX")/wineprefix-made"
make_prefix() {
  [ -f "$WINE_MADE_PREFIX/.korvada-ready" ] && return 0
  rm -rf "$WINE_MADE_PREFIX"
  WINEPREFIX=$WINE_MADE_PREFIX DISPLAY= timeout 180 wineboot -i >"$WORK/wineboot.log" 2>&1 ||
    fail "wineboot failed, see $WORK/wineboot.log"
  WINEPREFIX=$WINE_MADE_PREFIX timeout 60 wineserver -w
  # A crash must end the run, not wait on a dialog; and there is no sound card.
  WINEPREFIX=$WINE_MADE_PREFIX timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f >/dev/null || fail "cannot turn off the crash dialog"
  WINEPREFIX=$WINE_MADE_PREFIX timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null ||
    fail "cannot turn off sound"
  WINEPREFIX=$WINE_MADE_PREFIX timeout 60 wineserver -w
  touch "$WINE_MADE_PREFIX/.korvada-ready"
}

# copy_prefix TO: the made prefix copied to TO in a second or two: Wine's
# own libraries and programs (system32 and winsxs, nine tenths of it, never
# written once made) linked, the rest (the registry, the users' folders)
# copied.
copy_prefix() {
  local linked
  rm -rf "$1"
  cp -a --link "$WINE_MADE_PREFIX" "$1" || fail "cannot copy the Wine prefix to $1"
  find "$1" \( -path "$1/drive_c/windows/system32" -o -path "$1/drive_c/windows/winsxs" \) -prune -o \
    -type f -links +1 -exec sh -c 'for f; do cp -p "$f" "$f.copy" && mv "$f.copy" "$f"; done' copy {} + ||
    fail "cannot copy the Wine prefix to $1"
  rm -f "$1/.korvada-ready"
}

# fresh_prefix: this test plays in a copy of the made prefix of its own,
# removed at its end. Before anything runs in the prefix.
fresh_prefix() {
  export WINEPREFIX="$WORK/prefix"
  copy_prefix "$WINEPREFIX"
  at_exit 'rm -rf "$WORK/prefix"'
}

exec 8>"$WINE_MADE_PREFIX.lock"
flock -w 300 8 || fail "the made Wine prefix stays locked"
make_prefix
exec 8>&-
exec 9>"$KORVADA_WINE_PREFIX.lock"
flock -w 300 9 || fail "the Wine prefix stays locked"
if [ ! -f "$WINEPREFIX/.korvada-ready" ]; then
  copy_prefix "$WINEPREFIX"
  touch "$WINEPREFIX/.korvada-ready"
fi

# Wine's X events, focus among them (its channel event: a few hundred lines
# a minute), go into each program's stderr: a failing test keeps their end
# apart from what the program says (x_keep_evidence).
export WINE_FOCUS_TRACE=${WINE_FOCUS_TRACE:-+event}
X_DEBUG_LINES='^[0-9a-f]+:trace:event:'

# Each program runs through exit_code_keeper.exe, which writes the exit code
# Windows gives it to $WORK/exit-code (wait_exit reads it): Wine's server
# may end a process slow to leave with SIGKILL, and its Unix parent would
# see 137 for a program that exited 0.
WINE_KEEPER="${KORVADA_WINE_TOOLS:-$(dirname "$KORVADA_EXE")}/exit_code_keeper.exe"
[ -f "$WINE_KEEPER" ] || fail "$WINE_KEEPER is missing: build the Windows programs"
export KORVADA_EXIT_CODE_FILE="Z:$WORK/exit-code"

# start_wine DIR WINEDEBUG EXE ARG...: EXE under Wine in the background, with
# DIR as its working folder (start_program: GAME_PID, $WORK/stderr).
start_wine() {
  local dir=$1 debug=$2
  shift 2
  start_program "$dir" env WINEDEBUG="$debug,$WINE_FOCUS_TRACE" wine "$WINE_KEEPER" "$@"
}

# The texts of the boxes shown so far, one a line, decoded from the trace
# (WINEDEBUG=trace+msgbox).
box_texts() {
  perl -CS -ne 'while (/MSGBOX_OnInit L"(.*?)"/g) { my $t = $1; $t =~ s/\\([0-9a-f]{4})/chr(hex($1))/ge; print "$t\n" }' \
    "$WORK/stderr"
}

# wait_wine_window [TITLE]: the window TITLE (Korvada unless told) once it
# shows, with the focus: Wine may show it without, and a key sent before
# the focus comes is lost.
wait_wine_window() {
  wait_window "${1:-Korvada( – .+ [0-9]+ [^ ,]+)?}"
  focus_window "$WINDOW"
}

# The mode Wine gives as the display's registry mode (what the game reads
# as the desktop's and gives back on leaving) lives in the display adapter's
# key, which Wine makes anew in each session: keep the session (wineserver -p)
# from the change to the game's end. The desktop process, as it starts,
# writes the screen's mode there too: it is ready before the change and held
# to the end (keep_desktop), so that the game's start leaves the mode alone.
display_key() {
  timeout 60 wineserver -p
  keep_desktop
  timeout 60 wine reg query 'HKCC\System\CurrentControlSet\Control\Video' /s 2>/dev/null | tr -d '\r' |
    grep -m1 '\\0000$'
}

# keep_desktop: the session's desktop process (explorer) ready, and held
# until the test ends by a program that waits in it (desktop_keeper.exe);
# without it the desktop process ends with each program and starts afresh
# with the next.
keep_desktop() {
  [ -n "${X_DESKTOP_KEEPER:-}" ] && return
  local keeper
  keeper="$(dirname "$KORVADA_EXE")/desktop_keeper.exe"
  [ -f "$keeper" ] || fail "$keeper is missing: build the Windows programs"
  wine "$keeper" >"$WORK/desktop-keeper" 2>&1 </dev/null &
  X_DESKTOP_KEEPER=$!
  track "$X_DESKTOP_KEEPER"
  wait_until "$X_WAIT" grep -q "^ready" "$WORK/desktop-keeper" || fail "Wine's desktop process did not start"
}

# Little-endian hex of a 32-bit number, as the registry's binary values hold it.
le32() { printf '%02X%02X%02X%02X' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }

# set_registry_mode SCREEN_SIZE SIZE: the registry mode becomes SIZE (WxH),
# copied from the screen's own mode (SCREEN_SIZE) with the size changed.
set_registry_mode() {
  local key mode
  key=$(display_key)
  [ -n "$key" ] || fail "Wine made no display adapter key"
  mode=$(timeout 60 wine reg query "$key" /v 'Modes\00000000' | tr -d '\r' | awk '/REG_BINARY/ {print $3}')
  local from="$(le32 "${1%x*}")$(le32 "${1#*x}")" to="$(le32 "${2%x*}")$(le32 "${2#*x}")"
  [[ "$mode" == *"$from"* ]] || fail "the screen's mode does not hold its size $1"
  timeout 60 wine reg add "$key" /v 'Modes\FFFFFFFE' /t REG_BINARY /d "${mode/$from/$to}" /f >/dev/null ||
    fail "cannot set the registry mode"
}

# forget_registry_mode: no registry mode at all, so that asking for it fails.
forget_registry_mode() {
  local key
  key=$(display_key)
  [ -n "$key" ] || fail "Wine made no display adapter key"
  timeout 60 wine reg delete "$key" /v 'Modes\FFFFFFFE' /f >/dev/null 2>&1 || true
}

# The launch code the setup saves, %APPDATA%\Korvada\launch-code.txt.
saved_code_file() {
  echo "$(find "$WINEPREFIX/drive_c/users" -maxdepth 1 -mindepth 1 -type d ! -name Public | head -1)/AppData/Roaming/Korvada/launch-code.txt"
}

# wine_pid TEXT: the process whose command line holds TEXT (Wine shows the
# Windows path and the arguments), or nothing.
wine_pid() {
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | grep -qF "$1" || continue
    # Only this test's prefix: the other lane runs its own programs meanwhile.
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && basename "$p" && return
  done
  return 0
}
wine_started() { [ -n "$(wine_pid "$1")" ]; }

# scene_drawn: the screen shows a scene (200 colours or more; COLOURS).
COLOURS=0
scene_drawn() {
  import -window root "png:$WORK/scene.png"
  COLOURS=$(convert "$WORK/scene.png" -format %k info:)
  [ "$COLOURS" -ge 200 ]
}

# dialog_back TITLE: the setup's dialog shown again once the game it started
# has ended, with the focus. The window manager gives it the focus as it
# maps it again; should that be lost, the test asks again as a player clicks
# it (focus_window), and says so.
dialog_back() {
  wait_window "$1"
  if ! wait_until 3 x_active "$WINDOW"; then
    note "the dialog came back without the focus (active: $(xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //')): asked for it"
    focus_window "$WINDOW"
  fi
  sleep 0.5
}

# korvada.exe started by the setup, found by its command line.
game_pid() { wine_pid '\korvada.exe '"$1"; }
game_started() { [ -n "$(game_pid "$1")" ]; }

# play_round_from_setup TEXT [WHILE]: the game the setup started, its
# command line holding TEXT (in ROUND), shows its window and ends by Esc
# and Space, once WHILE, when given, has run as it plays.
play_round_from_setup() {
  wait_until "$X_WAIT" game_started "$1" ||
    fail "korvada.exe $1 was not started: $(tr -d '\r' <"$WORK/stderr" | grep -a '^KorvadaSetup' | tail -n 3)"
  local pid
  pid=$(game_pid "$1")
  ROUND=$(tr '\0' ' ' </proc/"$pid"/cmdline)
  [ -z "${2:-}" ] || "$2"
  wait_wine_window
  sleep 1
  end_round space "$pid"
  [ "$EXIT_CODE" = ended ] || fail "the game did not end"
}

# play_from_setup TEXT FOLDER: after Play in the setup (GAME_PID), the game
# whose command line holds TEXT runs in FOLDER and draws its scene; Esc and
# Space end its round, the dialog comes back, and Esc closes the setup with
# exit code 0.
play_from_setup() {
  local pid
  wait_until "$X_WAIT" wine_started "$1" || fail "the setup did not start '$1'"
  pid=$(wine_pid "$1")
  note "started by the setup: $(tr '\0' ' ' <"/proc/$pid/cmdline") in $(readlink "/proc/$pid/cwd")"
  [ "$(readlink "/proc/$pid/cwd")" = "$(cd "$2" && pwd -P)" ] || fail "the game does not run in $2"
  wait_until "$X_WAIT" scene_drawn || fail "the game started by the setup draws no scene ($COLOURS colours)"
  wait_wine_window
  end_round space "$pid"
  [ "$EXIT_CODE" = ended ] || fail "the game started by the setup did not end"
  dialog_back "Korvada – settings"
  xdotool key Escape
  wait_exit
  [ "$EXIT_CODE" = 0 ] || fail "KorvadaSetup.exe ended with $EXIT_CODE"
}

# start_traced_game ARG...: korvada.exe ARG... under Wine in its folder, its
# frames traced into $WORK/view.log (view_trace.awk), with the game's own
# lines on stderr ("korvada: ..."); its stdout in $WORK/stdout. The exit code
# is the game's. The trace is megabytes a frame: grep takes the few lines
# read first, or the game would wait on the pipe. The focus trace goes to
# $WORK/debug-channel.
WINE_VIEW_TRACE=$(realpath "$(dirname "${BASH_SOURCE[0]}")/view_trace.awk")
start_traced_game() {
  start_program "$data_dir" bash -c 'log=$1 focus=$2; shift 2
    exec 3>&1
    WINEDEBUG="-all,trace+opengl,$WINE_FOCUS_TRACE" wine "$@" 2>&1 >&3 3>&- |
      grep --line-buffered -a -F -e glViewport -e glRotatef -e glTranslatef -e :trace:event: -e "korvada: " |
      awk -v focus="$focus" -f "$0" >"$log"
    exit "${PIPESTATUS[0]}"' "$WINE_VIEW_TRACE" "$WORK/view.log" "$WORK/debug-channel" "$WINE_KEEPER" "$KORVADA_EXE" "$@"
}
# On a loaded machine the trace runs seconds behind the game. A reading that
# must show the game as it stands now, at rest, waits until grep and awk have
# read all the game wrote, both waiting on their pipes (trace_caught_up; a
# game that runs may keep them behind).
x_trace_drained() {
  local pid found=
  for pid in $(pgrep -P "$GAME_PID"); do
    case "$(cat "/proc/$pid/comm" 2>/dev/null)" in
      grep | awk | mawk | gawk)
        found=1
        [[ "$(cat "/proc/$pid/wchan" 2>/dev/null)" == *pipe_read ]] || return 1
        ;;
    esac
  done
  [ -n "$found" ]
}
trace_caught_up() { wait_until "$X_WAIT" x_trace_drained || note "the trace is still behind the game" >&2; }
caught_up_height() { trace_caught_up; drawn_height; }
caught_up_x() { trace_caught_up; bottle_x; }
frames() { cat "$WORK/view.log" 2>/dev/null | grep -c '^camera' || true; }
frames_past() { [ "$(frames)" -gt "$1" ]; }
# The last viewport set, "X Y W H".
last_viewport() { awk '/^viewport/ { v = $2 " " $3 " " $4 " " $5 } END { print v }' "$WORK/view.log"; }
# The player's bottle in the last frame drawn.
bottle_x() { awk '/^camera/ { x = -$2 } END { print x }' "$WORK/view.log"; }
drawn_height() { awk '/^camera/ { h = -50 - $3 } END { print h }' "$WORK/view.log"; }
# player_height: the height in the next frame drawn (return_to_game's).
player_height() {
  local drawn
  drawn=$(frames)
  wait_until "$X_WAIT" frames_past "$drawn" || fail "no frame drawn within $X_WAIT s"
  drawn_height
}
