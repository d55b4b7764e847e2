#!/usr/bin/env bash
# Builds everything and runs every test: the Win32-free logic natively with
# AddressSanitizer and UBSan, then the Windows programs and end-to-end tests
# under Wine on a private Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

"$root/scripts/setup.sh"
# The tests never use the user's screen.
unset DISPLAY

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

cmake --preset windows >/dev/null
cmake --build --preset windows
status=0
ctest --preset windows || status=$?
# Leave no Wine or Xvfb of the tests behind.
TAVREL_WINEPREFIX="$root/build/windows/wineprefix" WINEPREFIX="$root/build/windows/wineprefix" wineserver -k 2>/dev/null || true
exit $status
