#!/usr/bin/env bash
# The korvada-board package, as cpack -G DEB makes it beside korvada: its
# files, lintian with no error or warning, its manual page clean, its
# systemd unit valid and sandboxed to an exposure under 2.0 (systemd-analyze
# security, offline), and its program answering --version. Outputs in OUT_DIR.
#   board_deb.sh DEB OUT_DIR
set -euo pipefail
deb=$1 out=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package at $deb: run 'cpack -G DEB' in the build folder"
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/korvada-board-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = korvada-board ] || fail "package name $(field Package)"
[ "$(field Section)" = net ] || fail "section $(field Section)"
for library in libcpp-httplib libsqlite3 libpq5 libc6; do
    grep -q "$library" <<<"$(field Depends)" || fail "Depends lacks $library: $(field Depends)"
done
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./|/|' | grep -v '^/usr/share/korvada-board/web/' |
    sort >"$work/files"
printf '%s\n' /usr/sbin/korvada-board /usr/lib/systemd/system/korvada-board.service \
    /usr/share/man/man8/korvada-board.8.gz /usr/share/doc/korvada-board/copyright \
    /usr/share/doc/korvada-board/changelog.gz | sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package's files differ (- expected, + found)"

echo "--- lintian"
rc=0
timeout 300 lintian --display-info --pedantic "$deb" >"$work/lintian.txt" 2>&1 || rc=$?
grep -v 'running with root privileges' "$work/lintian.txt" >"$out/lintian.txt" || true
cat "$out/lintian.txt"
[ "$rc" -le 1 ] || fail "lintian could not check the package (exit $rc)"
! grep -qE '^(E|W): ' "$out/lintian.txt" || fail "lintian: $(grep -E '^(E|W): ' "$out/lintian.txt")"

dpkg-deb -x "$deb" "$work/root"
echo "--- manual page"
bash "$(dirname "$0")/../package/man_pages.sh" "$out" "$work/root/usr/share/man/man8/korvada-board.8.gz"

echo "--- the unit"
unit=$work/root/usr/lib/systemd/system/korvada-board.service
grep -qx 'DynamicUser=yes' "$unit" && grep -qx 'StateDirectory=korvada-board' "$unit" || fail "no DynamicUser= or StateDirectory="
systemd-analyze security --offline=true "$unit" >"$out/security.txt" 2>&1 || true
exposure=$(sed -n 's/.*Overall exposure level for korvada-board.service: \([0-9.]*\).*/\1/p' "$out/security.txt")
echo "exposure: $exposure"
[ -n "$exposure" ] || fail "systemd-analyze gave no exposure: $(tail -3 "$out/security.txt")"
awk -v e="$exposure" 'BEGIN { exit !(e < 2.0) }' || fail "exposure $exposure, not under 2.0"

echo "--- the program"
version=$("$work/root/usr/sbin/korvada-board" --version)
[ "$version" = "korvada-board $(field Version)" ] || fail "--version says '$version'"
"$work/root/usr/sbin/korvada-board" --help | grep -q -- '--database URL' || fail "--help names no --database"
echo ok
