#!/usr/bin/env bash
# `cmake --install` to a fresh prefix, then the game started as its desktop
# entry's "Play" action says: the installed setup finds the installed game and
# its data, which is the game's working folder, so it finds all its pictures
# (no error box) and runs with the saved code. The game typed in a terminal
# in another folder finds its data too. The game's window and the setup's
# dialog carry the class the entry names.
#   install.sh BUILD_DIR DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
build=$1
e2e_setup "$build/korvada" "$2"
cmake --install "$build" --prefix "$WORK/prefix" >"$WORK/install.log" || fail "cmake --install failed"
entry="$WORK/prefix/share/applications/korvada.desktop"
[ -f "$entry" ] || fail "no desktop entry installed"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate finds faults in the entry"
fi
main_exec=$(sed -n '/^\[Desktop Entry\]/,/^\[/ s/^Exec=//p' "$entry")
play_exec=$(sed -n '/^\[Desktop Action Play\]/,/^\[/ s/^Exec=//p' "$entry")
note "desktop entry: Exec=$main_exec; Play: Exec=$play_exec"
setup="$WORK/prefix/games/korvada-setup"
[ "$main_exec" = "$setup" ] || fail "the entry opens $main_exec, not the installed setup"
[ "$play_exec" = "$setup --play" ] || fail "the Play action runs $play_exec"
data="$WORK/prefix/share/games/korvada"
[ -f "$data/air.bmp" ] && [ -f "$data/zblunk.wav" ] || fail "no data installed in $data"

export XDG_CONFIG_HOME="$WORK/config"
mkdir -p "$XDG_CONFIG_HOME/korvada"
echo 2TNCY >"$XDG_CONFIG_HOME/korvada/launch-code"
# shellcheck disable=SC2086
start_program / env SDL_AUDIODRIVER=dummy $play_exec
KORVADA="$WORK/prefix/games/korvada"
wait_game_window
cmdline=$(tr '\0' ' ' <"/proc/$GAME_PID/cmdline")
[ "$cmdline" = "$KORVADA 2TNCY " ] || fail "the Play action runs '$cmdline'"
[ "$(readlink "/proc/$GAME_PID/cwd")" = "$(cd "$data" && pwd -P)" ] || fail "the game does not run in $data"
[ -z "$(error_box)" ] || fail "an error box is open"
grep -q "Soubor" "$WORK/stderr" && fail "a picture was not found"
# The desktop knows the game's and the setup's windows as the entry's by their class.
class=$(sed -n 's/^StartupWMClass=//p' "$entry")
wm_class() { xprop -id "$1" WM_CLASS | sed 's/^WM_CLASS(STRING) = //'; }
[ "$(wm_class "$GAME_WINDOW")" = "\"$class\", \"$class\"" ] ||
    fail "the game's window class is $(wm_class "$GAME_WINDOW"), the entry's StartupWMClass '$class'"
close_with key alt+F4
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE, expected 0"
note "ok: '$cmdline' in $data"

# Typed in a terminal anywhere: the installed game finds its own data.
mkdir "$WORK/elsewhere"
start_program "$WORK/elsewhere" env SDL_AUDIODRIVER=dummy "$KORVADA" 0TYAY
wait_game_window
[ -z "$(error_box)" ] || fail "started elsewhere: an error box is open ($(cat "$WORK/stderr"))"
! grep -q "Soubor" "$WORK/stderr" || fail "started elsewhere: a picture was not found: $(cat "$WORK/stderr")"
[ "$(readlink "/proc/$GAME_PID/cwd")" = "$(cd "$data" && pwd -P)" ] || fail "started elsewhere: the game does not read from $data"
close_with key alt+F4
[ "$EXIT_CODE" = 0 ] || fail "started elsewhere: exit code $EXIT_CODE, expected 0"
note "ok: started in another folder, the game reads from $data"

(cd / && exec env LANGUAGE=en "$main_exec") 2>"$WORK/stderr" >"$WORK/stdout" &
GAME_PID=$!
wait_focused_window "Korvada – settings"
[ "$(wm_class "$WINDOW")" = "\"$class\", \"$class\"" ] ||
    fail "the setup's window class is $(wm_class "$WINDOW"), the entry's StartupWMClass '$class'"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "the setup closed by Esc: exit code $EXIT_CODE"
note "ok: both windows of class '$class'"
