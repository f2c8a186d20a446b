#!/usr/bin/env bash
# A launch code of the wrong length (none, four or six characters) shows the
# Czech box and ends with exit code 1 before any window exists.
source "$(dirname "$0")/wine_harness.sh"
start_display xvfb 800x600
answer_boxes

expected="Chybné parametry programu - spusťte KorvadaSetup.exe"
for code in "" 0TYA 0TYAYY; do
  start_wine "$data_dir" -all,trace+msgbox "$KORVADA_EXE" $code
  wait_exit
  [ "$EXIT_CODE" = 1 ] || fail "code '$code': exit $EXIT_CODE, expected 1"
  texts=$(box_texts)
  [ "$texts" = "$expected" ] || fail "code '$code': boxes '$texts', expected one '$expected'"
  echo "code '$code': box '$texts', exit $EXIT_CODE"
done
