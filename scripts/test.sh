#!/usr/bin/env bash
# Builds everything and runs every test: the Win32-free logic natively with
# AddressSanitizer and UBSan, then the Windows programs and end-to-end tests
# under Wine on a private Xvfb. Where this Linux runs no 32-bit code, the
# Windows tests run on a 64-bit build of the same program under 64-bit Wine,
# and the shipped 32-bit Tavrel.exe and its release zip are still built and
# checked. The Xvfb and the wineserver of the tests end with this command.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

"$root/scripts/setup.sh"
# shellcheck source=host-arch.sh
source "$root/scripts/host-arch.sh"
# shellcheck source=xvfb.sh
source "$root/scripts/xvfb.sh"
# The tests never use the user's screen.
unset DISPLAY

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --build --preset windows --target package
preset=$(tavrel_test_preset)
if [ "$preset" != windows ]; then
    echo "This Linux runs no 32-bit programs: the Windows tests run on the 64-bit build ($preset)."
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
fi

# The tests' own Xvfb, on the display of the tree's prefix; it and the
# prefix's wineserver are stopped however this command ends.
prefix="$root/build/$preset/wineprefix"
stop_wine() {
    "$root/scripts/stop-prefix.sh" "$prefix"
    tavrel_stop_xvfb
}
trap stop_wine EXIT
trap 'exit 130' INT TERM
tavrel_start_xvfb "$(tavrel_display_number "$prefix")"

status=0
ctest --preset "$preset" || status=$?
if [ "$preset" != windows ]; then
    bash tests/imports_test.sh build/windows/bin/Tavrel.exe || status=1
    # shellcheck disable=SC2012
    bash tests/release_zip_test.sh "$(ls -t build/windows/Tavrel-*-win32.zip | head -1)" || status=1
fi
exit $status
