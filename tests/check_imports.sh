#!/usr/bin/env bash
# The release exe must run from any folder on a bare Windows: it may import
# only DLLs that Windows always loads from its system folder (KnownDLLs), never
# a compiler runtime or a DLL that could be planted beside it.
# Usage: check_imports.sh EXE...
set -uo pipefail
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll msvcrt.dll \
comdlg32.dll shlwapi.dll ws2_32.dll"
objdump=$(command -v i686-w64-mingw32-objdump || command -v objdump)
failures=0
for exe in "$@"; do
  format=$("$objdump" -f "$exe" | sed -n 's/.*file format //p')
  if [ "$format" != "pei-i386" ]; then
    echo "FAIL $exe: file format '$format', expected the 32-bit pei-i386"
    failures=$((failures + 1))
  fi
  dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  [ -n "$dlls" ] || { echo "FAIL $exe: no import table found"; failures=$((failures + 1)); }
  echo "$exe imports: $(echo $dlls)"
  for dll in $dlls; do
    case " $allowed " in
      *" $dll "*) ;;
      *) echo "FAIL $exe imports $dll, which is not a KnownDLL"; failures=$((failures + 1)) ;;
    esac
  done
done
[ "$failures" -eq 0 ]
