#!/usr/bin/env bash
# The Windows zip as a player gets it: one folder holding the programs, the
# game's 13 files and a README.txt for Notepad (CRLF); unpacked into a folder
# whose name has blanks, the game runs from there under Wine, draws the
# scene and ends normally.
#   zip_wine.sh ZIP  (with the environment of the Wine tests)
set -euo pipefail
zip=$1
version=$(basename "$zip" | sed -n 's/^Korvada-\(.*\)-win32\.zip$/\1/p')
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$zip" ] || fail "no zip at $zip: run cpack in the win32 build folder"
[ -n "$version" ] || fail "the zip's name $(basename "$zip") is not Korvada-VERSION-win32.zip"
folder=Korvada-$version-win32

listing=$(zipinfo -1 "$zip" | sort)
[ -z "$(grep -v "^$folder/" <<<"$listing")" ] || fail "files outside the one folder $folder/: $listing"
expected=$(printf "$folder/%s\n" korvada.exe README.txt air.bmp oblaka.bmp lahev2.bmp flaska.bmp font.bmp \
    tamrisol.bmp tuk01.wav tuk02.wav tuk03.wav tukm01.wav tukm02.wav tukm03.wav zblunk.wav | sort)
# ---- KorvadaSetup.exe joins the expected files once the win32 build makes it ----
diff -u <(echo "$expected") <(grep -v '/$' <<<"$listing") || fail "the zip's files differ (- expected, + found)"

unpacked="$KORVADA_WINE_WORK/zip unpacked/Games with blanks"
rm -rf "$KORVADA_WINE_WORK/zip unpacked"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
readme="$unpacked/$folder/README.txt"
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "README.txt has lines without CRLF"
grep -q 'KorvadaSetup\.exe' "$readme" || fail "README.txt does not send the player to KorvadaSetup.exe"
# The icon is the program's first icon group, the one Explorer shows.
i686-w64-mingw32-objdump -p "$unpacked/$folder/korvada.exe" | grep -qE '^[0-9a-f]{3}   Entry: ID: 0x00000e' ||
    fail "korvada.exe carries no icon"

export KORVADA_EXE="$unpacked/$folder/korvada.exe"
source "$(dirname "$0")/../wine/wine_harness.sh"
start_display 800x600 wm
start_watchdog
run_game "$data_dir" 60 -all 0TYAY
wait_for game_window >/dev/null || fail "no visible window 'Korvada'"
window=$(game_window)
xdotool windowfocus --sync "$window" 2>/dev/null || fail "cannot focus the game window"
# The window shows before the pictures are loaded: the first frames come a
# few seconds later under Wine's software OpenGL.
colours=0
scene_drawn() {
    import -window root "png:$work/scene.png"
    colours=$(convert "$work/scene.png" -format %k info:)
    [ "$colours" -ge 200 ]
}
wait_for scene_drawn || fail "the screenshot shows $colours colours after 30 s: no scene drawn"
echo "scene from '$data_dir': $colours colours on screen"
xdotool key Escape
sleep 2
xdotool keydown space
sleep 0.3
xdotool keyup space
rc=$(wait_exit 20)
[ "$rc" = 0 ] || fail "exit $rc, expected 0"
[ ! -s "$work/answered" ] || fail "an error box was shown"

# ---- KorvadaSetup.exe from the same folder, once the zip holds it ----

echo "ok"
