#!/usr/bin/env bash
# Manual pages render at 80 columns without a warning from man or groff, fit
# those 80 columns, and have the sections a page of section 6 needs. The
# rendered text goes to OUT_DIR/NAME.6.txt.
#   man_pages.sh OUT_DIR PAGE...   (PAGE as written, or gzipped)
set -euo pipefail
out=$1
shift
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir -p "$out"
[ $# -gt 0 ] || fail "no manual pages given"
for page in "$@"; do
    name=$(basename "$page" .gz)
    name=${name%.6}
    [ -f "$page" ] || fail "no page at $page"
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -l "$page" 2>"$out/$name.warnings" >"$out/$name.6.txt"
    zcat -f "$page" | LC_ALL=C.UTF-8 groff -ww -man -t -Tutf8 -z 2>>"$out/$name.warnings"
    [ ! -s "$out/$name.warnings" ] || fail "$name(6): $(cat "$out/$name.warnings")"
    [ "$(LC_ALL=C.UTF-8 wc -L <"$out/$name.6.txt")" -le 80 ] || fail "$name(6) has lines over 80 columns"
    for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" FILES "SEE ALSO"; do
        grep -qx "$section" "$out/$name.6.txt" || fail "$name(6) has no $section section"
    done
    echo "$name(6): $(wc -l <"$out/$name.6.txt") lines, no warnings"
done
