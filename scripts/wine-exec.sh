#!/usr/bin/env bash
# Runs a Windows program in the given prefix: wine-exec.sh PREFIX PROGRAM [ARGS...]
# CMake uses it as the emulator of the cross build (TAVREL_WINEARCH as in wine-env.sh).
export TAVREL_WINEPREFIX="$1"
shift
here="$(dirname "$0")"
# Wine may start lasting helpers (the desktop, services) from this program;
# they must not inherit ctest's pipe, or ctest would wait for them forever.
out=$(mktemp)
(
    # shellcheck source=wine-env.sh
    source "$here/wine-env.sh"
    exec "$TAVREL_WINE" "$@"
) </dev/null >"$out" 2>&1
status=$?
cat "$out"
rm -f "$out"
exit $status
