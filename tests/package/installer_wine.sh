#!/usr/bin/env bash
# The Windows installer as a player runs it, silently: a 64-bit program that
# installs into C:\Program Files\Korvada, the zip's files and an uninstaller,
# with a Start menu folder holding "Korvada" (the setup) and the uninstaller,
# and an entry in the installed programs' list in the 64-bit registry view.
# The installed KorvadaSetup.exe starts the game, which draws the scene. The
# silent uninstall then takes all of that away but the settings the setup
# saved. A recorded round (.kvr) is a "Korvada round", opened by korvada.exe
# with the file alone: `wine start` of one plays it to korvada-replay's end
# under its title; the uninstaller takes the type away. Then /D= with a
# folder of the player's, whose name has blanks.
#   installer_wine.sh INSTALLER  (with the environment of the Wine tests)
set -uo pipefail
installer=$(realpath "$1")
zip=${installer%-setup.exe}.zip
[ -f "$installer" ] || { echo "FAIL: no installer at $1: run cpack in the win64 build folder" >&2; exit 1; }
export KORVADA_EXE=$installer
source "$(dirname "$0")/../wine/wine_harness.sh"
# Wine would copy the Start menu entries into this machine's own menu.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
# Installed into a prefix of its own: nothing of an earlier run is there, and
# nothing of this one stays for the other tests.
fresh_prefix

x86_64-w64-mingw32-objdump -f "$installer" | grep -q 'file format pei-x86-64' ||
    fail "the installer is not a 64-bit program: $(file -b "$installer")"

folder='C:\Program Files\Korvada'
installed="$WINEPREFIX/drive_c/Program Files/Korvada"
chosen='C:\Games with blanks\Korvada'
chosen_installed="$WINEPREFIX/drive_c/Games with blanks/Korvada"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Korvada"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvada'

# install [ARGUMENT]: the installer, silent. NSIS reads /D= raw, blanks and
# all, as the last thing on the command line.
install() {
    (cd "$(dirname "$installer")" && timeout 120 wine cmd /c "$(basename "$installer") /S${1:+ $1}") ||
        fail "the installer failed"
    timeout 120 wineserver -w
}
# same_files_as_zip FOLDER: the zip's files and the uninstaller, no more.
same_files_as_zip() {
    diff -u <(zipinfo -1 "$zip" | grep -v '/$' | sed 's|^[^/]*/||; $ a Uninstall.exe' | sort) \
        <(cd "$1" && find . -type f | sed 's|^\./||' | sort) ||
        fail "the installed files differ from the zip's and the uninstaller (- expected, + found)"
}
# uninstall FOLDER: the uninstaller copies itself away and returns at once:
# wineserver -w waits for the copy. Nothing of the game is left.
uninstall() {
    (cd "$1" && timeout 120 wine Uninstall.exe /S) || fail "the uninstaller failed"
    timeout 120 wineserver -w
    [ ! -e "$1" ] || fail "left in the install folder: $(cd "$1" && find . | tr '\n' ' ')"
    [ ! -e "$menu" ] || fail "the Start menu folder is left"
    ! timeout 60 wine reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry is left"
    ! timeout 60 wine reg query 'HKLM\Software\The Korvada developers' >/dev/null 2>&1 ||
        fail "the install folder's key is left"
    for class in 'HKCR\.kvr' 'HKCR\Korvada.Round'; do
        ! timeout 60 wine reg query "$class" >/dev/null 2>&1 || fail "the uninstaller left $class"
    done
}

install
same_files_as_zip "$installed"
for link in Korvada Uninstall; do
    [ -f "$menu/$link.lnk" ] || fail "no Start menu entry $link"
done
grep -qaF "$folder\KorvadaSetup.exe" "$menu/Korvada.lnk" || fail "the Start menu's Korvada does not open KorvadaSetup.exe"

# reg.exe of a 64-bit prefix reads the native view; a 32-bit installer's
# entry would be under WOW6432Node.
entry=$(timeout 60 wine reg query "$key" /reg:64 | tr -d '\r') || fail "no entry $key in the 64-bit view"
! timeout 60 wine reg query "${key/Software/Software\\WOW6432Node}" >/dev/null 2>&1 ||
    fail "the uninstall entry is in the 32-bit view (WOW6432Node)"
echo "$entry"
value() { awk -v name="$1" '$1 == name { sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print }' <<<"$entry"; }
[ "$(value DisplayName)" = Korvada ] || fail "DisplayName '$(value DisplayName)'"
[ "$(value DisplayVersion)" = "$(basename "$installer" | sed 's/^Korvada-\(.*\)-win64-setup\.exe$/\1/')" ] ||
    fail "DisplayVersion '$(value DisplayVersion)'"
[ -n "$(value Publisher)" ] || fail "no Publisher"
[ "$(value DisplayIcon)" = "$folder\KorvadaSetup.exe" ] || fail "DisplayIcon '$(value DisplayIcon)'"
[ "$(value UninstallString)" = "\"$folder\Uninstall.exe\"" ] || fail "UninstallString '$(value UninstallString)'"
# The size shown is the folder's, in KiB.
size=$(($(value EstimatedSize)))
bytes=$(find "$installed" -type f -printf '%s\n' | awk '{n += $1} END {print n}')
[ $((bytes / 1024 - size)) -le 16 ] && [ $((size - bytes / 1024)) -le 16 ] ||
    fail "EstimatedSize $size KiB, the folder holds $((bytes / 1024)) KiB"

# The installed setup: Enter saves the default code and starts the game from
# the installed folder.
start_display xvfb 800x600
answer_boxes
saved=$(saved_code_file)
rm -f "$saved"
LANG=C.UTF-8 start_wine "$installed" -all "$installed/KorvadaSetup.exe"
wait_wine_window "Korvada – settings"
sleep 1
xdotool key Return
play_from_setup 'Program Files\Korvada\korvada.exe' "$installed"
[ "$(cat "$saved" 2>/dev/null)" = 0TYAY ] || fail "saved code '$(cat "$saved" 2>/dev/null)', expected 0TYAY"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"

# The round type, as Explorer finds it (HKCR, the classes of both views).
reg_default() { timeout 60 wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | awk '/REG_SZ/ {sub(/^ *[^ ]+ +REG_SZ +/, ""); print}'; }
[ "$(reg_default 'HKCR\.kvr')" = Korvada.Round ] || fail ".kvr is '$(reg_default 'HKCR\.kvr')'"
[ "$(reg_default 'HKCR\Korvada.Round')" = "Korvada round" ] || fail "the type is named '$(reg_default 'HKCR\Korvada.Round')'"
command=$(reg_default 'HKCR\Korvada.Round\shell\open\command')
[ "$command" = "\"$folder\korvada.exe\" \"%1\"" ] || fail "a round opens with '$command'"
: "${KORVADA_REPLAY:?path of the Linux korvada-replay}"
mkdir -p "$WORK/rounds with blanks"
"$KORVADA_REPLAY" --seed 7 --bottles 12 --steps 530 --dt 0.02 --keys 1-400:RIGHT,1-20:DOWN --name Jana \
  --day 2026-12-09 --record "$WORK/rounds with blanks/round.kvr" >"$WORK/replay.txt" || fail "korvada-replay failed"
# Opened as Explorer opens it (ShellExecute, through the class): the game's
# window says whose round it is. Esc ends it, Space leaves its end screen.
round="$WORK/rounds with blanks/round.kvr"
start_program "$WORK" env WINEDEBUG=-all wine start /wait /unix "$round"
wait_wine_window "Korvada – Jana's round, 9 Dec 2026, 1 bubble"
wait_acting "$X_WAIT" "xdotool key Escape sleep 0.5 key space" x_program_ended ||
  fail "the round opened by wine start does not end"
# The open command itself, run as Windows runs it, plays it to korvada-replay's end.
exe=$(sed 's/^"\([^"]*\)" "%1"$/\1/' <<<"$command")
start_program "$installed" env KORVADA_PRINT_HEIGHT=1 WINEDEBUG=-all wine "$exe" "$(winepath -w "$round" 2>/dev/null)"
wait_wine_window "Korvada – Jana's round, 9 Dec 2026, 1 bubble"
round_over() { grep -aq ' over 1' "$WORK/stdout"; }
wait_until "$X_WAIT" round_over || fail "the round opened by its command did not end: $(tail -c 300 "$WORK/stdout")"
ended=$(grep -a -m1 ' over 1' "$WORK/stdout" | tr -d '\r' | awk '{for (i = 3; i < NF; i += 2) if ($i ~ /^[xyz]$|^score$/) printf "%s ", $(i + 1)}')
printed=$(awk '/^bottle 0 / {line = $3 " " $4 " " $5 " " $11 " "} END {print line}' "$WORK/replay.txt")
[ "$ended" = "$printed" ] || fail "opened by its command the round ends at '$ended', in korvada-replay at '$printed'"
wait_acting "$X_WAIT" "xdotool key space" x_program_ended || fail "the opened round's end screen does not close"
note "ok: wine start round.kvr showed its title; '$command' played it to korvada-replay's end ($ended)"

# What the game cannot play, opened so, is refused in its box with its reason.
head -c 100 "$round" >"$WORK/cut.kvr"
cp "$round" "$WORK/newer.kvr"
printf '\x03' | dd of="$WORK/newer.kvr" bs=1 seek=8 conv=notrunc status=none
"$KORVADA_REPLAY" --seed 7 --steps 10 --day 2099-01-01 --record "$WORK/later.kvr" >/dev/null || fail "korvada-replay failed"
echo "a shopping list" >"$WORK/list.kvr"
for case in "cut.kvr:damaged: 100 bytes where" "newer.kvr:a recording of version 3, made by a newer game" \
    "later.kvr:a round of 2099-01-01, a day that has not come yet" "list.kvr:not a Korvada recording"; do
  start_program "$installed" env WINEDEBUG=-all,trace+msgbox wine "$exe" "$(winepath -w "$WORK/${case%%:*}" 2>/dev/null)"
  wait_exit
  [ "$EXIT_CODE" = 1 ] || fail "${case%%:*}: exit code $EXIT_CODE, expected 1"
  box_texts | grep -qF "Záznam kola nelze přehrát!\n" || fail "${case%%:*}: the box said '$(box_texts)'"
  box_texts | grep -qF "${case#*:}" || fail "${case%%:*}: not refused with '${case#*:}': '$(box_texts)'"
  note "refused: $(box_texts | tail -n1)"
done

uninstall "$installed"
[ "$(cat "$saved" 2>/dev/null)" = 0TYAY ] || fail "the uninstaller took the saved settings"
echo "installed into $folder, played, uninstalled; the settings kept"

# A folder of the player's.
install "/D=$chosen"
same_files_as_zip "$chosen_installed"
[ ! -e "$installed" ] || fail "/D= was not taken: the game went into $folder"
entry=$(timeout 60 wine reg query "$key" /reg:64 | tr -d '\r') || fail "no entry $key in the 64-bit view"
[ "$(value UninstallString)" = "\"$chosen\Uninstall.exe\"" ] || fail "UninstallString '$(value UninstallString)'"
uninstall "$chosen_installed"
echo "ok"
