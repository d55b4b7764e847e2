#!/bin/bash
# Tavrel.exe must run on a bare Windows: a 32-bit GUI program that imports
# system DLLs only (no MinGW runtime DLLs beside it).
set -u
exe=${1:?usage: imports_test.sh Tavrel.exe}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
allowed="kernel32.dll user32.dll gdi32.dll shell32.dll comdlg32.dll advapi32.dll ole32.dll oleaut32.dll msvcrt.dll"

headers=$("$objdump" -p "$exe") || { echo "FAIL: $objdump cannot read $exe"; exit 1; }
failed=0
fail() { echo "FAIL: $*"; failed=1; }

grep -q 'file format pei-i386' <<<"$headers" || fail "not a pei-i386 image"
grep -Eq '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers" || fail "not PE32"
grep -Eq '^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)' <<<"$headers" || fail "not the Windows GUI subsystem"

dlls=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$headers" | tr -d '\r' | tr '[:upper:]' '[:lower:]' | sort -u)
[ -n "$dlls" ] || fail "no imports found"
for dll in $dlls; do
    case " $allowed " in
    *" $dll "*) echo "ok: $dll" ;;
    *) fail "imports $dll" ;;
    esac
done
[ "$failed" = 0 ] && echo "PASS: $(wc -w <<<"$dlls") system DLLs"
exit "$failed"
