#!/usr/bin/env bash
# Ends what lasts after the programs of a prefix: its wineserver with every
# Wine process, and the Xvfb that wine-env.sh started for it, if any.
#   stop-prefix.sh PREFIX
export WINEPREFIX="$1"
wineserver -k 2>/dev/null && wineserver -w
pidfile="$WINEPREFIX/xvfb.pid"
if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    # Only while the number is still that server's.
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" != Xvfb ] || kill "$pid"
    rm -f "$pidfile"
fi
exit 0
