#!/usr/bin/env bash
# Sourced by wine-env.sh and the run and test scripts: the private X server
# that Wine draws on when there is no $DISPLAY.

# The display of a Wine prefix: one per prefix, so that separate build trees never meet.
tavrel_display_number() {
    echo $(( 100 + $(printf '%s' "$1" | cksum | cut -d' ' -f1) % 400 ))
}

# Starts Xvfb on display number $1 (TAVREL_SCREEN, 1024x768 unless told),
# with any further arguments, unless one answers there already, and exports
# DISPLAY. TAVREL_XVFB_PID is the pid of the server started here, empty when
# there was one.
tavrel_start_xvfb() {
    local n="$1" screen="${TAVREL_SCREEN:-1024x768}"
    shift
    TAVREL_XVFB_PID=
    if ! xdpyinfo -display ":$n" >/dev/null 2>&1; then
        rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
        Xvfb ":$n" -screen 0 "${screen}x24" -nolisten tcp "$@" >/dev/null 2>&1 &
        TAVREL_XVFB_PID=$!
        for _ in $(seq 50); do xdpyinfo -display ":$n" >/dev/null 2>&1 && break; sleep 0.1; done
    fi
    export DISPLAY=":$n"
}

# Stops the server that tavrel_start_xvfb started, if it did.
tavrel_stop_xvfb() {
    if [ -n "${TAVREL_XVFB_PID:-}" ]; then
        kill "$TAVREL_XVFB_PID" 2>/dev/null || true
        wait "$TAVREL_XVFB_PID" 2>/dev/null || true
        TAVREL_XVFB_PID=
    fi
}
