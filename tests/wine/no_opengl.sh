#!/usr/bin/env bash
# On an X server without its OpenGL extension Windows offers no pixel format
# to draw with: the game refuses to start with exit code 2 and names the
# pixel format as the reason, with no display box and no display change.
source "$(dirname "$0")/wine_harness.sh"
xvfb_options=(-extension GLX)
start_display 800x600
start_watchdog

run_game "$data_dir" 60 -all,trace+msgbox 0TYAY
rc=$(wait_exit 60)
texts=$(box_texts)
[ -z "$texts" ] || fail "boxes '$texts', expected none"
grep -q "korvada: no OpenGL pixel format" "$work/wine.log" || fail "no reason on stderr: $(tail -5 "$work/wine.log")"
[ "$rc" = 2 ] || fail "exit $rc, expected 2"
echo "exit $rc, the reason on stderr"
