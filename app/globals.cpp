// Every process-wide value, defined in one unit so that they are built in
// this order and torn down in the reverse one.

#include "base/globals.h"

#include "rotation/wallpaper_list.h"
#include "settings/profile_file.h"

// Set by WinMain before the main window exists; valid for the process's life.
HINSTANCE appInstance = nullptr;
// All zero until the load at start; saved at the close.
ShowSettings showSettings = {};
// Before the list and gone after it; its path is set while the main window is created.
ProfileFile profileFile;
// Filled at start, rebuilt by the settings dialog; frees its entries at exit.
WallpaperList wallpaperList;
// Owned by the tray commands for the time of one dialog each.
int settingsDialogOpen = 0;
int aboutDialogOpen = 0;
// Points at the tray command's local state while the settings dialog runs.
SettingsDialogState* activeSettingsDialog = nullptr;
// Owned by the About box while it is open.
HBITMAP aboutBitmap = nullptr;
// Loaded at start, switched from the tray menu, saved at the close.
int rotationPaused = 0;
// Set by each rotation step that reached the shell; shown in the icon's tooltip.
wchar_t shownWallpaper[kPathSize] = L"";
