#pragma once
// The hidden main window: the target of the rotation timer, the tray icon's
// messages and the menu commands.

#include <windows.h>

#include "rotation/disk_pictures.h"
#include "rotation/monitor_wallpapers.h"
#include "rotation/wallpaper_history.h"
#include "ui/hotkeys.h"

// The class and title by which a second start finds the first.
extern const wchar_t kMainWindowClass[];
extern const wchar_t kMainWindowTitle[];

// What the main window owns, there from the window's creation to its
// destruction: what it gives each monitor, the steps it showed, its hotkeys,
// the disk as the rotation reads it.
struct MainWindowState {
    MonitorWallpapers monitors;
    WallpaperHistory history;
    Hotkeys hotkeys;
    DiskPictures disk;
};

MainWindowState& windowState(HWND window);

bool registerMainWindowClass(HINSTANCE instance);
bool createMainWindow(HINSTANCE instance);
