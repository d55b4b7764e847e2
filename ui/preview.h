#pragma once
// The picture of a monitor in the settings dialog, showing the selected image
// as the desktop would, scaled from the real screen.

#include <windows.h>

struct SettingsDialogState;

// Loads the monitor bitmap into its control and places the preview area over
// its screen; false when the bitmap is missing.
bool layoutPreview(SettingsDialogState& state);
// The selection moved. After a quiet spell the row is shown at once; moves
// that follow within the keyboard's repeat delay are a key held down: the
// picture shown goes at once, and the row they settle on is loaded when none
// has followed for a moment (the timer IDT_PREVIEW_SETTLED, then
// selectionSettled), so that a key held through a folder of photos decodes
// none of those it passes.
void selectionMoved(SettingsDialogState& state);
void selectionSettled(SettingsDialogState& state);
constexpr UINT_PTR IDT_PREVIEW_SETTLED = 1;
// Loads the selected row's picture and redraws; nothing when none is selected.
void showSelected(SettingsDialogState& state);
void redrawPreview(const SettingsDialogState& state);
// The preview area's owner drawing: black, and the picture when it is on.
void drawPreview(const SettingsDialogState& state, const DRAWITEMSTRUCT& item);
void releasePicture(SettingsDialogState& state);
