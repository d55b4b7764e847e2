#!/usr/bin/env bash
# Prepares a Wine prefix of the build tree for the tests or a run:
#   prepare-prefix.sh PREFIX STANDIN_DLL
# a 1024 x 768 virtual desktop (so that the taskbar with the tray exists and
# the screen size is known), the Active Desktop stand-in registered, and a
# persistent wineserver. Quick when all of it is there already.
set -euo pipefail
export TAVREL_WINEPREFIX="$1"
standin_dll="$2"
here="$(cd "$(dirname "$0")" && pwd)"

prepare() {
# shellcheck source=wine-env.sh
source "$here/wine-env.sh"

desktop_size="${TAVREL_DESKTOP:-1024x768}"
current=$("$TAVREL_WINE" reg query 'HKCU\Software\Wine\Explorer\Desktops' /v Default 2>/dev/null | tr -d '\r' | awk '/Default/ {print $3}' || true)
if [ "$current" != "$desktop_size" ]; then
    "$TAVREL_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
    "$TAVREL_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop_size" /f >/dev/null
    # The desktop is made when the server starts; a new size needs a new server.
    wineserver -k || true
    wineserver -w || true
    wineserver -p
fi

# Dialogs ask for 宋体 (SimSun); a Ming font of the same design gives them
# the metrics and look they have on Windows.
if ! grep -q 'AR PL UMing CN' "$WINEPREFIX/user.reg" 2>/dev/null; then
    for face in 宋体 SimSun; do
        "$TAVREL_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'AR PL UMing CN' /f >/dev/null
    done
fi

if [ -f "$standin_dll" ]; then
    "$here/register-standin.sh" "$standin_dll"
fi
echo "prefix ready: $WINEPREFIX on $DISPLAY, desktop $desktop_size"
}

# Lasting Wine helpers and Xvfb started from here must not hold the caller's
# output open (ctest would wait for them forever): everything goes to a file
# that is shown afterwards. Bash keeps its saved descriptors from children.
log=$(mktemp)
set +e
( set -e; prepare ) </dev/null >"$log" 2>&1
status=$?
cat "$log"
rm -f "$log"
exit $status
