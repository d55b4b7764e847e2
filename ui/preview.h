#pragma once
// The picture of a monitor in the settings dialog, showing the selected image
// as the desktop would, scaled from the real screen.

#include <windows.h>

struct SettingsDialogState;

// Loads the monitor bitmap and places the two preview controls over it;
// false when the bitmap is missing.
bool layoutPreview(SettingsDialogState& state);
void moveControlToRect(HWND control, const RECT& rect);
// Replaces the loaded picture; false (and no picture) when it cannot load.
bool loadPicture(SettingsDialogState& state, const char* path);
// Loads the selected row's picture and redraws; nothing when none is selected.
void showSelected(SettingsDialogState& state);
void drawMonitor(SettingsDialogState& state);
void redrawPreview(SettingsDialogState& state);
void releasePicture(SettingsDialogState& state);
