#!/usr/bin/env bash
# Sourced by the run and test scripts: points Wine at the project's own prefix
# (never ~/.wine), creates it on first use, gives it a display and keeps its
# wineserver alive between programs.
#
#   TAVREL_WINEPREFIX  the prefix folder (required)
#   TAVREL_WINEARCH    win32 (the default) or win64, for a 64-bit build tree
#   DISPLAY            used when set; otherwise the prefix's own Xvfb is started
#                      (xvfb.sh) and lasts with the wineserver: stop-prefix.sh
#                      ends both; a caller may also start and stop its own, as
#                      the run and test scripts do
#   TAVREL_SCREEN      Xvfb screen size, 1024x768 unless told
#
# Sets TAVREL_WINE to the Wine loader to run programs with.

: "${TAVREL_WINEPREFIX:?TAVREL_WINEPREFIX must name the prefix folder}"
export WINEPREFIX="$TAVREL_WINEPREFIX"
export WINEARCH="${TAVREL_WINEARCH:-win32}"
if [ "$WINEARCH" = win64 ]; then
    # Debian's wrapper would pick the 32-bit loader whenever it is installed.
    export TAVREL_WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
else
    export TAVREL_WINE=wine
fi
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs in a headless prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Code page 936 for the ANSI functions; the locale must exist on the host.
export LANG=${TAVREL_LOCALE:-zh_CN.UTF-8} LC_ALL=${TAVREL_LOCALE:-zh_CN.UTF-8}

# shellcheck source=xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
mkdir -p "$WINEPREFIX"
if [ -z "${DISPLAY:-}" ]; then
    # Should stop-prefix.sh never run (a test run cut short), the server ends
    # by itself half a minute after Wine's last window.
    tavrel_start_xvfb "$(tavrel_display_number "$WINEPREFIX")" -terminate 30
    [ -z "$TAVREL_XVFB_PID" ] || echo "$TAVREL_XVFB_PID" >"$WINEPREFIX/xvfb.pid"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$TAVREL_WINE" wineboot --init >/dev/null 2>&1
    wineserver -w
fi
# A persistent server saves its start-up for every program the tests run.
wineserver -p >/dev/null 2>&1 || true
