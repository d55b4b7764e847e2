#pragma once
// The hidden main window: the target of the rotation timer, the tray icon's
// messages and the menu commands.

#include <windows.h>

// The class and title by which a second start finds the first.
extern const wchar_t kMainWindowClass[];
extern const wchar_t kMainWindowTitle[];

class MonitorWallpapers;

// What the main window gives each monitor; there from the window's creation
// to its destruction.
MonitorWallpapers& monitorWallpapers(HWND window);

bool registerMainWindowClass(HINSTANCE instance);
bool createMainWindow(HINSTANCE instance);
