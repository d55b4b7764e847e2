#!/usr/bin/env bash
# Registers the development stand-in for the shell's Active Desktop object in
# the current Wine prefix, in place of Wine's own (which implements nothing),
# and for its IDesktopWallpaper object (which Wine does not have).
# Source scripts/wine-env.sh first so that WINEPREFIX and friends are set.
#
#   register-standin.sh <path-to-activedesktop_standin.dll>
set -euo pipefail

dll="${1:?usage: register-standin.sh <path-to-dll>}"
: "${WINEPREFIX:?source scripts/wine-env.sh first}"
[ -f "$dll" ] || { echo "register-standin.sh: no such file: $dll" >&2; exit 1; }

clsids='{75048700-EF1F-11D0-9888-006097DEACF9} {C2CF3110-460E-4FC1-B9D0-8A1C0C9CC4BD}'
dest_dir="$WINEPREFIX/drive_c/tavrel-tools"
dest="$dest_dir/activedesktop_standin.dll"
win_path='C:\tavrel-tools\activedesktop_standin.dll'

mkdir -p "$dest_dir"
# Copy only when changed, and by rename: a program may have the old one mapped.
if ! cmp -s "$dll" "$dest" 2>/dev/null; then
    cp -f "$dll" "$dest.$$.tmp"
    mv -f "$dest.$$.tmp" "$dest"
fi

# system.reg is text: skip starting wine (the slow part) when the entry is
# already there. The server writes the file lazily, so a fresh entry may be
# added twice; reg add /f makes that harmless.
reg_has_entry() {
    local clsid="$1" sys="$WINEPREFIX/system.reg" inf stamp
    [ -f "$sys" ] || return 1
    # A Wine upgrade re-registers its own server for this class at the next
    # start, so trust the file only when no such update is pending.
    inf="$(dirname "$(command -v wine)")/../share/wine/wine.inf"
    stamp=$(head -n1 "$WINEPREFIX/.update-timestamp" 2>/dev/null | tr -d " \r" || true)
    [ "$stamp" = disable ] || [ "$stamp" = "$(stat -c %Y "$inf" 2>/dev/null)" ] || return 1
    KEY="[Software\\\\Classes\\\\CLSID\\\\$clsid\\\\InprocServer32]" \
    WANT="@=\"C:\\\\tavrel-tools\\\\activedesktop_standin.dll\"" \
    awk '
        BEGIN { key = tolower(ENVIRON["KEY"]); want = tolower(ENVIRON["WANT"]) }
        index($0, "[") == 1 { inside = (tolower(substr($0, 1, length(key))) == key); next }
        inside && tolower($0) == want { p = 1 }
        inside && $0 == "\"ThreadingModel\"=\"Apartment\"" { t = 1 }
        END { exit !(p && t) }' "$sys"
}

for clsid in $clsids; do
    reg_has_entry "$clsid" && continue
    key="HKLM\\Software\\Classes\\CLSID\\$clsid\\InprocServer32"
    # The registry view of the stand-in's own bitness.
    view=/reg:32
    [ "${WINEARCH:-win32}" = win64 ] && view=/reg:64
    "$TAVREL_WINE" reg add "$key" /ve /t REG_SZ /d "$win_path" $view /f >/dev/null
    "$TAVREL_WINE" reg add "$key" /v ThreadingModel /t REG_SZ /d Apartment $view /f >/dev/null
done
