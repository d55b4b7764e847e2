#pragma once
// The tray menu's commands and the protocol around the two modal dialogs.

#include <windows.h>

struct SettingsDialogState;

// Each 1 while its dialog runs, so that a second request is ignored.
extern int settingsDialogOpen;
extern int aboutDialogOpen;
// The state of the running settings dialog; null at all other times.
extern SettingsDialogState* activeSettingsDialog;

void onCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
