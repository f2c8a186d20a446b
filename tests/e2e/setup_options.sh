#!/usr/bin/env bash
# korvada-setup without its dialog, on a 1024 × 768 screen: --version; --print
# gives the code Play would use (the saved one, or "0TYAY", with a resolution the
# screen lacks, or a window that would not fit whole with its title bar,
# replaced by the largest it has); --play starts the game with
# it; a setup that finds no game or no data says why and exits 2; the game
# started without a code points to the setup.
#   setup_options.sh KORVADA_SETUP DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
SETUP=$1
e2e_setup "$(dirname "$SETUP")/korvada" "$2" 1024x768
export XDG_CONFIG_HOME="$WORK/config"
saved="$XDG_CONFIG_HOME/korvada/launch-code"
save() { mkdir -p "$(dirname "$saved")" && printf '%s' "$1" >"$saved"; }

version=$("$SETUP" --version) || fail "--version: exit code $?"
[[ "$version" =~ ^korvada-setup\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version says '$version'"

# expect_print WANTED [ENV=VALUE...]
expect_print() {
    local wanted=$1 printed
    shift
    printed=$(env "$@" "$SETUP" --print 2>"$WORK/stderr") || fail "--print failed"
    [ "$printed" = "$wanted" ] || fail "--print with '$(cat "$saved" 2>/dev/null)' saved: '$printed', expected '$wanted'"
}
expect_print 3TYAY  # nothing saved; no 800 × 600 here, 1024 × 768 is the largest row
save $'3HNQN\n'
expect_print 3HNQN
save $'5HNQN\n'
expect_print 3HNQN
expect_print 5HNQN DISPLAY= WAYLAND_DISPLAY=  # no screen to ask: the code as saved
# A window of the screen's whole size would have its bottom below the screen,
# pushed down by its title bar: the largest that fits whole is 800 × 600.
save '3TYAY window'
expect_print '--window 0TYAY'
save '1TYAY window'
expect_print '--window 1TYAY'

for junk in '' '0TYA' '0TYAYY' "$(past_the_table)TYAY" $'\x01\xff\x80junk'; do
    save "$junk"
    expect_print 3TYAY
done
rm -f "$saved"
mkdir -p "$saved"
expect_print 3TYAY
rmdir "$saved"
note "--print: saved codes, screen replacements and untrusted files as expected"

# --play: the game itself, from the data folder, with the code.
save $'3HNCN\n'
start_program "$WORK" "$SETUP" --play
wait_game_window
cmdline=$(tr '\0' ' ' <"/proc/$GAME_PID/cmdline")
[ "$cmdline" = "$KORVADA 3HNCN " ] || fail "--play runs '$cmdline'"
[ "$(readlink "/proc/$GAME_PID/cwd")" = "$(cd "$DATA" && pwd -P)" ] || fail "--play: not in the data folder"
end_game Return
note "--play: '$cmdline', exit code 0 after the end screen"

# No game beside the setup, or no data folder: the reason and exit 2, also
# from the dialog (its box closed by Enter).
mkdir -p "$WORK/alone" "$WORK/nodata"
cp "$SETUP" "$WORK/alone/"
cp "$SETUP" "$WORK/nodata/"
ln -s "$KORVADA" "$WORK/nodata/korvada"
"$WORK/alone/korvada-setup" --play 2>"$WORK/stderr"
code=$?
[ "$code" = 2 ] || fail "no game: exit code $code, expected 2"
grep -q "^korvada-setup: cannot find the game: $WORK/alone/korvada is missing" "$WORK/stderr" ||
    fail "no game: stderr says '$(cat "$WORK/stderr")'"
note "no game: $(cat "$WORK/stderr")"
"$WORK/nodata/korvada-setup" --play 2>"$WORK/stderr"
code=$?
[ "$code" = 2 ] || fail "no data: exit code $code, expected 2"
grep -q "^korvada-setup: cannot find the game's data" "$WORK/stderr" || fail "no data: stderr says '$(cat "$WORK/stderr")'"
note "no data: $(cat "$WORK/stderr")"
start_program "$WORK" "$WORK/alone/korvada-setup"
wait_window "Korvada – settings"
focus_window "$WINDOW"
xdotool key Return
wait_exit
[ "$EXIT_CODE" = 2 ] || fail "dialog without a game: exit code $EXIT_CODE, expected 2"
note "dialog without a game: a box, then exit 2"

# The game without a code names the setup after its own message.
(cd "$DATA" && DISPLAY= "$KORVADA") 2>"$WORK/stderr"
code=$?
[ "$code" = 1 ] || fail "korvada without a code: exit code $code"
# Other lines may come between (a message box helper's own warnings).
sed -n '/^Chybné parametry programu - spusťte KorvadaSetup.exe$/,$ p' "$WORK/stderr" | tail -n +2 | grep -q 'korvada-setup' ||
    fail "korvada without a code does not point to korvada-setup: '$(cat "$WORK/stderr")'"
note "korvada without a code: $(tr '\n' '/' <"$WORK/stderr")"
note "ok"
