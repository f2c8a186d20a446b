#!/usr/bin/env bash
# The Windows installer as a player runs it, silently, into a folder whose
# name has blanks: it installs the zip's files and an uninstaller, a Start
# menu folder with "Korvada" (the setup) and the uninstaller, and an entry in
# the installed programs' list. The installed KorvadaSetup.exe starts the game,
# which draws the scene. The silent uninstall then takes all of that away but
# the settings the setup saved.
#   installer_wine.sh INSTALLER  (with the environment of the Wine tests)
set -uo pipefail
installer=$(realpath "$1")
zip=${installer%-installer.exe}.zip
[ -f "$installer" ] || { echo "FAIL: no installer at $1: run cpack in the win32 build folder" >&2; exit 1; }
export KORVADA_EXE=$installer
source "$(dirname "$0")/../wine/wine_harness.sh"
# Wine would copy the Start menu entries into this machine's own menu.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

folder='C:\Games with blanks\Korvada'
installed="$WINEPREFIX/drive_c/Games with blanks/Korvada"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Korvada"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvada'
# What an earlier run may have left.
rm -rf "$WINEPREFIX/drive_c/Games with blanks" "$menu"
timeout 60 wine reg delete "$key" /f >/dev/null 2>&1 || true

# NSIS reads /D= raw, blanks and all, as the last thing on the command line.
(cd "$(dirname "$installer")" && timeout 120 wine cmd /c "$(basename "$installer") /S /D=$folder") ||
    fail "the installer failed"
timeout 120 wineserver -w
diff -u <(zipinfo -1 "$zip" | grep -v '/$' | sed 's|^[^/]*/||; $ a Uninstall.exe' | sort) \
    <(cd "$installed" && find . -type f | sed 's|^\./||' | sort) ||
    fail "the installed files differ from the zip's and the uninstaller (- expected, + found)"
for link in Korvada Uninstall; do
    [ -f "$menu/$link.lnk" ] || fail "no Start menu entry $link"
done
grep -qaF "$folder\\KorvadaSetup.exe" "$menu/Korvada.lnk" || fail "the Start menu's Korvada does not open KorvadaSetup.exe"

entry=$(timeout 60 wine reg query "$key" | tr -d '\r') || fail "no entry $key"
echo "$entry"
value() { awk -v name="$1" '$1 == name { sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print }' <<<"$entry"; }
[ "$(value DisplayName)" = Korvada ] || fail "DisplayName '$(value DisplayName)'"
[ "$(value DisplayVersion)" = "$(basename "$installer" | sed 's/^Korvada-\(.*\)-win64-setup\.exe$/\1/')" ] ||
    fail "DisplayVersion '$(value DisplayVersion)'"
[ -n "$(value Publisher)" ] || fail "no Publisher"
[ "$(value DisplayIcon)" = "$folder\\KorvadaSetup.exe" ] || fail "DisplayIcon '$(value DisplayIcon)'"
[ "$(value UninstallString)" = "\"$folder\\Uninstall.exe\"" ] || fail "UninstallString '$(value UninstallString)'"
# The size shown is the folder's, in KiB.
size=$(($(value EstimatedSize)))
bytes=$(find "$installed" -type f -printf '%s\n' | awk '{n += $1} END {print n}')
[ $((bytes / 1024 - size)) -le 16 ] && [ $((size - bytes / 1024)) -le 16 ] ||
    fail "EstimatedSize $size KiB, the folder holds $((bytes / 1024)) KiB"

# The installed setup: Enter saves the default code and starts the game from
# the installed folder.
start_display xvfb 800x600
answer_boxes
saved=$(find "$WINEPREFIX/drive_c/users" -maxdepth 1 -mindepth 1 -type d ! -name Public | head -1)/AppData/Roaming/Korvada/launch-code.txt
rm -f "$saved"
LANG=C.UTF-8 start_wine "$installed" -all "$installed/KorvadaSetup.exe"
wait_until "$X_WAIT" eval '[ -n "$(xdotool search --onlyvisible --name "^Korvada – settings$" 2>/dev/null)" ]' ||
    fail "the installed KorvadaSetup.exe shows no dialog"
sleep 1
xdotool key Return
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "KorvadaSetup.exe ended with $EXIT_CODE, expected 0"
[ "$(cat "$saved" 2>/dev/null)" = 0TYAY ] || fail "saved code '$(cat "$saved" 2>/dev/null)', expected 0TYAY"
game_pid() {
    local p
    for p in /proc/[0-9]*; do
        { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | grep -qF 'Games with blanks\Korvada\korvada.exe' && basename "$p" && return
    done
    return 0
}
wait_until "$X_WAIT" eval '[ -n "$(game_pid)" ]' || fail "the installed setup did not start korvada.exe"
pid=$(game_pid)
[ "$(readlink "/proc/$pid/cwd")" = "$(cd "$installed" && pwd -P)" ] || fail "the game does not run in its folder"
colours=0
scene_drawn() {
    import -window root "png:$WORK/scene.png"
    colours=$(convert "$WORK/scene.png" -format %k info:)
    [ "$colours" -ge 200 ]
}
wait_until "$X_WAIT" scene_drawn || fail "the installed game draws no scene ($colours colours)"
echo "installed game: $colours colours on screen"
xdotool windowfocus --sync "$(find_window Korvada)" 2>/dev/null || true
xdotool key Escape
sleep 2
xdotool keydown space
sleep 0.3
xdotool keyup space
wait_until "$X_WAIT" eval '[ ! -d /proc/'"$pid"' ]' || fail "the installed game did not end"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"

# The uninstaller copies itself away and returns at once: wineserver -w
# waits for the copy.
(cd "$installed" && timeout 120 wine Uninstall.exe /S) || fail "the uninstaller failed"
timeout 120 wineserver -w
[ ! -e "$installed" ] || fail "left in the install folder: $(cd "$installed" && find . | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "the Start menu folder is left"
! timeout 60 wine reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry is left"
! timeout 60 wine reg query 'HKLM\Software\The Korvada developers' >/dev/null 2>&1 || fail "the install folder's key is left"
[ "$(cat "$saved" 2>/dev/null)" = 0TYAY ] || fail "the uninstaller took the saved settings"
echo "ok"
