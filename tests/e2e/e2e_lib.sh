# Shared by the end-to-end tests: a private X display (Xvfb + openbox), the
# game started on it, keys by xdotool, screenshots, and cleanup of everything
# started here. Source it, then call e2e_setup KORVADA DATA_DIR.
#
# Every wait is bounded; a failed check prints why and exits 1, and the EXIT
# trap ends the processes this script started (by their ids).

set -u

E2E_PIDS=()
GAME_PID=
GAME_WINDOW=
E2E_KEEP=${E2E_KEEP:-}

fail() {
    echo "FAIL: $*" >&2
    if [ -n "${WORK:-}" ] && [ -f "$WORK/stderr" ]; then
        echo "--- the game's stderr:" >&2
        cat "$WORK/stderr" >&2
    fi
    E2E_KEEP=1
    exit 1
}

note() { echo "-- $*"; }

e2e_cleanup() {
    local pid
    [ -n "$GAME_PID" ] && kill -9 "$GAME_PID" 2>/dev/null
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    if [ -n "$E2E_KEEP" ]; then
        echo "(screenshots and logs kept in $WORK)" >&2
    else
        rm -rf "$WORK"
    fi
}

# e2e_setup KORVADA DATA_DIR [WIDTHxHEIGHT]: a display of that size (800x600)
# with a window manager, key repeat off (repeats would make key tests depend
# on timing).
e2e_setup() {
    KORVADA=$1
    DATA=$2
    local size=${3:-800x600}
    [ -x "$KORVADA" ] || fail "no program at $KORVADA"
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/korvada-e2e.XXXXXX")
    trap e2e_cleanup EXIT
    start_x_server xvfb.log Xvfb -screen 0 "${size}x24" -nolisten tcp -noreset
}

# start_x_server LOG SERVER ARG...: the server on a display it picks itself
# (-displayfd), its output in $WORK/LOG; DISPLAY set once it answers, then
# the window manager.
start_x_server() {
    local log=$1 i
    shift
    exec 7>"$WORK/display"
    "$@" -displayfd 7 >"$WORK/$log" 2>&1 &
    E2E_PIDS+=($!)
    exec 7>&-
    for i in $(seq 200); do
        [ -s "$WORK/display" ] && break
        sleep 0.05
    done
    [ -s "$WORK/display" ] || fail "$1 did not start (see $WORK/$log)"
    export DISPLAY=":$(head -n1 "$WORK/display")"
    start_window_manager
}

start_window_manager() {
    local i
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    for i in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
    xset r off
}

# e2e_setup_switching KORVADA DATA_DIR: an X server that really switches
# display modes (Xorg with its dummy driver: 1024x768, with 800x600 and the
# other usual modes below it, but none larger), with a window manager. Xvfb
# has one mode only, so a mode left switched can be seen only here.
e2e_setup_switching() {
    KORVADA=$1
    DATA=$2
    [ -x "$KORVADA" ] || fail "no program at $KORVADA"
    command -v Xorg >/dev/null && [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] ||
        fail "Xorg with its dummy driver is needed (xserver-xorg-core, xserver-xorg-video-dummy)"
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/korvada-e2e.XXXXXX")
    trap e2e_cleanup EXIT
    cat >"$WORK/xorg.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 16384
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
    Virtual 1024 768
  EndSubSection
EndSection
CONF
    start_x_server xorg.out Xorg -config "$WORK/xorg.conf" -noreset -nolisten tcp -logfile "$WORK/xorg.log"
}

# The X screen's current size, WIDTHxHEIGHT.
screen_mode() { xrandr 2>/dev/null | sed -n 's/.*current \([0-9]*\) x \([0-9]*\),.*/\1x\2/p'; }

# The game window's place on the screen, WIDTHxHEIGHT+X+Y.
window_geometry() {
    xwininfo -id "$GAME_WINDOW" 2>/dev/null | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ *Width/ {w = $NF} /^ *Height/ {h = $NF} END {print w "x" h "+" x "+" y}'
}

# wait_screen_mode SIZE SECONDS: waits for the X screen to be at SIZE.
wait_screen_mode() {
    local i
    for i in $(seq $(($2 * 10))); do
        [ "$(screen_mode)" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# start_game CODE [FOLDER] [ENV=VALUE...]: the game in the background, run from
# FOLDER (the data folder by default), its stderr in $WORK/stderr.
start_game() {
    local code=$1 folder=${2:-$DATA}
    shift $(($# >= 2 ? 2 : 1))
    (cd "$folder" && exec env "$@" "$KORVADA" "$code") 2>"$WORK/stderr" >"$WORK/stdout" &
    GAME_PID=$!
}

game_running() { [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; }

# wait_exit SECONDS: waits for the game to end; EXIT_CODE is its exit code,
# or "timeout" when it is still running. (Not in $(...): a subshell cannot
# wait for the game.)
wait_exit() {
    local i
    EXIT_CODE=timeout
    for i in $(seq $(($1 * 20))); do
        game_running || break
        sleep 0.05
    done
    game_running && return
    EXIT_CODE=0
    wait "$GAME_PID" || EXIT_CODE=$?
    GAME_PID=
}

# end_game KEY: Esc ends the round; KEY (space or Return) held once the end
# screen has shown for its 1.6 s must close the game with exit code 0.
end_game() {
    xdotool key Escape
    sleep 1.8
    xdotool keydown "$1"
    wait_exit 2
    xdotool keyup "$1"
    [ "$EXIT_CODE" = 0 ] || fail "$1 on the end screen: exit code $EXIT_CODE, expected 0"
}

# wait_focused_window TITLE: FOCUSED_WINDOW, the visible window named TITLE,
# once it has the focus (keys go to the focus); fails after 10 s, or when
# the program started last has ended.
wait_focused_window() {
    local i
    FOCUSED_WINDOW=
    for i in $(seq 200); do
        game_running || fail "the program ended before its window '$1' appeared"
        FOCUSED_WINDOW=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
        [ -n "$FOCUSED_WINDOW" ] && [ "$(xdotool getactivewindow 2>/dev/null)" = "$FOCUSED_WINDOW" ] && return 0
        sleep 0.05
    done
    [ -n "$FOCUSED_WINDOW" ] || fail "no visible window named '$1' within 10 s"
    fail "the window '$1' never got the focus"
}

# wait_game_window: the game's window (GAME_WINDOW) shown and focused.
wait_game_window() {
    wait_focused_window Korvada
    GAME_WINDOW=$FOCUSED_WINDOW
    sleep 0.3  # a few frames, so that screenshots show the scene
}

# error_box: the id of an open error box ("Chyba"), or nothing.
error_box() { xwininfo -root -tree 2>/dev/null | awk '/"Chyba"/ {print $1; exit}'; }

# dismiss_boxes COUNT: waits for COUNT error boxes in turn and closes each
# with Enter, as a player would.
dismiss_boxes() {
    local n box i
    for n in $(seq "$1"); do
        box=
        for i in $(seq 200); do
            box=$(error_box)
            [ -n "$box" ] && break
            game_running || fail "the game ended while box $n of $1 was awaited"
            sleep 0.05
        done
        [ -n "$box" ] || fail "error box $n of $1 did not appear within 10 s"
        [ "$n" = 1 ] && shot box
        # The next box may come back under the same window id, but its text
        # reaches stderr first: a longer stderr means this box is gone.
        local lines closed=
        lines=$(wc -l <"$WORK/stderr")
        for i in $(seq 20); do
            xdotool windowfocus "$box" 2>/dev/null
            xdotool key Return 2>/dev/null
            sleep 0.1
            if [ -z "$(error_box)" ] || [ "$(wc -l <"$WORK/stderr")" -gt "$lines" ]; then
                closed=1
                break
            fi
        done
        [ -n "$closed" ] || fail "error box $n would not close"
    done
}

# PPM: PNG compression of a full screen costs seconds on this kind of machine.
shot() { import -window root "ppm:$WORK/$1.ppm" || fail "screenshot $1 failed"; }

# Seconds of CPU the process has used so far (user + system).
cpu_seconds() { awk -v hz="$(getconf CLK_TCK)" '{printf "%.2f\n", ($14 + $15) / hz}' "/proc/$1/stat"; }

# cpu_share PID SECONDS: percent of one core used over that many seconds.
cpu_share() {
    local before after
    before=$(cpu_seconds "$1")
    sleep "$2"
    after=$(cpu_seconds "$1")
    awk -v a="$before" -v b="$after" -v s="$2" 'BEGIN {printf "%d\n", (b - a) * 100 / s}'
}

# Image helpers (python3 on ImageMagick's plain PPM output).
IMAGE_TOOL=$(dirname "${BASH_SOURCE[0]}")/image_tool.py
image() { python3 "$IMAGE_TOOL" "$@"; }
