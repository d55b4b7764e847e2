#!/usr/bin/env bash
# The release zip holds exactly the program, its default wallpapers and
# README.txt (UTF-8 with a BOM, CR LF lines, for Notepad), under 2 MB and
# matching its .sha256; every name is ASCII, which every unzipper reads alike.  ZIP
set -euo pipefail
zip="$1"
expected='README.txt
Tavrel.exe
WallPaper/
WallPaper/1024_768/
WallPaper/1024_768/more/
WallPaper/1024_768/more/rings.gif
WallPaper/1024_768/night.jpg
WallPaper/1024_768/sunset.bmp
WallPaper/1024_768/tile_violet.gif
WallPaper/800_600/
WallPaper/800_600/dawn.bmp
WallPaper/800_600/hills.jpg
WallPaper/800_600/more/
WallPaper/800_600/more/waves.gif
WallPaper/800_600/tile_red.bmp'
status=0
fail() { echo "FAIL: $*"; status=1; }
[ "$(unzip -Z1 "$zip" | LC_ALL=C sort)" = "$expected" ] || fail "files: $(unzip -Z1 "$zip" | tr '\n' ' ')"
[ "$(stat -c %s "$zip")" -lt $((2 * 1024 * 1024)) ] || fail "$(stat -c %s "$zip") bytes"
(cd "$(dirname "$zip")" && sha256sum --quiet -c "$(basename "$zip").sha256") || fail "checksum"
[ "$(unzip -p "$zip" README.txt | head -c 3 | od -An -tx1)" = " ef bb bf" ] || fail "README.txt has no UTF-8 BOM"
[ -z "$(unzip -p "$zip" README.txt | grep -v $'\r$')" ] || fail "README.txt has lines without CR LF"
exit $status
