#!/usr/bin/env bash
# korvada.exe and KorvadaSetup.exe are 64-bit programs (PE32+, x86-64) that
# run on a bare Windows: they may import only DLLs that every Windows has (the
# C and C++ runtimes of the compiler are linked in).
set -euo pipefail
: "${KORVADA_EXE:?path of korvada.exe}"

# check_imports EXE ALLOWED...
check_imports() {
  local exe=$1 imports dll
  shift
  x86_64-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-x86-64' ||
    { echo "FAIL: $(basename "$exe") is not a 64-bit program: $(file -b "$exe")" >&2; exit 1; }
  imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort)
  echo "$(basename "$exe") imports: $(echo $imports)"
  [ -n "$imports" ] || { echo "FAIL: no imports read from $exe" >&2; exit 1; }
  for dll in $imports; do
    case " $* " in
      *" $dll "*) ;;
      *) echo "FAIL: $(basename "$exe") imports $dll" >&2; exit 1 ;;
    esac
  done
}
check_imports "$KORVADA_EXE" gdi32.dll glu32.dll kernel32.dll msvcrt.dll opengl32.dll user32.dll winmm.dll
# The board's exchanges go through WinHTTP, part of every Windows since XP.
check_imports "$(dirname "$KORVADA_EXE")/KorvadaSetup.exe" comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll \
  user32.dll winhttp.dll
