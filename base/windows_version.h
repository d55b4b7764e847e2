#pragma once
// Which Windows this is, for what its shell can do.

#include <windows.h>

// True from Windows `major`.`minor` on (6.1 is Windows 7, 6.2 Windows 8).
// GetVersionEx would report an older Windows to a program without a manifest
// than VerifyVersionInfo does.
bool windowsAtLeast(DWORD major, DWORD minor);
