#!/usr/bin/env bash
# On an X server without its OpenGL extension Windows offers no pixel format
# to draw with: the game refuses to start with exit code 2 and names the
# pixel format as the reason, with no display box and no display change.
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 800x600 -extension GLX
answer_boxes

start_wine "$data_dir" -all,trace+msgbox "$KORVADA_EXE" 0TYAY
wait_exit
texts=$(box_texts)
[ -z "$texts" ] || fail "boxes '$texts', expected none"
grep -q "korvada: no OpenGL pixel format" "$WORK/stderr" || fail "no reason on stderr: $(tail -5 "$WORK/stderr")"
[ "$EXIT_CODE" = 2 ] || fail "exit $EXIT_CODE, expected 2"
echo "exit $EXIT_CODE, the reason on stderr"
