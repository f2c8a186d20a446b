# The one harness of the tests that drive a program on a private X display:
# the Linux game's end-to-end tests, the Windows program's tests under Wine,
# and the package tests. Source it; then, in the order they stand below:
#
# The test and what it started
#   fail MESSAGE / note MESSAGE  (fail also tells where a program still
#                              running waits: its threads, and with gdb their
#                              stacks; and keeps the screen, the windows and the
#                              logs in a folder it names: x_keep_evidence)
#   harness_begin [DIR]        WORK: a fresh scratch folder (DIR, emptied, or a
#                              new temporary one, removed at exit unless a
#                              check failed); the EXIT trap ends what was started
#   at_exit COMMAND            run COMMAND (a string) first when the test ends
#   track PID                  end PID when the test ends
#   wait_until SECONDS CMD...  0 as soon as CMD succeeds, 1 after SECONDS
#   wait_acting SECONDS ACTION CMD...  the same, ACTION done at once and again
#                              each second until CMD succeeds
# Displays
#   start_display SERVER [SIZE [SCALE]]  a display server on a display it picks
#                              itself, ready, with its window manager; DISPLAY
#                              set, key repeat off. SERVER: xvfb (SIZE, 800x600
#                              when not given), xorg-dummy (1024x768, switches
#                              modes), weston (a Wayland desktop of SIZE pixels,
#                              1920x1080 when not given, at SCALE, 1 when not
#                              given: WAYLAND_DISPLAY and XDG_RUNTIME_DIR set,
#                              DISPLAY its Xwayland), mutter (headless, SIZE,
#                              the same, with XAUTHORITY for its Xwayland) or
#                              weston-headless NAME [xwayland] (no seat: no
#                              keyboard, no pointer; on the socket NAME, with
#                              its Xwayland as DISPLAY or DISPLAY unset)
#   display_xvfb, display_xorg_dummy, display_weston, display_mutter,
#   display_weston_headless    start_display's servers, one each
#   start_openbox              openbox on DISPLAY, once it manages windows
#   weston_shot NAME [SCALE]   what weston shows, in $WORK/NAME.ppm (25 % unless told)
#   wait_weston_covered NAME   the picture over all of weston's output (LIT, CHANGE)
# The program under test
#   start_program DIR CMD...   CMD in the background in DIR (exec'd: GAME_PID
#                              is CMD's own process); stdout and stderr in
#                              $WORK/stdout and $WORK/stderr
#   game_running               true while GAME_PID runs
#   wait_exit [SECONDS]        waits for GAME_PID to end; EXIT_CODE is its exit
#                              code, or "timeout". Not in $(...): a subshell
#                              cannot wait for the program
#   close_with KEYS...         xdotool KEYS each second until GAME_PID ends,
#                              then wait_exit
# Windows and boxes
#   find_window TITLE          prints the id of a visible window named TITLE
#   wait_window TITLE          WINDOW: that window once visible; fails when it
#                              does not appear, or GAME_PID ends first
#   wait_focused_window TITLE  WINDOW, once it also has the focus
#   focus_window ID            gives ID the focus, asked again each second,
#                              until it has it
#   bring_back_game            focus_window GAME_WINDOW, a few frames drawn
#   error_box                  prints the id of an open "Chyba" box, or nothing
#   close_box ID               focuses the box ID and presses Enter
#   dismiss_boxes COUNT        waits for COUNT boxes in turn, closes each with Enter
#   answer_boxes               from now on Enter closes every box; their ids
#                              are logged to $WORK/answered
# The round
#   end_round KEY [PID]        Esc, then KEY held once the end screen has shown
#                              for its 1.6 s, until the program (or PID) ends;
#                              EXIT_CODE as wait_exit sets it
#   seconds_since START        wall-clock seconds since START (date +%s.%N)
#   fell_at_most FROM TO SECONDS  the bottle went down from FROM to TO, by no
#                              more than its top speed allows in SECONDS
#   settled_height COMMAND     the height COMMAND tells, once two readings a
#                              second apart agree
#   return_to_game HEIGHT WHERE  the game's window active again, the round going
#                              on from HEIGHT (player_height: the platform's)
# A game in an ordinary window (GAME_WINDOW)
#   client_shot NAME           a screenshot; CX CY, the window's client area on it
#   lit NAME X Y W H           the lit share of that box of screenshot NAME
#   above A B                  true when the number A is above B
#   bars_and_picture NAME W H BAR1 BAR2 MIDDLE  the window resized to W x H,
#                              its bars dark and its middle lit
#   resized_with_bars          wider, then taller: bars at the sides, then
#                              at the top and bottom
#   window_mode_checks SIZE SCREEN HELD_HEIGHT  a game in an ordinary window,
#                              from its title bar to its close
# Full screen and a window in turn (Alt+Enter, F11), on xorg-dummy
#   toggle_checks              a 0TYAY game full screen (GAME_WINDOW) to a
#                              window and back, twice, the round going on; the
#                              end screen survives the chord, and Enter closes
#                              it after the chord's was let go elsewhere
#   refused_toggle_checks      a --window game of a size the screen has no
#                              mode for: F11 keeps the window, a line on stderr
# The Linux game
#   e2e_setup KORVADA DATA_DIR [SIZE [SERVER]]  KORVADA and DATA, harness_begin
#                              and start_display SERVER SIZE (xvfb, 800x600)
#   start_game CODE [FOLDER] [ENV=VALUE...]  the game, run from FOLDER (DATA)
#   end_game KEY               end_round KEY, and exit code 0
#   wait_game_window           GAME_WINDOW: the game's window shown and
#                              focused, a few frames drawn
#   screen_mode                the X screen's current size, WIDTHxHEIGHT
#   wait_screen_mode SIZE      waits for the X screen to be at SIZE
#   window_geometry            GAME_WINDOW's place, WIDTHxHEIGHT+X+Y
#   size_code SIZE             the launch code's first character for SIZE
#                              (WIDTHxHEIGHT): its first row in the game's own
#                              table, as `korvada --help` prints it (the Linux
#                              program: KORVADA_LINUX, else KORVADA)
#   past_the_table             the first character after the table's last row
# Screenshots, the processor, pictures
#   shot NAME                  the screen in $WORK/NAME.ppm
#   shot_scene NAME [X Y W H]  shots until the scene is drawn; LIT, its lit share
#   cpu_seconds PID            the processor time PID has used so far
#   cpu_share PID SECONDS      percent of one core PID uses over SECONDS
#   image ARGS...              tests/e2e/image_tool.py on the system's python3
#
# The x_* functions are the helpers' own: the conditions their waits poll,
# and the steps of the display servers. Each reads what it needs from its
# arguments and the globals named above, never from its caller's locals.
#
# Every wait returns as soon as its condition holds and gives up only after
# what a busy two-core machine needs (a Wine test or a browser beside it):
# X_WAIT seconds, 60 unless set.

set -u

X_WAIT=${X_WAIT:-60}
# The programs under test draw with Mesa on the processor, as fast as they
# can: one drawing thread each leaves more of the two cores to the tests
# beside them, and changes nothing the tests look at.
export LP_NUM_THREADS=${LP_NUM_THREADS:-1}
X_PIDS=()
X_AT_EXIT=()
GAME_PID=
WINDOW=
BOX=
EXIT_CODE=
WORK=
X_KEEP=${X_KEEP:-}
X_TEMPORARY=

fail() {
    echo "FAIL: $*" >&2
    if [ -n "$WORK" ] && [ -s "$WORK/stderr" ]; then
        echo "--- the program's stderr (last 40 lines):" >&2
        x_program_stderr | tail -n 40 >&2
    fi
    game_running && x_where_program_waits >&2
    x_keep_evidence >&2
    X_KEEP=1
    exit 1
}

# A debug channel the program traces into its stderr (the Wine harness's
# focus trace): an extended regular expression for its lines, kept apart
# from what the program itself says.
X_DEBUG_LINES=${X_DEBUG_LINES:-}
x_program_stderr() {
    if [ -n "$X_DEBUG_LINES" ]; then grep -avE "$X_DEBUG_LINES" "$WORK/stderr"; else cat "$WORK/stderr"; fi
}

# x_keep_evidence: what the screen and the window manager held when the test
# failed, in KORVADA_EVIDENCE (ctest sets build/test-evidence/TEST) or else
# $WORK/evidence: the screen now (screen.png) and the last shot the test
# took, the window tree with the active and focused window and each managed
# window's states (windows.txt), the program's stderr and stdout, the end of
# the window manager's log with its focus decisions and of the program's
# debug channel. The path and the focus lines are printed.
x_keep_evidence() {
    local dir=${KORVADA_EVIDENCE:-${WORK:+$WORK/evidence}} last
    [ -n "$dir" ] || return 0
    rm -rf "$dir" && mkdir -p "$dir" || return 0
    if [ -n "$WORK" ]; then
        last=$(ls -t "$WORK"/*.ppm "$WORK"/*.png 2>/dev/null | head -n1)
        [ -z "$last" ] || cp "$last" "$dir/last-shot-$(basename "$last")"
        [ -f "$WORK/stderr" ] && x_program_stderr >"$dir/stderr"
        [ -f "$WORK/stdout" ] && cp "$WORK/stdout" "$dir/stdout"
        [ -n "$X_DEBUG_LINES" ] && [ -f "$WORK/stderr" ] &&
            grep -aE "$X_DEBUG_LINES" "$WORK/stderr" | tail -n 400 >"$dir/debug-channel"
        [ -f "$WORK/debug-channel" ] && tail -n 400 "$WORK/debug-channel" >>"$dir/debug-channel"
        [ -f "$WORK/openbox.log" ] && tail -n 200 "$WORK/openbox.log" >"$dir/window-manager.log"
    fi
    if [ -n "${DISPLAY:-}" ] && timeout 10 xprop -root _NET_ACTIVE_WINDOW >/dev/null 2>&1; then
        timeout 30 import -window root "png:$dir/screen.png" 2>/dev/null
        x_windows >"$dir/windows.txt" 2>&1
        echo "--- the display $DISPLAY:"
        grep -E '^(active|focus|0x)' "$dir/windows.txt" | head -n 20
    fi
    echo "--- evidence kept in $dir: $(cd "$dir" && ls | tr '\n' ' ')"
}

# x_windows: the active and the focused window, each managed window (each
# top-level one where no window manager runs) with its name and states, then
# the whole window tree.
x_windows() {
    local ids id
    echo "active: $(timeout 10 xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //')"
    echo "focus: $(timeout 10 xdotool getwindowfocus 2>&1)"
    ids=$(timeout 10 xprop -root _NET_CLIENT_LIST 2>/dev/null | sed -n 's/.*# //p' | tr -d ,)
    [ -n "$ids" ] || ids=$(timeout 10 xwininfo -root -children | awk '/^ +0x/ {print $1}')
    for id in $ids; do
        echo "$id $(timeout 10 xprop -id "$id" WM_NAME _NET_WM_STATE WM_STATE 2>&1 |
            grep -v -e '^WM_STATE(WM_STATE):$' -e 'icon window' | tr -s ' \t\n' ' ')"
    done
    echo
    timeout 10 xwininfo -root -tree
}

note() { echo "-- $*"; }

# A wait that gave up on a program still running says where the program
# stands: each thread's state and kernel wait, and with gdb its stack.
# A program run through another (the Wine harness's keeper) is its child:
# the children are told too.
x_where_program_waits() {
    local task pid
    for pid in "$GAME_PID" $(pgrep -P "$GAME_PID"); do
        echo "--- the program (pid $pid, $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | cut -c1-100)) still runs; its threads:"
        for task in /proc/"$pid"/task/*; do
            echo "$(cat "$task/comm" 2>/dev/null): $(sed -n 's/^State:[[:space:]]*//p' "$task/status" 2>/dev/null)" \
                "in $(cat "$task/wchan" 2>/dev/null)"
        done
        command -v gdb >/dev/null &&
            gdb -p "$pid" -batch -ex 'thread apply all bt 20' 2>/dev/null | grep -E '^(#|Thread)'
    done
}

harness_begin() {
    if [ -n "${1:-}" ]; then
        WORK=$1
        rm -rf "$WORK"
        mkdir -p "$WORK"
    else
        WORK=$(mktemp -d "${TMPDIR:-/tmp}/korvada-x.XXXXXX")
        X_TEMPORARY=1
    fi
    trap x_cleanup EXIT
}

at_exit() { X_AT_EXIT+=("$1"); }
track() { X_PIDS+=("$1"); }

x_cleanup() {
    local pid command
    set +e
    [ -n "$GAME_PID" ] && kill -9 "$GAME_PID" 2>/dev/null
    for command in "${X_AT_EXIT[@]}"; do eval "$command"; done
    for pid in "${X_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${X_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    if [ -n "$X_KEEP" ]; then
        echo "(screenshots and logs kept in $WORK)" >&2
    elif [ -n "$X_TEMPORARY" ]; then
        rm -rf "$WORK"
    fi
}

# A wait that succeeds only after 10 s says so, on stderr (waits run inside
# $(...) too): a test that passes slowly is one that will fail on a busier
# machine, and its log shows which wait.
wait_until() {
    local seconds=$1 started=$SECONDS deadline
    shift
    deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
    [ $((SECONDS - started)) -lt 10 ] || note "waited $((SECONDS - started)) s for: $*" >&2
}

# wait_acting SECONDS ACTION CMD...: ACTION (a string, eval'd) at once and
# again every second while CMD fails, 0 as soon as CMD succeeds, 1 after
# SECONDS: for a wait on what the test's own action causes.
wait_acting() {
    local seconds=$1 action=$2 deadline next=0 now
    shift 2
    deadline=$(($(date +%s%N) / 1000000 + seconds * 1000))
    while :; do
        now=$(($(date +%s%N) / 1000000))
        if [ "$now" -ge "$next" ]; then
            eval "$action"
            next=$((now + 1000))
        fi
        "$@" && return 0
        [ "$now" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# --- Display servers. Each start_display variant sets DISPLAY once its server
# answers and brings the window manager the tests need: openbox for the bare
# X servers (full screen and minimising need one); a compositor that is its
# own window manager starts none.

start_display() {
    local server=$1
    shift
    case "$server" in
        xvfb) display_xvfb "$@" ;;
        xorg-dummy) display_xorg_dummy "$@" ;;
        weston) display_weston "$@" ;;
        mutter) display_mutter "$@" ;;
        weston-headless) display_weston_headless "$@" ;;
        *) fail "no display server '$server'" ;;
    esac
    # Key repeats would make key tests depend on timing.
    [ -z "${DISPLAY:-}" ] || xset r off
}

# x_server LOG SERVER ARG...: an X server on a display it picks itself (-displayfd).
x_server() {
    local log=$1
    shift
    # The programs go to this display, not to the Wayland desktop the test may run on.
    unset WAYLAND_DISPLAY
    exec 7>"$WORK/display"
    "$@" -displayfd 7 >"$WORK/$log" 2>&1 &
    track $!
    exec 7>&-
    wait_until "$X_WAIT" test -s "$WORK/display" || fail "$1 did not start (see $WORK/$log)"
    export DISPLAY=":$(head -n1 "$WORK/display")"
}

# Its focus decisions go to its log, which a failing test keeps.
start_openbox() {
    openbox --sm-disable ${X_OPENBOX_DEBUG:---debug-focus} >"$WORK/openbox.log" 2>&1 &
    track $!
    wait_until "$X_WAIT" x_window_manager_ready || fail "openbox did not start (see $WORK/openbox.log)"
}

x_window_manager_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# Xvfb has one display mode, its screen size.
# display_xvfb [SIZE [XVFB_OPTION...]]
display_xvfb() {
    x_server xvfb.log Xvfb -screen 0 "${1:-800x600}x24" -nolisten tcp -noreset "${@:2}"
    start_openbox
}

# Xorg with its dummy driver really switches modes: 1024x768, with 800x600 and
# the other usual modes below it but none larger.
display_xorg_dummy() {
    command -v Xorg >/dev/null && [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] ||
        fail "Xorg with its dummy driver is needed (xserver-xorg-core, xserver-xorg-video-dummy)"
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
    x_server xorg.out Xorg -config "$WORK/xorg.conf" -noreset -nolisten tcp -logfile "$WORK/xorg.log"
    start_openbox
}

# Weston on its X11 backend, in a bare Xvfb of the same size (a window
# manager there would shrink weston's output by its decorations), with
# Xwayland and the screenshot interface (--debug). Weston names its Xwayland
# display in its log, starts Xwayland when the first X client connects and
# its X window manager seconds later on a loaded machine: a window shown in
# between has no manager, nobody answers its full-screen request, and
# Xwayland never presents its frames (a game's first swap waits forever).
# So the X side is up, manager and all, before any test starts.
# At a SCALE above 1 the output keeps SIZE's pixels and has SIZE / SCALE of
# the desktop's units.
display_weston() {
    local size=${1:-1920x1080} scale=${2:-1}
    command -v weston >/dev/null || fail "weston is needed (weston xwayland)"
    x_server xvfb.log Xvfb -screen 0 "${size}x24" -nolisten tcp -noreset
    export XDG_RUNTIME_DIR=$WORK/run WAYLAND_DISPLAY=wl-korvada
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    weston --backend=x11-backend.so --use-pixman --xwayland --width="$((${size%x*} / scale))" \
        --height="$((${size#*x} / scale))" --scale="$scale" \
        --socket="$WAYLAND_DISPLAY" --debug --no-config --idle-time=0 >"$WORK/weston.log" 2>&1 &
    track $!
    wait_until "$X_WAIT" grep -qs "xserver listening on display" "$WORK/weston.log" ||
        fail "weston did not start (see $WORK/weston.log)"
    DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$WORK/weston.log" | head -n1)
    wait_until "$X_WAIT" x_window_manager_ready || fail "weston's X window manager did not start (see $WORK/weston.log)"
}

# Weston's headless backend: a Wayland desktop without a seat, where SDL 2's
# wayland driver crashes as it starts. Several may run at once in the test's
# XDG_RUNTIME_DIR, each on its socket NAME.
# display_weston_headless NAME [xwayland]
display_weston_headless() {
    command -v weston >/dev/null || fail "weston is needed (weston xwayland)"
    export XDG_RUNTIME_DIR=$WORK/run WAYLAND_DISPLAY=$1
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    unset DISPLAY
    weston --backend=headless-backend.so ${2:+--xwayland} --socket="$WAYLAND_DISPLAY" --no-config --idle-time=0 \
        >"$WORK/$1.log" 2>&1 &
    track $!
    wait_until "$X_WAIT" test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" || fail "weston did not start (see $WORK/$1.log)"
    [ -n "${2:-}" ] || return 0
    wait_until "$X_WAIT" grep -qs "xserver listening on display" "$WORK/$1.log" ||
        fail "weston's Xwayland did not start (see $WORK/$1.log)"
    DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$WORK/$1.log" | head -n1)
    export DISPLAY
}

# Headless mutter, its own compositor and window manager, with Xwayland on a
# display it names in its log. dbus-run-session leaves mutter behind when it
# is killed alone: the whole process group goes.
display_mutter() {
    local size=${1:-1920x1080}
    command -v mutter >/dev/null || fail "mutter is needed (mutter xwayland dbus-x11)"
    export XDG_RUNTIME_DIR=$WORK/run WAYLAND_DISPLAY=wl-korvada
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    setsid env -u DISPLAY -u WAYLAND_DISPLAY dbus-run-session -- mutter --headless --wayland \
        --wayland-display="$WAYLAND_DISPLAY" --virtual-monitor "$size" --sm-disable >"$WORK/mutter.log" 2>&1 &
    X_MUTTER_GROUP=$!
    at_exit 'kill -- "-$X_MUTTER_GROUP" 2>/dev/null'
    wait_until "$X_WAIT" grep -qs "Using public X11 display" "$WORK/mutter.log" ||
        fail "mutter did not start (see $WORK/mutter.log)"
    DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$WORK/mutter.log" | head -n1)
    XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* | head -n1)
    export DISPLAY XAUTHORITY
}

# weston_shot NAME [SCALE]: what weston shows, a quarter of its size unless
# told, in $WORK/NAME.ppm.
weston_shot() {
    (cd "$WORK" && rm -f wayland-screenshot-*.png && weston-screenshooter >/dev/null 2>&1 &&
        convert wayland-screenshot-*.png -scale "${2:-25%}" "ppm:$1.ppm" && rm -f wayland-screenshot-*.png) ||
        fail "weston's screenshot $1 failed"
}

# weston_covered NAME: a shot (weston_shot NAME) with each quarter of the
# output lit and unlike the bare desktop shot first, $WORK/desktop.ppm (LIT
# and CHANGE: a line per quarter).
weston_covered() {
    local quarters size
    weston_shot "$1"
    size=$(head -c 64 "$WORK/$1.ppm" | sed -n 2p)
    read -r w h <<<"$size"
    quarters="0 0 $((w / 2)) $((h / 2))  $((w / 2)) 0 $((w / 2)) $((h / 2))  0 $((h / 2)) $((w / 2)) $((h / 2))"
    quarters+="  $((w / 2)) $((h / 2)) $((w / 2)) $((h / 2))"
    # shellcheck disable=SC2086
    LIT=$(image stats "$WORK/$1.ppm" $quarters | awk '{print $4}')
    # shellcheck disable=SC2086
    CHANGE=$(image diff "$WORK/desktop.ppm" "$WORK/$1.ppm" $quarters | awk '{print $1}')
    paste <(echo "$LIT") <(echo "$CHANGE") | awk '!($1 > 0.9 && $2 > 15) {bad = 1} END {exit bad}'
}

# wait_weston_covered NAME: the picture over the whole output, or the test fails.
wait_weston_covered() {
    wait_until "$X_WAIT" weston_covered "$1" && return 0
    # shellcheck disable=SC2086
    note "$1, each quarter's lit share and change from the desktop:" $LIT / $CHANGE
    fail "$1: the picture does not cover the screen"
}

# --- The program under test.

# A program run through another that writes its exit code to
# $WORK/exit-code (the Wine harness's keeper) has that for its exit code.
start_program() {
    local dir=$1
    shift
    rm -f "$WORK/exit-code"
    (cd "$dir" && exec "$@") 2>"$WORK/stderr" >"$WORK/stdout" &
    GAME_PID=$!
}

game_running() { [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; }
x_program_ended() { ! game_running; }

# close_with KEYS...: `xdotool KEYS` (the window manager's close, say), asked
# again each second while the program runs, as a player presses again a key
# that a busy desktop let pass; then wait_exit.
close_with() {
    wait_acting "$X_WAIT" "xdotool $*" x_program_ended
    wait_exit 1
}

wait_exit() {
    local told
    EXIT_CODE=timeout
    wait_until "${1:-$X_WAIT}" x_program_ended || return 0
    EXIT_CODE=0
    wait "$GAME_PID" 2>/dev/null || EXIT_CODE=$?
    GAME_PID=
    [ -s "$WORK/exit-code" ] || return 0
    told=$(tr -d '\r\n' <"$WORK/exit-code")
    [ "$told" = "$EXIT_CODE" ] || note "exit code $told, though its process ended with $EXIT_CODE"
    EXIT_CODE=$told
}

# --- Windows and boxes.

find_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }

x_window_shown() {
    [ -z "$GAME_PID" ] || game_running || fail "the program ended before its window '$1' appeared"
    WINDOW=$(find_window "$1")
    [ -n "$WINDOW" ]
}

x_window_focused() {
    x_window_shown "$1" && [ "$(xdotool getactivewindow 2>/dev/null)" = "$WINDOW" ]
}

wait_window() {
    WINDOW=
    wait_until "$X_WAIT" x_window_shown "$1" || fail "no visible window named '$1' within $X_WAIT s"
}

# Keys go to the focus: a window that shows is not yet sure to have it.
wait_focused_window() {
    WINDOW=
    wait_until "$X_WAIT" x_window_focused "$1" && return 0
    [ -n "$WINDOW" ] || fail "no visible window named '$1' within $X_WAIT s"
    fail "the window '$1' never got the focus"
}

# Asked again every second until it has it, as a person clicks again: a
# request the window manager or Wine drops while busy is never answered.
focus_window() {
    wait_acting "$X_WAIT" "x_ask_focus $1" x_active "$1" || fail "the window $1 does not take the focus"
}
x_ask_focus() {
    xdotool windowactivate "$1" 2>/dev/null
    xdotool windowfocus "$1" 2>/dev/null
}
x_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

# bring_back_game: the game's window (GAME_WINDOW), minimised or without the
# focus, activated again and focused, a few frames drawn.
bring_back_game() {
    focus_window "$GAME_WINDOW"
    sleep 0.3
}

# SDL's own box is not found by name through xdotool; the window tree lists it.
error_box() { xwininfo -root -tree 2>/dev/null | awk '/"Chyba"/ {print $1; exit}'; }

close_box() {
    xdotool windowfocus "$1" 2>/dev/null
    xdotool key Return 2>/dev/null
}

# x_box_open N COUNT: BOX, the open box, while box N of COUNT is awaited.
x_box_open() {
    BOX=$(error_box)
    [ -n "$BOX" ] && return 0
    game_running || fail "the program ended while box $1 of $2 was awaited"
    return 1
}

# x_box_closed LINES: Enter to BOX until it is gone. The next box may come
# back under the same window id, but the program writes its text to stderr
# first: a stderr longer than LINES means this box is gone.
x_box_closed() {
    close_box "$BOX"
    sleep 0.2
    [ -z "$(error_box)" ] || [ "$(wc -l <"$WORK/stderr")" -gt "$1" ]
}

dismiss_boxes() {
    local count=$1 n lines
    for n in $(seq "$count"); do
        wait_until "$X_WAIT" x_box_open "$n" "$count" || fail "error box $n of $count did not appear within $X_WAIT s"
        [ "$n" = 1 ] && shot box
        lines=$(wc -l <"$WORK/stderr")
        wait_until "$X_WAIT" x_box_closed "$lines" || fail "error box $n of $count would not close"
    done
}

answer_boxes() {
    (
        while :; do
            box=$(error_box)
            if [ -n "$box" ]; then
                echo "$box" >>"$WORK/answered"
                close_box "$box"
            fi
            sleep 0.2
        done
    ) &
    track $!
}

# --- The end of a round.

end_round() {
    local key=$1 pid=${2:-}
    xdotool key Escape
    sleep 1.8
    # Held until the end: a tap counts only once the end screen's own clock
    # is past its 1.6 s, which a round held still (focus lost) may not be yet.
    # A tap itself is tests/e2e/play.sh's.
    xdotool keydown "$key"
    if [ -z "$pid" ]; then
        wait_exit
    else
        # Let go the moment the game is gone: a settings dialog that comes
        # back while the key is still held takes its repeats, and Space on
        # its focused Play starts a round nobody asked for.
        EXIT_CODE=timeout
        local deadline=$((SECONDS + X_WAIT))
        while [ -d "/proc/$pid" ] && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.01; done
        [ -d "/proc/$pid" ] || EXIT_CODE=ended
    fi
    xdotool keyup "$key"
}

# start_board PROGRAM STATE [ARG...]: korvada-board on a free loopback
# port, its state in the folder STATE (its output beside it), ARG... after;
# BOARD_PID, and BOARD_ORIGIN once it listens.
start_board() {
    local program=$1 state=$2
    shift 2
    mkdir -p "$state"
    "$program" --address 127.0.0.1 --port 0 --state "$state" "$@" >"$state.out" 2>"$state.err" &
    BOARD_PID=$!
    track "$BOARD_PID"
    wait_until "$X_WAIT" grep -qs 'http://127\.0\.0\.1:[0-9]' "$state.out" || fail "no board: $(cat "$state.err")"
    BOARD_ORIGIN=$(grep -o 'http://127\.0\.0\.1:[0-9]*' "$state.out" | head -n1)
}

# seconds_since START: wall-clock seconds since START (date +%s.%N).
seconds_since() { awk -v s="$1" -v e="$(date +%s.%N)" 'BEGIN {print e - s}'; }

# fell_at_most FROM TO SECONDS: the bottle went down, by no more than its
# top speed (150 units a second) allows in that time and one frame more.
fell_at_most() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN {exit !(a - b >= 0 && a - b <= 150 * (t + 0.1))}'; }

# settled_height HEIGHT_COMMAND: the height the command tells once two
# readings a second apart agree: a busy game learns of a focus loss a moment
# after the window manager has moved the focus.
settled_height() {
    X_HEIGHT=none
    wait_until "$X_WAIT" x_height_settled "$1" || fail "the round did not hold still within $X_WAIT s: $X_HEIGHT"
    echo "$X_HEIGHT"
}
# x_height_settled COMMAND: true when COMMAND tells X_HEIGHT, its answer a
# second before, again.
x_height_settled() {
    local now
    now=$("$1")
    [ "$now" = "$X_HEIGHT" ] && return 0
    X_HEIGHT=$now
    sleep 1
    return 1
}

# return_to_game HEIGHT WHERE: activates the game's window (GAME_WINDOW)
# again and checks that the round goes on from HEIGHT, where it stood WHERE
# (minimised, without the focus): the drop since is bounded by the time since
# the return alone. player_height is the platform's: e2e/player_height.sh,
# wine/wine_harness.sh.
return_to_game() {
    local before=$1 where=$2 started back took
    started=$(date +%s.%N)
    bring_back_game
    back=$(player_height)
    took=$(seconds_since "$started")
    note "height $before $where, $back ${took} s after the return"
    fell_at_most "$before" "$back" "$took" || fail "the round did not go on from $before: $back within $took s"
}

# --- A game in an ordinary window (GAME_WINDOW).

# client_shot NAME: a screenshot; CX CY, the window's client area on it.
client_shot() {
    shot "$1"
    read -r CX CY <<<"$(xwininfo -id "$GAME_WINDOW" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')"
}
# lit NAME X Y W H: the lit share of that box of screenshot NAME.
lit() { image stats "$WORK/$1.ppm" "$2" "$3" "$4" "$5" | awk '{print $4}'; }
above() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a > b)}'; }

# bars_and_picture NAME W H BAR1 BAR2 MIDDLE: the window resized, the lit
# share of two bar regions (none) and of the middle (all), each X Y W H
# relative to the client area, once the game has drawn at the new size.
# The size is asked again each second until it shows: a busy window manager
# or Wine may lose the request.
bars_and_picture() {
    wait_acting "$X_WAIT" "xdotool windowsize $GAME_WINDOW $2 $3" x_bars_shown "$@" ||
        fail "no bars beside the picture in a $2x$3 window ($(window_geometry)): lit $X_BARS"
    note "$2x$3: bars and the middle lit $X_BARS"
}
# x_bars_shown NAME W H BAR1 BAR2 MIDDLE: a client shot NAME shows the two
# bars dark and the middle lit; X_BARS, the three lit shares.
x_bars_shown() {
    local name=$1 x y w h a b m
    client_shot "$name"
    read -r x y w h <<<"$4"; a=$(lit "$name" $((CX + x)) $((CY + y)) "$w" "$h")
    read -r x y w h <<<"$5"; b=$(lit "$name" $((CX + x)) $((CY + y)) "$w" "$h")
    read -r x y w h <<<"$6"; m=$(lit "$name" $((CX + x)) $((CY + y)) "$w" "$h")
    X_BARS="$a and $b, the middle $m"
    above 0.01 "$a" && above 0.01 "$b" && above "$m" 0.9
}

# resized_with_bars: a 4:3 picture in a window made wider, then taller: bars
# at the sides, then at the top and bottom.
resized_with_bars() {
    bars_and_picture wide 1000 500 "0 0 150 500" "850 0 150 500" "180 0 640 500"
    bars_and_picture tall 500 600 "0 0 500 100" "0 500 500 100" "0 130 500 340"
}

# window_mode_checks SIZE SCREEN HELD_HEIGHT: the game's ordinary window
# (GAME_WINDOW) has a title bar and a client area of SIZE, and the screen
# stays in its mode SCREEN; resized, the picture keeps its aspect between bars
# (first, while the round is young: a slow machine's round may end in less
# than a minute); with the focus on another window for 3 s the round holds
# still (the command HELD_HEIGHT tells the same height before and after) and
# the window stays shown with its picture; the focus back, the round goes on
# from there (return_to_game); Alt+F4 ends the game with exit code 0.
window_mode_checks() {
    local size frame held still
    size=$(window_geometry)
    frame=$(xprop -id "$GAME_WINDOW" _NET_FRAME_EXTENTS)
    note "window $size, $frame, screen $(screen_mode)"
    [ "${size%%+*}" = "$1" ] || fail "the window is $size, not $1"
    [ "$(screen_mode)" = "$2" ] || fail "the screen's mode changed to $(screen_mode)"
    [[ "$frame" =~ =\ [0-9]+,\ [0-9]+,\ [1-9][0-9]*, ]] || fail "the window has no title bar: $frame"

    resized_with_bars
    xdotool windowsize "$GAME_WINDOW" "${1%x*}" "${1#*x}"

    xmessage -geometry +0+0 away 2>/dev/null &
    track $!
    wait_focused_window xmessage
    held=$(settled_height "$3")
    sleep 3
    still=$("$3")
    [ "$held" = "$still" ] || fail "the round moved without the focus: $held, then $still"
    xprop -id "$GAME_WINDOW" _NET_WM_STATE | grep -q HIDDEN && fail "the window was minimised"
    client_shot away
    above "$(lit away "$CX" "$CY" "${1%x*}" "${1#*x}")" 0.9 || fail "the held window does not show its picture"

    return_to_game "$held" "without the focus"
    [ "$(screen_mode)" = "$2" ] || fail "the screen's mode changed to $(screen_mode)"

    close_with key --window "$GAME_WINDOW" alt+F4
    [ "$EXIT_CODE" = 0 ] || fail "closing the window: exit code $EXIT_CODE, expected 0"
}

# --- Full screen and a window in turn (GAME_WINDOW; on xorg-dummy, 1024x768).

# x_decorated SIZE: GAME_WINDOW a window of SIZE with a title bar, the
# screen in the desktop's mode.
x_decorated() {
    x_screen_at 1024x768 &&
        [[ "$(xprop -id "$GAME_WINDOW" _NET_FRAME_EXTENTS 2>/dev/null)" =~ =\ [0-9]+,\ [0-9]+,\ [1-9][0-9]*, ]] &&
        [ "$(window_geometry | cut -d+ -f1)" = "$1" ]
}
x_full_screen() { x_screen_at 800x600 && [ "$(window_geometry)" = 800x600+0+0 ]; }

# toggled KEYS WHAT CHECK...: xdotool KEYS, then CHECK holds, the window has
# the focus, and the round goes on from the height it had (player_height):
# never started again, the switch's time not played.
toggled() {
    local keys=$1 what=$2 before started back took
    shift 2
    before=$(player_height)
    started=$(date +%s.%N)
    # shellcheck disable=SC2086
    xdotool $keys
    wait_until "$X_WAIT" "$@" || fail "$what: screen $(screen_mode), window $(window_geometry)"
    wait_until "$X_WAIT" x_active "$GAME_WINDOW" || fail "$what: the window lost the focus"
    back=$(player_height)
    took=$(seconds_since "$started")
    note "$what: screen $(screen_mode), window $(window_geometry); height $before, then $back ${took} s later"
    fell_at_most "$before" "$back" "$took" || fail "$what: the round did not go on from $before: $back within $took s"
}

# The end screen reads Enter once it has shown for 1.6 s. The chord's Enter
# held on after Alt is let go repeats (key repeat on for it: 660 ms, then 25
# a second), and those repeats come without Alt: they must not close it.
toggle_checks() {
    local moving
    wait_until "$X_WAIT" x_full_screen || fail "the start: screen $(screen_mode), window $(window_geometry)"
    toggled "key alt+Return" "Alt+Enter to a window" x_decorated 800x600
    toggled "key F11" "F11 to full screen" x_full_screen
    toggled "key alt+KP_Enter" "Alt+keypad Enter to a window" x_decorated 800x600
    moving=$(player_height)
    sleep 1
    above "$moving" "$(player_height)" || fail "the round does not play in the window: height $moving, then $(player_height)"
    toggled "key alt+Return" "Alt+Enter to full screen" x_full_screen

    xdotool key Escape
    sleep 2
    xset r on
    xdotool keydown alt keydown Return keyup alt
    sleep 1.5
    xdotool keyup Return
    xset r off
    wait_until "$X_WAIT" x_decorated 800x600 || fail "the end screen did not go to a window"
    sleep 1
    game_running || fail "Alt+Enter closed the end screen"
    xdotool key alt+Return
    wait_until "$X_WAIT" x_full_screen || fail "the end screen did not go back to full screen"
    note "the end screen survives Alt+Enter both ways"

    # The chord once more, its Enter let go while another window has the
    # focus: the release goes there, and back, the next Enter is the player's.
    xdotool keydown alt keydown Return keyup alt
    wait_until "$X_WAIT" x_decorated 800x600 || fail "the end screen did not go to a window again"
    xmessage -geometry +0+0 away 2>/dev/null &
    track $!
    wait_focused_window xmessage
    xdotool keyup Return
    focus_window "$GAME_WINDOW"
    xdotool keydown Return
    wait_exit
    xdotool keyup Return
    [ "$EXIT_CODE" = 0 ] || fail "Enter on the end screen: exit code $EXIT_CODE, expected 0"
    note "Enter let go in another window: the next Enter closed the end screen"
    wait_screen_mode 1024x768 || fail "after the end the screen stays at $(screen_mode)"
}

refused_toggle_checks() {
    local size
    size=$(window_geometry | cut -d+ -f1)
    xdotool key F11
    wait_until "$X_WAIT" grep -q "refused full screen" "$WORK/stderr" || fail "F11: no refusal on stderr"
    sleep 1
    game_running || fail "the refused switch ended the game"
    x_decorated "$size" || fail "refused: screen $(screen_mode), window $(window_geometry)"
    note "$(grep "refused" "$WORK/stderr")"
    end_round Escape
    [ "$EXIT_CODE" = 0 ] || fail "after the refusal: exit code $EXIT_CODE, expected 0"
}

# --- The Linux game.

# e2e_setup KORVADA DATA_DIR [SIZE [SERVER]]: the game and its data folder on a
# private display (start_display SERVER SIZE: xvfb at 800x600 unless told).
e2e_setup() {
    KORVADA=$1
    DATA=$2
    [ -x "$KORVADA" ] || fail "no program at $KORVADA"
    harness_begin
    start_display "${4:-xvfb}" "${3:-800x600}"
}

# The rows of the game's size table, "0 800x600" and so on, from its --help.
x_size_rows() { "${KORVADA_LINUX:-$KORVADA}" --help | grep -oE '(^| )[0-9] [0-9]+x[0-9]+' | sed 's/^ //'; }

size_code() {
    local code
    code=$(x_size_rows | awk -v size="$1" '$2 == size {print $1; exit}')
    [ -n "$code" ] || fail "the game's table has no row of $1: $(x_size_rows | tr '\n' ' ')"
    echo "$code"
}

past_the_table() {
    local last
    last=$(x_size_rows | tail -n1 | cut -d' ' -f1)
    [ -n "$last" ] || fail "the game's --help prints no size table"
    echo $((last + 1))
}

# start_game CODE [FOLDER] [ENV=VALUE...]: the game, run from FOLDER (the data
# folder by default).
start_game() {
    local code=$1 folder=${2:-$DATA}
    shift $(($# >= 2 ? 2 : 1))
    start_program "$folder" env "$@" "$KORVADA" "$code"
}

# end_game KEY: the round ended by Esc and KEY must close the game, exit 0.
end_game() {
    end_round "$1"
    [ "$EXIT_CODE" = 0 ] || fail "$1 on the end screen: exit code $EXIT_CODE, expected 0"
}

# The game's window (GAME_WINDOW) shown and focused, a few frames drawn.
wait_game_window() {
    wait_focused_window 'Korvada( – .+ [0-9]+ [^ ,]+)?'
    GAME_WINDOW=$WINDOW
    sleep 0.3
}

# The X screen's current size, WIDTHxHEIGHT.
screen_mode() { xrandr 2>/dev/null | sed -n 's/.*current \([0-9]*\) x \([0-9]*\),.*/\1x\2/p'; }

# wait_screen_mode SIZE: waits for the X screen to be at SIZE.
wait_screen_mode() { wait_until "$X_WAIT" x_screen_at "$1"; }
x_screen_at() { [ "$(screen_mode)" = "$1" ]; }

# The game window's place on the screen, WIDTHxHEIGHT+X+Y.
window_geometry() {
    xwininfo -id "$GAME_WINDOW" 2>/dev/null | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ *Width/ {w = $NF} /^ *Height/ {h = $NF} END {print w "x" h "+" x "+" y}'
}

# PPM: PNG compression of a full screen costs seconds on this kind of machine.
shot() { import -window root "ppm:$WORK/$1.ppm" || fail "screenshot $1 failed"; }

# shot_scene NAME [X Y W H]: screenshots until the scene is drawn (more than
# 90 % of the area lit) or X_WAIT passes: the window shows a moment before
# its first frame. The last shot stays in $WORK/NAME.ppm; LIT is its lit share.
shot_scene() { wait_until "$X_WAIT" x_scene_lit "$@"; }
# x_scene_lit NAME [X Y W H]: a shot NAME, more than 90 % of the area lit.
x_scene_lit() {
    local name=$1
    shift
    shot "$name"
    read -r _ _ _ LIT <<<"$(image stats "$WORK/$name.ppm" "$@")"
    awk -v l="$LIT" 'BEGIN {exit !(l > 0.9)}'
}

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

# Image helpers (python3 on ImageMagick's plain PPM output). The system's own
# Python: a version manager's python3 first on PATH (pyenv's shim) takes a
# third of a second to start, and the checks that wait for a picture start one
# every tenth of a second.
X_PYTHON=${X_PYTHON:-$(command -v /usr/bin/python3 || command -v python3)}
IMAGE_TOOL=$(dirname "${BASH_SOURCE[0]}")/e2e/image_tool.py
image() { "$X_PYTHON" "$IMAGE_TOOL" "$@"; }
