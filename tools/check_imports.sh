#!/usr/bin/env bash
# The release exes (32-bit) must run from any folder on a bare Windows: they
# may import only DLLs that Windows always loads from its system folder
# (KnownDLLs), never a compiler runtime or a DLL that could be planted beside
# them; and their manifest asks for common controls 6 without elevation, and
# for GDI's own scaling on high-DPI screens.
# Usage: check_imports.sh EXE...
set -uo pipefail
allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll msvcrt.dll \
comdlg32.dll shlwapi.dll ws2_32.dll "
objdump=$(command -v i686-w64-mingw32-objdump || command -v objdump)
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
for exe in "$@"; do
  "$objdump" -f "$exe" | grep -q 'file format pei-i386$' || fail "$exe is not a 32-bit pei-i386 exe"
  dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  echo "$exe imports:" $dlls
  [ -n "$dlls" ] || fail "$exe: no import table found"
  for dll in $dlls; do [[ "$allowed" == *" $dll "* ]] || fail "$exe imports $dll, which is not a KnownDLL"; done
  python3 - "$exe" <<'PY' || fail "$exe: its manifest lacks what is listed above"
import re, sys, xml.etree.ElementTree as ET
found = re.search(rb"<\?xml.*?</assembly>", open(sys.argv[1], "rb").read(), re.S)
root = ET.fromstring(found.group(0)) if found else ET.Element("none")
v1, v3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
wants = {f".//{v1}assemblyIdentity[@name='Microsoft.Windows.Common-Controls'][@version='6.0.0.0']": None,
         f".//{v3}requestedExecutionLevel[@level='asInvoker']": None,
         f"./{v3}application/{v3}windowsSettings/{{http://schemas.microsoft.com/SMI/2017/WindowsSettings}}gdiScaling": "true"}
missing = [p for p, text in wants.items() if root.find(p) is None or text not in (None, root.find(p).text)]
print(*missing, sep="\n")
sys.exit(bool(missing))
PY
done
[ "$failures" -eq 0 ]
