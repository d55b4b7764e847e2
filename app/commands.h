#pragma once
// The tray menu's commands (the hotkeys' too) and the protocol around the two
// modal dialogs.

#include <windows.h>

void onCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// True while either dialog holds the rotation: Next, Previous and Pause wait
// then.
bool rotationHeldByDialog();
