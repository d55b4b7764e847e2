// Entry point: one instance per desktop, COM for the thread, the hidden main
// window and its message loop.

#include <windows.h>

#include "app/main_window.h"
#include "base/globals.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // By class too: an Explorer window open on a folder named Tavrel has
    // the same title.
    if (FindWindowW(kMainWindowClass, kMainWindowTitle))
        return 0;
    CoInitialize(nullptr);
    appInstance = instance;
    if (!registerMainWindowClass(instance) || !createMainWindow(instance))
        return 0;

    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CoUninitialize();
    return static_cast<int>(message.wParam);
}
