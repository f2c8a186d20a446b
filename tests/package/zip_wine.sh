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
[ -f "$zip" ] || fail "no zip at $zip: run cpack in the win64 build folder"
[ -n "$version" ] || fail "the zip's name $(basename "$zip") is not Korvada-VERSION-win64.zip"
folder=Korvada-$version-win64

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
wait_until "$X_WAIT" scene_drawn || fail "the screenshot shows $COLOURS colours after $X_WAIT s: no scene drawn"
echo "scene from '$data_dir': $COLOURS colours on screen"
end_round space
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE, expected 0"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"

# KorvadaSetup.exe from the same folder: Enter plays the default code, and
# the game it starts runs from the folder with blanks in its path.
saved=$(saved_code_file)
rm -f "$saved"
LANG=C.UTF-8 start_wine "$data_dir" -all "$unpacked/$folder/KorvadaSetup.exe"
wait_wine_window "Korvada – settings"
sleep 1
xdotool key Return
play_from_setup "$folder\korvada.exe" "$unpacked/$folder"
[ "$(cat "$saved" 2>/dev/null)" = 0TYAY ] || fail "saved code '$(cat "$saved" 2>/dev/null)', expected 0TYAY"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"
echo "ok"
