#!/usr/bin/env bash
# The release zip holds exactly the program (Tavrel.exe, the default
# wallpapers, README.txt), is under 2 MB and matches its .sha256; every name
# reads the same in code page 936, as Explorer on Chinese Windows reads it,
# and in its Unicode field, as other unzippers do.  release_zip_test.sh ZIP
set -euo pipefail
zip="$1"
expected='README.txt
Tavrel.exe
WallPaper/
WallPaper/1024_768/
WallPaper/1024_768/more/
WallPaper/1024_768/more/rings.gif
WallPaper/1024_768/night.jpg
WallPaper/1024_768/tile_violet.gif
WallPaper/1024_768/晚霞.bmp
WallPaper/800_600/
WallPaper/800_600/dawn.bmp
WallPaper/800_600/more/
WallPaper/800_600/more/waves.gif
WallPaper/800_600/tile_red.bmp
WallPaper/800_600/山水.jpg'
status=0
fail() { echo "FAIL: $*"; status=1; }

unicode=$(unzip -Z1 "$zip" | LC_ALL=C sort)
[ "$unicode" = "$expected" ] || fail "unexpected files:"$'\n'"$(diff <(echo "$expected") <(echo "$unicode"))"
# Without the UTF-8 flag, which Explorer on older Windows ignores.
cp936=$(python3 - "$zip" <<'PY' | LC_ALL=C sort
import sys, zipfile
for info in zipfile.ZipFile(sys.argv[1], metadata_encoding="cp936").infolist():
    print(info.filename + (" (UTF-8 flag)" if info.flag_bits & 0x800 else ""))
PY
)
[ "$cp936" = "$expected" ] || fail "names in code page 936 differ:"$'\n'"$(diff <(echo "$expected") <(echo "$cp936"))"

size=$(stat -c %s "$zip")
[ "$size" -lt $((2 * 1024 * 1024)) ] || fail "$size bytes"
(cd "$(dirname "$zip")" && sha256sum --quiet -c "$(basename "$zip").sha256") || fail "checksum"

# For Notepad: UTF-8 with a BOM, every line ended by CR LF.
readme=$(mktemp)
trap 'rm -f "$readme"' EXIT
unzip -p "$zip" README.txt > "$readme"
[ "$(od -An -tx1 -N3 "$readme" | tr -d ' ')" = efbbbf ] || fail "README.txt has no UTF-8 BOM"
lines=$(grep -c '' "$readme" || true)
crlf=$(grep -c $'\r$' "$readme" || true)
[ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "README.txt: $((lines - crlf)) of $lines lines without CR LF"

[ $status = 0 ] && echo "$(basename "$zip"): $(echo "$expected" | wc -l) entries, $size bytes, as shipped"
exit $status
