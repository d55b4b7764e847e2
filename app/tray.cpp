#include "app/tray.h"

#include <shellapi.h>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/tray_tip.h"
#include "base/globals.h"
#include "base/scoped_win.h"
#include "base/screen_size.h"
#include "base/ui_language.h"
#include "res/resource.h"
#include "rotation/rotation_timer.h"

namespace {

// The first version of the record, which every shell understands.
constexpr DWORD kNotifyIconDataV1Size = NOTIFYICONDATAW_V1_SIZE;
#if defined(__i386__)
static_assert(NOTIFYICONDATAW_V1_SIZE == 152, "first NOTIFYICONDATAW version");
#endif

// How often an icon the shell refused is offered again.
constexpr UINT kTrayRetryMs = 2000;

// The notification area's small icon, in the screen's pixels. Scaled above
// 100 %, Windows 8.1 and later tell a program that is not DPI-aware the
// metrics of a 100 % screen (16 here) and the shell would stretch that image;
// the primary monitor's true width against the metrics' gives the scale (24
// at 150 %).
int smallIconSize()
{
    const int metric = GetSystemMetrics(SM_CXSMICON), screen = GetSystemMetrics(SM_CXSCREEN);
    const LONG physical = primaryScreenPixels().cx;
    return physical > screen && screen > 0 ? MulDiv(metric, physical, screen) : metric;
}

// Loaded at that size (the icon has 16, 20, 24 and 32 pixel images), not
// shared: a shared load answers with the image cached first (the window
// class's 32 x 32 one) whatever the size asked. The hidden main window keeps
// it as its small icon until the icon goes.
HICON trayIconImage(HWND window)
{
    HICON icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
    if (!icon) {
        const int size = smallIconSize();
        icon = static_cast<HICON>(LoadImageW(appInstance, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, size, size, 0));
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    return icon;
}

// The notification area of Windows 7 to 10 takes '&' in a tooltip as a
// mnemonic prefix ("Tom & Jerry" reads "Tom  Jerry"); Windows 11 (build
// 22000) shows it as typed. The manifest's Windows 10 entry, which covers 11,
// lets this call see the real build.
bool shellTakesPrefixes()
{
    OSVERSIONINFOEXW windows11 = {};
    windows11.dwOSVersionInfoSize = sizeof windows11;
    windows11.dwBuildNumber = 22000;
    return !VerifyVersionInfoW(&windows11, VER_BUILDNUMBER, VerSetConditionMask(0, VER_BUILDNUMBER, VER_GREATER_EQUAL));
}

bool notifyIcon(DWORD action, HWND window)
{
    NOTIFYICONDATAW data = {};
    data.cbSize = kNotifyIconDataV1Size;
    data.hWnd = window;
    data.uID = IDT_TRAY;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = trayIconImage(window);
    trayTipText(data.szTip, kMainWindowTitle, shownWallpaper, shellTakesPrefixes());
    return Shell_NotifyIconW(action, &data) != FALSE;
}

UINT taskbarCreatedMessage()
{
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    return taskbarCreated;
}

void enableItem(HMENU menu, UINT command, bool enabled)
{
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void showTrayMenu(HWND window)
{
    POINT cursor;
    GetCursorPos(&cursor);
    const void* menuTemplate = localizedMenu(appInstance, IDR_TRAYMENU);
    ScopedMenu menu(menuTemplate ? LoadMenuIndirectW(menuTemplate) : nullptr);
    if (!menu.get())
        return;
    HMENU popup = GetSubMenu(menu.get(), 0);
    if (!popup)
        return;
    const bool dialogOpen = rotationHeldByDialog(), pictureShown = shownWallpaper[0] != L'\0';
    enableItem(popup, IDM_NEXT, !dialogOpen);
    enableItem(popup, IDM_PREVIOUS, !dialogOpen && windowState(window).rotation.history.hasEarlier());
    enableItem(popup, IDM_PAUSE, !dialogOpen);
    enableItem(popup, IDM_SHOW_IN_FOLDER, pictureShown);
    // It changes the list that an open settings dialog holds a copy of.
    enableItem(popup, IDM_NEVER_AGAIN, pictureShown && !dialogOpen);
    CheckMenuItem(popup, IDM_PAUSE, MF_BYCOMMAND | (rotationPaused ? MF_CHECKED : MF_UNCHECKED));
    // Without this the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window);
    TrackPopupMenu(popup, TPM_BOTTOMALIGN | TPM_LEFTALIGN, cursor.x, cursor.y, 0, window, nullptr);
    // The shell's documented companion of the above: the next click reaches
    // the menu's owner instead of reopening or dismissing something else.
    PostMessageW(window, WM_NULL, 0, 0);
}

}  // namespace

void addTrayIcon(HWND window)
{
    // A busy or not yet running taskbar (often at logon) refuses the icon and
    // will not announce itself later: offer it again until it is taken.
    if (notifyIcon(NIM_ADD, window))
        KillTimer(window, IDT_TRAY_RETRY);
    else
        SetTimer(window, IDT_TRAY_RETRY, kTrayRetryMs, nullptr);
}

void onTrayRetry(HWND window)
{
    // The icon may have arrived although the add reported a failure.
    if (notifyIcon(NIM_MODIFY, window))
        KillTimer(window, IDT_TRAY_RETRY);
    else
        addTrayIcon(window);
}

void removeTrayIcon(HWND window)
{
    KillTimer(window, IDT_TRAY_RETRY);
    notifyIcon(NIM_DELETE, window);
    if (HICON icon = reinterpret_cast<HICON>(SendMessageW(window, WM_SETICON, ICON_SMALL, 0)))
        DestroyIcon(icon);
}

void rotateWallpaper(HWND window, UINT_PTR timerId)
{
    MainWindowState& state = windowState(window);
    // An icon not yet taken gets the tooltip when the retry adds it.
    if (onRotationTick(timerId, state.rotation))
        notifyIcon(NIM_MODIFY, window);
}

void showPreviousWallpaper(HWND window)
{
    MainWindowState& state = windowState(window);
    if (showPreviousStep(state.rotation))
        notifyIcon(NIM_MODIFY, window);
}

void showOnNewMonitors(HWND window)
{
    MainWindowState& state = windowState(window);
    if (onDisplayChange(state.rotation))
        notifyIcon(NIM_MODIFY, window);
}

LRESULT onTrayNotify(HWND window, WPARAM, LPARAM lParam)
{
    if (static_cast<UINT>(lParam) == WM_RBUTTONDOWN)
        showTrayMenu(window);
    return 0;
}

bool isTaskbarCreated(UINT message) { return message != 0 && message == taskbarCreatedMessage(); }

void allowTaskbarCreated(HWND window)
{
    // Windows 7 and later; looked up, so that the program still starts where it is missing.
    using MessageFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    const auto allow = reinterpret_cast<MessageFilter>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
    if (allow && taskbarCreatedMessage() != 0)
        allow(window, taskbarCreatedMessage(), kAllow, nullptr);
}
