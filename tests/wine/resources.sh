#!/usr/bin/env bash
# korvada.exe and KorvadaSetup.exe carry the project's version in their
# version resource and an application manifest that declares them DPI-aware
# and asks for no elevation (Windows would take "...Setup.exe" for an installer).
set -euo pipefail
: "${KORVADA_EXE:?path of korvada.exe}"
: "${KORVADA_VERSION:?version of the project}"
for exe in "$KORVADA_EXE" "$(dirname "$KORVADA_EXE")/KorvadaSetup.exe"; do
  name=$(basename "$exe")
  texts=$(strings -el "$exe")
  grep -qx FileVersion <<<"$texts" || { echo "FAIL: $name has no version resource" >&2; exit 1; }
  grep -qxF "$KORVADA_VERSION" <<<"$texts" || { echo "FAIL: $name does not carry version $KORVADA_VERSION" >&2; exit 1; }
  for word in '<dpiAware[^>]*>true<' '<dpiAwareness[^>]*>PerMonitorV2<' 'level="asInvoker"'; do
    grep -aq "$word" "$exe" || { echo "FAIL: $name's manifest lacks $word" >&2; exit 1; }
  done
  echo "$name: version $KORVADA_VERSION, DPI-aware, asInvoker"
done
grep -aq 'Microsoft.Windows.Common-Controls' "$(dirname "$KORVADA_EXE")/KorvadaSetup.exe" ||
  { echo "FAIL: KorvadaSetup.exe does not ask for the current controls" >&2; exit 1; }
