#pragma once
// The notification-area icon and its popup menu.

#include <windows.h>

// The icon's id and the message it sends to the main window.
constexpr UINT IDT_TRAY = 100;
constexpr UINT WM_TRAYNOTIFY = WM_USER + 100;
// The main window's timer that offers a refused icon again.
constexpr UINT_PTR IDT_TRAY_RETRY = 101;

// Adds the icon; when the shell refuses it, IDT_TRAY_RETRY offers it again
// every two seconds (onTrayRetry) until it is there.
void addTrayIcon(HWND window);
void onTrayRetry(HWND window);
void removeTrayIcon(HWND window);
// A rotation step (onRotationTick); the tooltip then names the new picture.
void rotateWallpaper(HWND window, UINT_PTR timerId);
// The step before the one shown now, again (showPreviousStep); the tooltip
// follows.
void showPreviousWallpaper(HWND window);
// A monitor attached since the last step gets a picture (onDisplayChange);
// the tooltip follows.
void showOnNewMonitors(HWND window);

// A right-button press opens the menu; every other mouse message is ignored.
LRESULT onTrayNotify(HWND window, WPARAM wParam, LPARAM lParam);

// The shell broadcasts "TaskbarCreated" when it (re)starts; the icon must
// then be added again.
bool isTaskbarCreated(UINT message);
// Windows holds that broadcast back from a program run as administrator
// unless its window lets it through.
void allowTaskbarCreated(HWND window);
