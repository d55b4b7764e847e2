#pragma once
// The picture of a monitor in the settings dialog, showing the selected image
// as the desktop would, scaled from the real screen.

#include <windows.h>

struct SettingsDialogState;

// Loads the monitor bitmap and places the two preview controls over it;
// false when the bitmap is missing.
bool layoutPreview(SettingsDialogState& state);
// Loads the selected row's picture and redraws; nothing when none is selected.
void showSelected(SettingsDialogState& state);
void redrawPreview(SettingsDialogState& state);
void releasePicture(SettingsDialogState& state);
