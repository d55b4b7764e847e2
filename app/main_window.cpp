#include "app/main_window.h"

#include <memory>
#include <new>

#include "app/commands.h"
#include "app/tray.h"
#include "base/globals.h"
#include "base/module_path.h"
#include "base/path_text.h"
#include "res/resource.h"
#include "rotation/rotation_timer.h"
#include "settings/profile_file.h"
#include "settings/settings_store.h"

const wchar_t kMainWindowClass[] = L"TavrelClass";
const wchar_t kMainWindowTitle[] = L"Tavrel";

namespace {

void settingsFilePath()
{
    wchar_t path[kPathSize];
    // A folder too deep for the file name leaves the settings file unused:
    // defaults in memory, nothing read or written.
    if (executableDirectory(path, kPathSize) && appendText(path, kPathSize, L"\\Tavrel.ini"))
        profileFile.setPath(path);
}

void onCreate(HWND window)
{
    settingsFilePath();
    loadSettings();
    MainWindowState& state = windowState(window);
    // Paused, the picture on the desktop stays over a restart too.
    if (!rotationPaused)
        onRotationTick(IDT_ROTATION, state.rotation);
    startRotationTimer(window);
    if (showSettings.hotkeys)
        state.hotkeys.registerAll(window);
    allowTaskbarCreated(window);
    addTrayIcon(window);
}

LRESULT onClose(HWND window)
{
    saveSettings();
    windowState(window).hotkeys.unregisterAll(window);
    removeTrayIcon(window);
    return DefWindowProcW(window, WM_CLOSE, 0, 0);
}

// A tray program usually runs until logoff or shutdown, so the end of the
// session saves exactly as Exit does.
void onEndSession(WPARAM sessionEnds)
{
    if (sessionEnds)
        saveSettings();
}

// A due change waits while a full-screen program runs; a full period
// starts from the change, also when it comes after a wait.
void onRotationTimer(HWND window)
{
    if (rotationWaitsForFullScreen(window))
        return;
    rotateWallpaper(window, IDT_ROTATION);
    startRotationTimer(window);
}

// The window owns its state from its first message to its last.
bool createWindowState(HWND window)
{
    MainWindowState* state = new (std::nothrow) MainWindowState;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return state != nullptr;
}

void destroyWindowState(HWND window)
{
    std::unique_ptr<MainWindowState> owned(
        reinterpret_cast<MainWindowState*>(SetWindowLongPtrW(window, GWLP_USERDATA, 0)));
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        return createWindowState(window) ? DefWindowProcW(window, message, wParam, lParam) : FALSE;
    case WM_NCDESTROY:
        destroyWindowState(window);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_CREATE:
        onCreate(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        return onClose(window);
    case WM_ENDSESSION:
        onEndSession(wParam);
        return 0;
    case WM_COMMAND:
        onCommand(window, message, wParam, lParam);
        return 0;
    case WM_HOTKEY:
        // Each hotkey's id is its tray command's.
        onCommand(window, WM_COMMAND, wParam, 0);
        return 0;
    case WM_TIMER:
        if (wParam == IDT_TRAY_RETRY)
            onTrayRetry(window);
        else if (wParam == IDT_ROTATION)
            onRotationTimer(window);
        return 0;
    case WM_TRAYNOTIFY:
        return onTrayNotify(window, wParam, lParam);
    case WM_DISPLAYCHANGE:
        showOnNewMonitors(window);
        return 0;
    default:
        if (isTaskbarCreated(message)) {
            addTrayIcon(window);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

MainWindowState& windowState(HWND window)
{
    return *reinterpret_cast<MainWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool registerMainWindowClass(HINSTANCE instance)
{
    WNDCLASSW windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN));
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassW(&windowClass) != 0;
}

bool createMainWindow(HINSTANCE instance)
{
    // Never shown: the program lives in the notification area.
    HWND window = CreateWindowExW(0, kMainWindowClass, kMainWindowTitle, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr, instance,
                                  nullptr);
    return window != nullptr;
}
