#pragma once
// The About box: a picture with the name and version; any click, Enter or
// Escape closes it.

#include <windows.h>

INT_PTR CALLBACK aboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
