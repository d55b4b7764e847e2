#pragma once
// The primary monitor's size in the physical pixels the shell draws in.

#include <windows.h>

// Its display mode, which DPI scaling leaves alone (a DPI-unaware program's
// metrics are scaled above 100 %, and the desktop resolution spans every
// monitor); the metrics where no mode is reported.
SIZE primaryScreenPixels();
