#!/bin/bash
# Tavrel.exe must run on a bare Windows: a 32-bit GUI program that imports
# system DLLs only (no MinGW runtime DLLs beside it), with ASLR, DEP and
# terminal-server awareness in its header.
set -u
headers=$("${OBJDUMP:-i686-w64-mingw32-objdump}" -p "${1:?usage: imports_test.sh Tavrel.exe}") || exit 1
failed=0
for want in 'file format pei-i386' 'Magic[[:space:]]+010b[[:space:]]+\(PE32\)' 'Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)'; do
    grep -Eq "$want" <<<"$headers" || { echo "FAIL: no $want"; failed=1; }
done
flags=$(sed -n 's/^DllCharacteristics[[:space:]]*//p' <<<"$headers")
(( (0x${flags:-0} & 0x8140) == 0x8140 )) || { echo "FAIL: DllCharacteristics ${flags:-none}: not ASLR, DEP and terminal-server aware"; failed=1; }
dlls=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$headers" | tr -d '\r' | tr '[:upper:]' '[:lower:]' | sort -u)
for dll in ${dlls:-none}; do
    case " kernel32.dll user32.dll gdi32.dll shell32.dll comdlg32.dll advapi32.dll ole32.dll oleaut32.dll msvcrt.dll " in
    *" $dll "*) ;;
    *) echo "FAIL: imports $dll"; failed=1 ;;
    esac
done
awk '/^[0-9a-f]+   Entry: ID: 0x000018,/ { sub(/^0x80*/, "", $6); type = $6 } type && $1 == type { getline; one = /ID: 0x000001,/ } END { exit !one }' <<<"$headers" &&
    grep -aq '"Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$1" && ! grep -aq '<requestedExecutionLevel' "$1" || { echo "FAIL: manifest 1 asks for no common controls 6, or for an execution level"; failed=1; }
[ "$failed" = 0 ] && echo "PASS: $(wc -w <<<"$dlls") system DLLs"
exit "$failed"
