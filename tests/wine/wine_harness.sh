# Shared by the Wine tests of korvada.exe; sourced, not run.
# Every Wine run is bounded by a timeout; error boxes are answered by a
# watchdog and their texts read from Wine's message-box trace.
#
# Environment (set by ctest): KORVADA_EXE, KORVADA_WINE_PREFIX, KORVADA_WINE_WORK.
set -euo pipefail

: "${KORVADA_EXE:?path of korvada.exe}"
: "${KORVADA_WINE_PREFIX:?path of the Wine prefix}"
: "${KORVADA_WINE_WORK:?scratch directory}"

test_name=$(basename "$0" .sh)
work="$KORVADA_WINE_WORK/$test_name"
rm -rf "$work"
mkdir -p "$work"
data_dir=$(dirname "$KORVADA_EXE")

export WINEPREFIX="$KORVADA_WINE_PREFIX" WINEARCH=win32 WINEDEBUG=-all
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

[ -f "$KORVADA_EXE" ] || fail "$KORVADA_EXE is missing: build it with cmake --preset win32 && cmake --build --preset win32"

pids=()
cleanup() {
  local pid
  timeout 20 wineserver -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

# One prefix for all the tests, made on first use (about 15 s). The lock keeps
# two tests from making it, or running in it, at once.
exec 9>"$KORVADA_WINE_PREFIX.lock"
flock -w 300 9 || fail "the Wine prefix stays locked"
if [ ! -f "$WINEPREFIX/.korvada-ready" ]; then
  rm -rf "$WINEPREFIX"
  DISPLAY= timeout 180 wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot failed, see $work/wineboot.log"
  timeout 60 wineserver -w
  # A crash must end the run, not wait on a dialog; and there is no sound card.
  timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
  timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null
  timeout 60 wineserver -w
  touch "$WINEPREFIX/.korvada-ready"
fi

# start_display WIDTHxHEIGHT [wm]: a private X server, with openbox if asked
# (without a window manager Wine cannot maximize the window). Further
# options for Xvfb may stand in $xvfb_options.
xvfb_options=()
start_display() {
  Xvfb -displayfd 8 -screen 0 "$1x24" -nolisten tcp ${xvfb_options[@]+"${xvfb_options[@]}"} 8>"$work/display" \
    2>"$work/xvfb.log" &
  pids+=($!)
  local i
  for i in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(cat "$work/display")"
  if [ "${2:-}" = wm ]; then
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    pids+=($!)
    sleep 0.5
  fi
}

# Presses Return on every box captioned "Chyba" and logs that it did.
start_watchdog() {
  (
    while :; do
      for w in $(xdotool search --name '^Chyba$' 2>/dev/null); do
        echo "$w" >>"$work/answered"
        xdotool key --window "$w" Return 2>/dev/null || true
      done
      sleep 0.2
    done
  ) &
  pids+=($!)
}

# run_game DIR SECONDS WINEDEBUG ARG...: $exe (korvada.exe unless set) in the
# background with DIR as working directory; its stderr goes to $work/wine.log,
# its exit code to $work/exit once it has ended.
exe=$KORVADA_EXE
run_game() {
  local dir=$1 seconds=$2 debug=$3
  shift 3
  (
    cd "$dir"
    rc=0
    WINEDEBUG=$debug timeout "$seconds" wine "$exe" "$@" >/dev/null 2>"$work/wine.log" || rc=$?
    echo "$rc" >"$work/exit"
  ) &
  pids+=($!)
}

# wait_exit SECONDS: waits for the game to end; prints its exit code.
wait_exit() {
  local i
  for i in $(seq 1 $(($1 * 10))); do
    [ -s "$work/exit" ] && break
    sleep 0.1
  done
  [ -s "$work/exit" ] || fail "korvada.exe still runs after $1 s"
  cat "$work/exit"
}

running() { [ ! -s "$work/exit" ]; }

# The texts of the boxes shown so far, one a line, decoded from the trace.
box_texts() {
  perl -CS -ne 'while (/MSGBOX_OnInit L"(.*?)"/g) { my $t = $1; $t =~ s/\\([0-9a-f]{4})/chr(hex($1))/ge; print "$t\n" }' \
    "$work/wine.log"
}

# wait_for COMMAND... : retries for up to 30 s until the command succeeds.
wait_for() {
  local i
  for i in $(seq 1 300); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

game_window() { xdotool search --onlyvisible --name '^Korvada$' 2>/dev/null | head -1; }

# The mode Wine gives as the display's registry mode (what the game reads
# as the desktop's and gives back on leaving) lives in the display adapter's
# key, which Wine makes anew in each session: keep the session (wineserver -p)
# from the change to the game's end.
display_key() {
  timeout 60 wineserver -p
  timeout 60 wine reg query 'HKCC\System\CurrentControlSet\Control\Video' /s 2>/dev/null | tr -d '\r' |
    grep -m1 '\\0000$'
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
