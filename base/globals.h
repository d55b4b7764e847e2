#pragma once
// The process-wide values every layer shares. Only declared here, with
// forward declarations, so that this header stays a leaf; app/globals.cpp
// defines them all.

#include <windows.h>

#include "base/path_text.h"
#include "base/show_settings.h"

class ProfileFile;
class WallpaperList;
struct SettingsDialogState;

extern HINSTANCE appInstance;
extern ShowSettings showSettings;
extern ProfileFile profileFile;
extern WallpaperList wallpaperList;

// Each 1 while its dialog runs, so that a second request is ignored.
extern int settingsDialogOpen;
extern int aboutDialogOpen;
// The state of the running settings dialog; null at all other times.
extern SettingsDialogState* activeSettingsDialog;
// Bitmap 137 while the About box is open, null otherwise.
extern HBITMAP aboutBitmap;
// 1 while the user has paused the changes; saved with the settings.
extern int rotationPaused;
// The picture this run last put on the desktop ("" before the first).
extern wchar_t shownWallpaper[kPathSize];
