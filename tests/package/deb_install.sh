#!/usr/bin/env bash
# The Debian package as a player gets it: installed with apt-get, the game
# started through the setup as its desktop entry says on a private X display
# (its frame shows the scene) and typed in a terminal in another folder,
# then removed, leaving nothing of it behind.
#
# This changes the machine: it needs root, refuses to run when korvada is
# already installed (that one is not ours to remove), and removes the package,
# and whatever apt-get brought in for it, on every way out.
#   deb_install.sh DEB
source "$(dirname "$0")/../x_harness.sh"
deb=$(realpath "$1")
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
