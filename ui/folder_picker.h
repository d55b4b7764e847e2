#pragma once
// The shell's folder picker (Vista and later).

#include <windows.h>

#include <string>

// The folder the user picked, as a path of the file system; "" when none.
std::wstring pickFolder(HWND owner);
