#!/usr/bin/env bash
# The Windows zip as a player gets it: one folder holding the programs, the
# game's 13 files and a README.txt for Notepad (CRLF); unpacked into a folder
# whose name has blanks, the game runs from there under Wine, draws the
# scene and ends normally; then KorvadaSetup.exe from the same folder starts
# it too, as a player would.
#   zip_wine.sh ZIP  (with the environment of the Wine tests)
set -uo pipefail
zip=$1
version=$(basename "$zip" | sed -n 's/^Korvada-\(.*\)-win64\.zip$/\1/p')
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$zip" ] || fail "no zip at $zip: run cpack in the win32 build folder"
[ -n "$version" ] || fail "the zip's name $(basename "$zip") is not Korvada-VERSION-win64.zip"
folder=Korvada-$version-win32

listing=$(zipinfo -1 "$zip" | sort)
[ -z "$(grep -v "^$folder/" <<<"$listing")" ] || fail "files outside the one folder $folder/: $listing"
expected=$(printf "$folder/%s\n" korvada.exe KorvadaSetup.exe README.txt air.bmp oblaka.bmp lahev2.bmp flaska.bmp font.bmp \
    tamrisol.bmp tuk01.wav tuk02.wav tuk03.wav tukm01.wav tukm02.wav tukm03.wav zblunk.wav | sort)
diff -u <(echo "$expected") <(grep -v '/$' <<<"$listing") || fail "the zip's files differ (- expected, + found)"

unpacked="$KORVADA_WINE_WORK/zip unpacked/Games with blanks"
rm -rf "$KORVADA_WINE_WORK/zip unpacked"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked" || fail "cannot unpack $zip"
readme="$unpacked/$folder/README.txt"
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "README.txt has lines without CRLF"
grep -q 'KorvadaSetup\.exe' "$readme" || fail "README.txt does not send the player to KorvadaSetup.exe"
# The icon is the programs' first icon group, the one Explorer shows.
for program in korvada.exe KorvadaSetup.exe; do
    x86_64-w64-mingw32-objdump -p "$unpacked/$folder/$program" | grep -qE '^[0-9a-f]{3}   Entry: ID: 0x00000e' ||
        fail "$program carries no icon"
done

export KORVADA_EXE="$unpacked/$folder/korvada.exe"
source "$(dirname "$0")/../wine/wine_harness.sh"
start_display xvfb 800x600
answer_boxes
start_wine "$data_dir" -all "$KORVADA_EXE" 0TYAY
wait_wine_window
# The window shows before the pictures are loaded: the first frames come a
# few seconds later under Wine's software OpenGL.
colours=0
scene_drawn() {
    import -window root "png:$WORK/scene.png"
    colours=$(convert "$WORK/scene.png" -format %k info:)
    [ "$colours" -ge 200 ]
}
wait_until "$X_WAIT" scene_drawn || fail "the screenshot shows $colours colours after $X_WAIT s: no scene drawn"
echo "scene from '$data_dir': $colours colours on screen"
end_round space
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE, expected 0"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"

# KorvadaSetup.exe from the same folder: Enter plays the default code, and
# the game it starts runs from the folder with blanks in its path.
saved=$(find "$WINEPREFIX/drive_c/users" -maxdepth 1 -mindepth 1 -type d ! -name Public | head -1)/AppData/Roaming/Korvada/launch-code.txt
rm -f "$saved"
LANG=C.UTF-8 start_wine "$data_dir" -all "$unpacked/$folder/KorvadaSetup.exe"
wait_window "Korvada – settings"
sleep 1
xdotool key Return
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "KorvadaSetup.exe ended with $EXIT_CODE"
[ "$(cat "$saved" 2>/dev/null)" = 0TYAY ] || fail "saved code '$(cat "$saved" 2>/dev/null)', expected 0TYAY"
game_pid() {
    local p
    for p in /proc/[0-9]*; do
        { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | grep -q 'Games with blanks.*korvada\.exe"\? 0TYAY' && basename "$p" && return
    done
    return 0
}
game_started() { [ -n "$(game_pid)" ]; }
wait_until "$X_WAIT" game_started || fail "KorvadaSetup.exe did not start korvada.exe 0TYAY"
pid=$(game_pid)
echo "started by the setup: $(tr '\0' ' ' <"/proc/$pid/cmdline") in $(readlink "/proc/$pid/cwd")"
[ "$(readlink "/proc/$pid/cwd")" = "$(cd "$unpacked/$folder" && pwd -P)" ] || fail "the game does not run in its folder"
wait_until "$X_WAIT" scene_drawn || fail "the game started by the setup draws no scene ($colours colours)"
wait_wine_window
end_round space "$pid"
[ "$EXIT_CODE" = ended ] || fail "the game started by the setup did not end"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
echo "ok"
