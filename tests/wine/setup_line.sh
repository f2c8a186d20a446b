#!/usr/bin/env bash
# KorvadaSetup.exe in Czech on a 1024 x 768 screen, its AppData folder moved
# to one with a long name and no blank in it (as Explorer lets a player move
# it): Watch best is offered for the round kept, and the round damaged since
# is refused on the dialog's line in Czech, the whole line shown (it wraps in
# the path, and the dialog grows down, never past the screen, keeping its
# width), Play within reach; the damaged round is no longer offered, and Esc
# still closes the dialog.
source "$(dirname "$0")/wine_harness.sh"
: "${KORVADA_REPLAY:?path of korvada-replay}"
setup="$data_dir/KorvadaSetup.exe"
reader="${KORVADA_WINE_TOOLS:-$data_dir}/setup_reader.exe"
[ -f "$reader" ] || fail "$reader is missing: build the Windows programs"
locale -a 2>/dev/null | grep -qix 'cs_CZ.utf8' || fail "no cs_CZ.UTF-8 locale (scripts/packages.sh makes it)"
export LANG=cs_CZ.UTF-8
fresh_prefix
start_display xvfb 1024x768
answer_boxes

user=$(basename "$(find "$WINEPREFIX/drive_c/users" -maxdepth 1 -mindepth 1 -type d ! -name Public | head -1)")
moved="korvada-$(printf 'x%.0s' $(seq 140))"
for key in 'User Shell Folders' 'Shell Folders'; do
  timeout 60 wine reg add "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\$key" /v AppData \
    /d "C:\\users\\$user\\$moved" /f >/dev/null || fail "cannot move the AppData folder"
done
timeout 60 wineserver -w
kept="$WINEPREFIX/drive_c/users/$user/$moved/Korvada"
mkdir -p "$kept"
printf 'korvada best catches\r\n4 3 2026-12-01\r\n' >"$kept/best-catches.txt"
"$KORVADA_REPLAY" --seed 3 --bottles 4 --steps 40 --record "$kept/best-round-4.kvr" >/dev/null ||
  fail "korvada-replay made no recording"

# read_dialog: what the dialog shows: DIALOG, WORK_AREA, PLAY (X Y W H), LINE and
# LINE_SHOWN (whole or cut).
read_dialog() {
  local out
  out=$(timeout 60 wine "$reader" "$title" | tr -d '\r') || fail "setup_reader found no dialog '$title'"
  DIALOG=$(sed -n 's/^dialog //p' <<<"$out") WORK_AREA=$(sed -n 's/^work //p' <<<"$out")
  PLAY=$(sed -n 's/^play //p' <<<"$out") LINE=$(sed -n 's/^line //p' <<<"$out")
  LINE_SHOWN=$(sed -n 's/^line-shown //p' <<<"$out") LINE_LINES=$(sed -n 's/^line-lines //p' <<<"$out")
}
# inside OUTER INNER: the box INNER (X Y W H) lies within OUTER.
inside() {
  awk -v o="$1" -v i="$2" 'BEGIN { split(o, a, " "); split(i, b, " ");
    exit !(b[1] >= a[1] && b[2] >= a[2] && b[1] + b[3] <= a[1] + a[3] && b[2] + b[4] <= a[2] + a[4]) }'
}

title="Korvada – nastavení"
start_wine "$data_dir" -all "$setup"
wait_wine_window "$title"
sleep 0.5
read_dialog
before=$DIALOG
[ -z "$LINE" ] || fail "the dialog opens with a line: $LINE"
# Damaged since it was offered: its checksum's last byte turned over.
perl -e 'open(F, "+<", $ARGV[0]) or die; seek(F, -1, 2); read(F, $b, 1); seek(F, -1, 2); print F chr(ord($b) ^ 0xFF)' \
  "$kept/best-round-4.kvr"
xdotool key alt+n
refused() { read_dialog; [ -n "$LINE" ]; }
wait_until "$X_WAIT" refused || fail "the damaged round was not refused on the line"
sleep 0.5
import -window root "png:$WORK/dialog-long-line.png"
read_dialog
note "the dialog at $before, with its line at $DIALOG in a work area of $WORK_AREA; Play at $PLAY"
note "its line, $LINE_LINES: $LINE"
expected="Nejlepší kolo nelze přehrát: C:\\users\\$user\\$moved\\Korvada\\best-round-4.kvr: záznam je poškozený"
# The line as one text again: a break the dialog made is no letter of it,
# and one at a blank took the blank (no line ends in one).
breaks_only() {
  python3 - "$1" "$2" <<'PY'
import sys
parts, expected = sys.argv[1].split(' | '), sys.argv[2]
text = parts[0]
for part in parts[1:]:
    if text.endswith(' '): sys.exit(1)
    text += part if expected.startswith(text + part) else ' ' + part
sys.exit(text != expected)
PY
}
breaks_only "$LINE" "$expected" || fail "the line is '$LINE', expected '$expected'"
[ "$LINE_SHOWN" = whole ] || fail "the line is cut off: not all of it is drawn"
inside "$WORK_AREA" "$DIALOG" || fail "the dialog at $DIALOG is not inside the screen's $WORK_AREA"
inside "$DIALOG" "$PLAY" || fail "Play at $PLAY is not inside the dialog at $DIALOG"
[ "$(cut -d' ' -f3 <<<"$DIALOG")" = "$(cut -d' ' -f3 <<<"$before")" ] || fail "the dialog's width changed: $before, then $DIALOG"
[ "$(cut -d' ' -f4 <<<"$DIALOG")" -gt "$(cut -d' ' -f4 <<<"$before")" ] || fail "the dialog did not grow for its line"
[ -z "$(wine_pid '--watch')" ] || fail "the damaged recording was played"
# No longer offered: Alt+N does nothing; Esc closes the dialog.
xdotool key alt+n
sleep 1
[ -z "$(wine_pid '--watch')" ] || fail "the damaged round is still offered"
xdotool key Escape
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "Esc: KorvadaSetup.exe ended with $EXIT_CODE"
[ ! -s "$WORK/answered" ] || fail "an error box was shown"

if [ -n "${KORVADA_SETUP_SHOTS:-}" ]; then
  mkdir -p "$KORVADA_SETUP_SHOTS"
  cp "$WORK/dialog-long-line.png" "$KORVADA_SETUP_SHOTS/wine-dialog-long-line.png"
fi
note "ok"
