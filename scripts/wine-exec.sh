#!/usr/bin/env bash
# Runs a Windows program in the given prefix: wine-exec.sh PREFIX PROGRAM [ARGS...]
# CMake uses it as the emulator of the cross build.
export TAVREL_WINEPREFIX="$1"
shift
# shellcheck source=wine-env.sh
source "$(dirname "$0")/wine-env.sh"
exec wine "$@"
