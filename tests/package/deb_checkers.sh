#!/usr/bin/env bash
# Debian's own checkers on the package: lintian, desktop-file-validate and
# appstreamcli find no errors and no warnings but the ones named below, and
# the package's manual pages render cleanly (man_pages.sh). Their full
# outputs go to OUT_DIR.
#   deb_checkers.sh DEB OUT_DIR
set -euo pipefail
deb=$1
out=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package at $deb: run 'cpack -G DEB' in the build folder"
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/korvada-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"

# Warnings that stay, each for its reason:
# - cid-desktopapp-is-not-rdns: the AppStream id is the program's name, as
#   the desktop entry's is; the game has no domain of its own to name it by.
allowed="cid-desktopapp-is-not-rdns"

# unexpected FILE: the error and warning lines of a checker's output, but
# for the allowed tags.
unexpected() {
    grep -E '^(E|W): ' "$1" | while read -r line; do
        for tag in $allowed; do
            [[ $line == *" $tag"* ]] && continue 2
        done
        echo "$line"
    done
}

echo "--- lintian"
rc=0
timeout 300 lintian --display-info --pedantic "$deb" >"$work/lintian.txt" 2>&1 || rc=$?
# (It runs as root here, and says so: not a finding about the package.)
grep -v 'running with root privileges' "$work/lintian.txt" >"$out/lintian.txt" || true
cat "$out/lintian.txt"
[ "$rc" -le 1 ] || fail "lintian could not check the package (exit $rc)"
[ -z "$(unexpected "$out/lintian.txt")" ] || fail "lintian: $(unexpected "$out/lintian.txt")"

echo "--- desktop-file-validate"
desktop-file-validate "$work/usr/share/applications/korvada.desktop" "$work/usr/share/applications/korvada-watch.desktop" \
    >"$out/desktop-file-validate.txt" 2>&1 ||
    fail "desktop-file-validate: $(cat "$out/desktop-file-validate.txt")"
cat "$out/desktop-file-validate.txt"
[ ! -s "$out/desktop-file-validate.txt" ] || fail "desktop-file-validate has something to say"

echo "--- appstreamcli validate"
metainfo=("$work"/usr/share/metainfo/*.metainfo.xml)
[ ${#metainfo[@]} = 1 ] && [ -f "${metainfo[0]}" ] || fail "not one metainfo file"
appstreamcli validate --no-net --pedantic "${metainfo[0]}" >"$out/appstreamcli.txt" 2>&1 || true
cat "$out/appstreamcli.txt"
grep -q 'Validation' "$out/appstreamcli.txt" || fail "appstreamcli did not validate"
[ -z "$(unexpected "$out/appstreamcli.txt")" ] || fail "appstreamcli: $(unexpected "$out/appstreamcli.txt")"
# The software centre starts the game through the desktop entry it names.
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "${metainfo[0]}")
[ -f "$work/usr/share/applications/$launchable" ] || fail "the metainfo launches $launchable, which is not in the package"

echo "--- manual pages"
bash "$(dirname "$0")/man_pages.sh" "$out" "$work"/usr/share/man/man6/*.6.gz
# The game's page carries the launch code table and the keys.
grep -q '^ *4 *bottles *A the default 4' "$out/korvada.6.txt" || fail "korvada(6) lacks the launch code table"
grep -qx 'KEYS' "$out/korvada.6.txt" || fail "korvada(6) has no KEYS section"
echo "ok"
