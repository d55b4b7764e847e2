#!/usr/bin/env bash
# Builds Tavrel and runs it in a 1024 x 768 Wine desktop, with the default
# wallpapers and a 5-second interval so that the rotation shows at once.
# On $DISPLAY when there is one; otherwise on Xvfb, saving a screenshot of
# the desktop every few seconds into build/<preset>/run-screens.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

"$root/scripts/setup.sh"
# shellcheck source=host-arch.sh
source "$root/scripts/host-arch.sh"
# shellcheck source=xvfb.sh
source "$root/scripts/xvfb.sh"
# The shipped 32-bit program, or its 64-bit build where this Linux runs no 32-bit code.
preset=$(tavrel_test_preset)
[ "$preset" = windows ] || export TAVREL_WINEARCH=win64
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Tavrel activedesktop_standin
build="$root/build/$preset"

headless=
[ -n "${DISPLAY:-}" ] || headless=1
export TAVREL_WINEPREFIX="$build/wineprefix-run"
# Wine, and without a display the Xvfb started here, end with this script,
# on Tavrel's exit or on Ctrl+C.
stop() {
    if [ -n "${shooter:-}" ]; then kill "$shooter" 2>/dev/null || true; fi
    "$root/scripts/stop-prefix.sh" "$TAVREL_WINEPREFIX"
    tavrel_stop_xvfb
}
trap stop EXIT
trap 'exit 130' INT TERM
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
# A 1024 x 768 Wine desktop with the stand-in that draws the wallpaper.
"$root/scripts/prepare-prefix.sh" "$TAVREL_WINEPREFIX" "$build/devtools/activedesktop_standin.dll"

# A home of its own inside the prefix, as an installed copy would have.
app="$WINEPREFIX/drive_c/Program Files/Tavrel"
mkdir -p "$app"
cp "$build/bin/Tavrel.exe" "$app/"
rm -rf "$app/WallPaper"
cp -r "$build/bin/WallPaper" "$app/"
if [ ! -f "$app/Tavrel.ini" ]; then
    printf '[SETTINGS]\r\nALTETIME=0\r\n' > "$app/Tavrel.ini"
fi

echo "Tavrel runs in a Wine desktop: right-click its tray icon (bottom right) for the menu."
if [ -n "$headless" ]; then
    shots="$build/run-screens"
    mkdir -p "$shots"
    echo "No display: Xvfb $DISPLAY; screenshots every 5 s in $shots (Ctrl+C stops)."
    (
        n=0
        while sleep 5; do
            n=$((n + 1))
            xwd -root -display "$DISPLAY" 2>/dev/null | /usr/bin/convert xwd:- "$shots/desktop-$(printf %04d $n).png" 2>/dev/null || true
            cp -f "$shots/desktop-$(printf %04d $n).png" "$shots/latest.png" 2>/dev/null || true
        done
    ) &
    shooter=$!
fi
cd "$app"
# Returns when Tavrel exits (its tray menu's 退出).
"$TAVREL_WINE" 'C:\Program Files\Tavrel\Tavrel.exe'
