#!/usr/bin/env bash
# `cmake --install` to a fresh prefix, then the game started as its desktop
# entry says: the installed program, in the entry's working folder, finds all
# its pictures (no error box) and runs.
#   install.sh BUILD_DIR DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"
build=$1
e2e_setup "$build/korvada" "$2"
cmake --install "$build" --prefix "$WORK/prefix" >"$WORK/install.log" || fail "cmake --install failed"
entry="$WORK/prefix/share/applications/korvada.desktop"
[ -f "$entry" ] || fail "no desktop entry installed"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
folder=$(sed -n 's/^Path=//p' "$entry")
note "desktop entry: Exec=$exec_line Path=$folder"
read -r program code <<<"$exec_line"
[ "$program" = "$WORK/prefix/games/korvada" ] || fail "the entry runs $program, not the installed program"
[ -f "$folder/air.bmp" ] && [ -f "$folder/zblunk.wav" ] || fail "the entry's folder holds no data"

KORVADA=$program
start_game "$code" "$folder" SDL_AUDIODRIVER=dummy
wait_game_window
[ -z "$(error_box)" ] || fail "an error box is open"
grep -q "Soubor" "$WORK/stderr" && fail "a picture was not found"
xdotool key alt+F4
wait_exit 3
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE, expected 0"
note "ok"
