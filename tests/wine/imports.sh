#!/usr/bin/env bash
# korvada.exe must run on a bare Windows: it may import only DLLs that every
# Windows has (the C and C++ runtimes of the compiler are linked in).
set -euo pipefail
: "${KORVADA_EXE:?path of korvada.exe}"
allowed="gdi32.dll glu32.dll kernel32.dll msvcrt.dll opengl32.dll user32.dll winmm.dll"
imports=$(i686-w64-mingw32-objdump -p "$KORVADA_EXE" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort)
echo "imports: $(echo $imports)"
[ -n "$imports" ] || { echo "FAIL: no imports read from $KORVADA_EXE" >&2; exit 1; }
for dll in $imports; do
  case " $allowed " in
    *" $dll "*) ;;
    *) echo "FAIL: korvada.exe imports $dll" >&2; exit 1 ;;
  esac
done
