#pragma once
// The hidden main window: the target of the rotation timer, the tray icon's
// messages and the menu commands.

#include <windows.h>

#include "rotation/rotation_timer.h"
#include "ui/hotkeys.h"

// The class and title by which a second start finds the first.
extern const wchar_t kMainWindowClass[];
extern const wchar_t kMainWindowTitle[];

// What the main window owns, there from the window's creation to its
// destruction: the rotation's state and its hotkeys.
struct MainWindowState {
    RotationState rotation;
    Hotkeys hotkeys;
};

MainWindowState& windowState(HWND window);

bool registerMainWindowClass(HINSTANCE instance);
bool createMainWindow(HINSTANCE instance);
