#include "app/tray.h"

#include <shellapi.h>

#include <cstring>

#include "app/main_window.h"
#include "app/resource.h"
#include "base/globals.h"
#include "base/scoped_win.h"

namespace {

// The first, 88-byte version of the record, which every shell understands.
constexpr DWORD kNotifyIconDataV1Size = NOTIFYICONDATAA_V1_SIZE;
#if defined(__i386__)
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "first NOTIFYICONDATAA version");
#endif

void notifyIcon(DWORD action, HWND window)
{
    NOTIFYICONDATAA data = {};
    data.cbSize = kNotifyIconDataV1Size;
    data.hWnd = window;
    data.uID = IDT_TRAY;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(IDI_MAIN));
    std::strncpy(data.szTip, kMainWindowTitle, 63);
    Shell_NotifyIconA(action, &data);
}

void showTrayMenu(HWND window)
{
    POINT cursor;
    GetCursorPos(&cursor);
    ScopedMenu menu(LoadMenuA(appInstance, MAKEINTRESOURCEA(IDR_TRAYMENU)));
    if (!menu.get())
        return;
    HMENU popup = GetSubMenu(menu.get(), 0);
    if (!popup)
        return;
    // Without this the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window);
    TrackPopupMenu(popup, TPM_BOTTOMALIGN | TPM_LEFTALIGN, cursor.x, cursor.y, 0, window, nullptr);
}

}  // namespace

void addTrayIcon(HWND window) { notifyIcon(NIM_ADD, window); }

void removeTrayIcon(HWND window) { notifyIcon(NIM_DELETE, window); }

LRESULT onTrayNotify(HWND window, WPARAM, LPARAM lParam)
{
    if (static_cast<UINT>(lParam) == WM_RBUTTONDOWN)
        showTrayMenu(window);
    return 0;
}

bool isTaskbarCreated(UINT message)
{
    static const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    return message != 0 && message == taskbarCreated;
}
