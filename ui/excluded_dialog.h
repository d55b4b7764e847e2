#pragma once
// The pictures never to be shown again, and the button that brings one back.

#include <windows.h>

// Restored pictures come back into the rotation at once.
INT_PTR CALLBACK excludedDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
