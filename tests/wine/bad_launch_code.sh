#!/usr/bin/env bash
# A launch code of the wrong length (none, four or six characters) shows the
# Czech box and ends with exit code 1 before any window exists.
source "$(dirname "$0")/wine_harness.sh"
start_display 800x600
start_watchdog

expected="Chybné parametry programu - spusťte KorvadaSetup.exe"
for code in "" 0TYA 0TYAYY; do
  rm -f "$work/exit"
  run_game "$data_dir" 30 -all,trace+msgbox $code
  rc=$(wait_exit 30)
  [ "$rc" = 1 ] || fail "code '$code': exit $rc, expected 1"
  texts=$(box_texts)
  [ "$texts" = "$expected" ] || fail "code '$code': boxes '$texts', expected one '$expected'"
  echo "code '$code': box '$texts', exit $rc"
done
