#pragma once
// The picture of a monitor in the settings dialog, showing the selected image
// as the desktop would, scaled from the real screen.

#include <windows.h>

struct SettingsDialogState;

// Loads the monitor bitmap into its control and places the preview area over
// its screen; false when the bitmap is missing.
bool layoutPreview(SettingsDialogState& state);
// Loads the selected row's picture and redraws; nothing when none is selected.
void showSelected(SettingsDialogState& state);
void redrawPreview(const SettingsDialogState& state);
// The preview area's owner drawing: black, and the picture when it is on.
void drawPreview(const SettingsDialogState& state, const DRAWITEMSTRUCT& item);
void releasePicture(SettingsDialogState& state);
