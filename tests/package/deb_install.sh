#!/usr/bin/env bash
# The Debian package as a player gets it: installed with apt-get, the game
# started through the setup as its desktop entry says on a private X display
# (its frame shows the scene) and typed in a terminal in another folder,
# then removed, leaving nothing of it behind. A recorded round is a type of
# its own to the desktop, which opens it in the game: played to the end
# korvada-replay prints, under a title saying whose it is; a file the game
# cannot play is refused with its reason.
#
# This changes the machine: it needs root, refuses to run when korvada is
# already installed (that one is not ours to remove), and removes the package,
# and whatever apt-get brought in for it, on every way out.
#   deb_install.sh DEB KORVADA_REPLAY
source "$(dirname "$0")/../x_harness.sh"
deb=$(realpath "$1")
replay=$2
[ -f "$deb" ] || fail "no package at $1: run 'cpack -G DEB' in the build folder"
if [ "$(id -u)" != 0 ]; then
    echo "SKIP: installing a package needs root"
    exit 77
fi
status=$(dpkg-query -W -f='${db:Status-Status}' korvada 2>/dev/null)
if [ -n "$status" ] && [ "$status" != not-installed ]; then
    fail "korvada is already on this machine ($status): this test installs and removes its own" \
        "package and will not touch that one. Remove it first (apt-get purge korvada)."
fi

installed_packages() { dpkg-query -W -f='${binary:Package} ${db:Status-Status}\n' | awk '$2 == "installed" {print $1}' | sort; }
apt() { DEBIAN_FRONTEND=noninteractive timeout 300 apt-get -y -q -o DPkg::Lock::Timeout=120 "$@"; }
logs=$(mktemp -d "${TMPDIR:-/tmp}/korvada-deb.XXXXXX")
installed_packages >"$logs/before"
# Puts the machine back: the package out, with whatever came in with it.
restore() {
    installed_packages >"$logs/after"
    local added
    added=$(comm -13 "$logs/before" "$logs/after" | tr '\n' ' ')
    [ -z "$added" ] && return 0
    echo "-- removing: $added"
    # shellcheck disable=SC2086
    apt purge $added >"$logs/purge.log" 2>&1 || { cat "$logs/purge.log" >&2; return 1; }
}
trap 'restore; rm -rf "$logs"' EXIT

apt install "$deb" >"$logs/install.log" 2>&1 || { cat "$logs/install.log"; fail "apt-get install failed"; }
echo "-- installed: $(comm -13 "$logs/before" <(installed_packages) | tr '\n' ' ')"
dpkg -L korvada | sort >"$logs/owned"
grep -qx /usr/games/korvada "$logs/owned" || fail "dpkg -L does not list /usr/games/korvada"

e2e_setup /usr/games/korvada /usr/share/games/korvada
at_exit 'restore; rm -rf "$logs"'

# Started as a player starts it from the desktop's menu: the entry opens the
# setup, whose "Play" action plays the saved code (none yet: the default).
export XDG_CONFIG_HOME="$WORK/config"
entry=/usr/share/applications/korvada.desktop
main_exec=$(sed -n '/^\[Desktop Entry\]/,/^\[/ s/^Exec=//p' "$entry")
play_exec=$(sed -n '/^\[Desktop Action Play\]/,/^\[/ s/^Exec=//p' "$entry")
note "desktop entry: Exec=$main_exec; Play: Exec=$play_exec"
[ "$main_exec" = /usr/games/korvada-setup ] || fail "the entry opens $main_exec"
[ "$play_exec" = "/usr/games/korvada-setup --play" ] || fail "the Play action runs $play_exec"
printed=$(timeout 60 /usr/games/korvada-setup --print) || fail "korvada-setup --print failed"
[ "$printed" = 0TYAY ] || fail "korvada-setup --print says '$printed', expected 0TYAY"
# shellcheck disable=SC2086
start_program / env SDL_AUDIODRIVER=dummy $play_exec
KORVADA=/usr/games/korvada
wait_game_window
cmdline=$(tr '\0' ' ' <"/proc/$GAME_PID/cmdline")
[ "$cmdline" = "/usr/games/korvada 0TYAY " ] || fail "the Play action runs '$cmdline'"
[ "$(readlink "/proc/$GAME_PID/cwd")" = /usr/share/games/korvada ] || fail "the game does not run in its data folder"
[ -z "$(error_box)" ] || fail "an error box is open"
shot_scene installed || fail "the installed game's frame is mostly black (lit share $LIT)"
read -r red green blue lit <<<"$(image stats "$WORK/installed.ppm")"
note "scene: mean colour $red $green $blue, lit share $lit"
grep -q "Soubor" "$WORK/stderr" && fail "a picture was not found"
close_with key alt+F4
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE, expected 0"
note "ok: '$cmdline' printed and played"

# Typed in a terminal anywhere: the installed game finds its own data.
start_program "$WORK" env SDL_AUDIODRIVER=dummy /usr/games/korvada 0TYAY
wait_game_window
[ -z "$(error_box)" ] || fail "started elsewhere: an error box is open ($(cat "$WORK/stderr"))"
! grep -q "Soubor" "$WORK/stderr" || fail "started elsewhere: a picture was not found: $(cat "$WORK/stderr")"
[ "$(readlink "/proc/$GAME_PID/cwd")" = /usr/share/games/korvada ] || fail "started elsewhere: not in the data folder"
close_with key alt+F4
[ "$EXIT_CODE" = 0 ] || fail "started elsewhere: exit code $EXIT_CODE, expected 0"
note "ok: started in $WORK, the game reads from its data folder"

# A round opened from the desktop, as a double click or xdg-open opens it on
# GNOME, whose xdg-mime and xdg-open ask GLib, and GLib the shared MIME
# database: the type by the file's name and, without it, by its first bytes;
# the game's own entry opens it, with the file alone, and plays it with the
# code the setup last played (here in a window) to korvada-replay's end.
export XDG_CURRENT_DESKTOP=GNOME
"$replay" --seed 7 --bottles 12 --steps 530 --dt 0.02 --keys 1-400:RIGHT,1-20:DOWN --name Jana --day 2026-12-09 \
    --record "$WORK/round.kvr" >"$WORK/replay.txt" || fail "korvada-replay --record failed"
cp "$WORK/round.kvr" "$WORK/round-renamed"
for file in round.kvr round-renamed; do
    type=$(xdg-mime query filetype "$WORK/$file")
    [ "$type" = application/x-korvada-round ] || fail "xdg-mime says $file is '$type'"
done
default=$(xdg-mime query default application/x-korvada-round)
[ "$default" = korvada-watch.desktop ] || fail "xdg-mime's default for a round is '$default'"
watch_exec=$(sed -n 's/^Exec=//p' /usr/share/applications/korvada-watch.desktop)
[ "$watch_exec" = "/usr/games/korvada %f" ] || fail "the round's entry runs '$watch_exec'"
mkdir -p "$XDG_CONFIG_HOME/korvada"
echo "0TYAY window" >"$XDG_CONFIG_HOME/korvada/launch-code"
# open FILE: xdg-open FILE; the game it started is GAME_PID, its output in
# $WORK/stdout and $WORK/stderr.
open_round() {
    GAME_PID=
    env SDL_AUDIODRIVER=dummy KORVADA_PRINT_HEIGHT=1 xdg-open "$1" >"$WORK/stdout" 2>"$WORK/stderr" ||
        fail "xdg-open $1 failed: $(cat "$WORK/stderr")"
    wait_until "$X_WAIT" opened_game "$1" || fail "xdg-open $1 started no game"
}
opened_game() {
    local process
    for process in /proc/[0-9]*; do
        [ "$(readlink "$process/exe" 2>/dev/null)" = /usr/games/korvada ] || continue
        [ "$(tr '\0' ' ' <"$process/cmdline" 2>/dev/null)" = "/usr/games/korvada $1 " ] || continue
        GAME_PID=${process#/proc/}
        return 0
    done
    return 1
}
opened_round_over() { grep -q ' over 1$' "$WORK/stdout"; }
open_round "$WORK/round.kvr"
wait_focused_window "Korvada – Jana's round, 9 Dec 2026, 1 bubble"
wait_until "$X_WAIT" opened_round_over || fail "the round opened by xdg-open did not end"
ended=$(grep -m1 ' over 1$' "$WORK/stdout" | awk '{for (i = 3; i < NF; i += 2) if ($i ~ /^[xyz]$|^score$/) printf "%s ", $(i + 1)}')
printed=$(awk '/^bottle 0 / {line = $3 " " $4 " " $5 " " $11 " "} END {print line}' "$WORK/replay.txt")
[ "$ended" = "$printed" ] || fail "opened by xdg-open the round ends at '$ended', in korvada-replay at '$printed'"
wait_acting "$X_WAIT" "xdotool key space" x_program_ended || fail "the opened round's end screen does not close"
note "ok: xdg-open played the round under its title to korvada-replay's end ($ended)"

# What the game cannot play, opened so, is refused with its reason in a box.
head -c 100 "$WORK/round.kvr" >"$WORK/cut.kvr"
cp "$WORK/round.kvr" "$WORK/newer.kvr"
printf '\x03' | dd of="$WORK/newer.kvr" bs=1 seek=8 conv=notrunc status=none
"$replay" --seed 7 --steps 10 --day 2099-01-01 --record "$WORK/later.kvr" >/dev/null || fail "korvada-replay --day failed"
echo "a shopping list" >"$WORK/list.kvr"
for case in "cut.kvr:damaged" "newer.kvr:a recording of version 3, made by a newer game" \
    "later.kvr:a round of 2099-01-01, a day that has not come yet" "list.kvr:not a Korvada recording"; do
    open_round "$WORK/${case%%:*}"
    dismiss_boxes 1
    wait_until "$X_WAIT" x_program_ended || fail "${case%%:*}: the game did not end after its box"
    grep -A1 -xF "Záznam kola nelze přehrát!" "$WORK/stderr" | tail -n1 | grep -qF "${case#*:}" ||
        fail "${case%%:*}: not refused with '${case#*:}': $(cat "$WORK/stderr")"
    note "refused: ${case%%:*}: $(grep -A1 -xF "Záznam kola nelze přehrát!" "$WORK/stderr" | tail -n1)"
done
unset XDG_CURRENT_DESKTOP

# Removed: every file gone; a folder may stay only when another package owns it too.
restore || fail "removing the package failed"
left=0
while read -r path; do
    [ -e "$path" ] || continue
    if [ -d "$path" ] && dpkg -S "$path" >/dev/null 2>&1; then continue; fi
    echo "left behind: $path" >&2
    left=1
done <"$logs/owned"
[ "$left" = 0 ] || fail "removing the package left files behind"
note "removed: none of its $(wc -l <"$logs/owned") paths left but shared folders"
note "ok"
