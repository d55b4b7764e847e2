#pragma once
// The tray menu's commands and the protocol around the two modal dialogs.

#include <windows.h>

void onCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// True while either dialog holds the rotation: Next and Pause wait then.
bool rotationHeldByDialog();
