// Entry point: the DLL search narrowed, one instance per desktop, COM for the
// thread, the hidden main window and its message loop.

#include <windows.h>

#include "app/main_window.h"
#include "base/globals.h"

namespace {

// A DLL that a system DLL loads on demand (version.dll, uxtheme.dll, ...) is
// looked for in the program's own folder first: one a browser once saved in
// Downloads, beside an unpacked Tavrel, would run here. So before anything
// can load one, only System32 is searched. SetDefaultDllDirectories came with
// Windows 8 (and an update to Vista and 7), hence looked up; without it, at
// least the current directory leaves the search.
void narrowDllSearch()
{
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDirectories = reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefaultDirectories || !setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    narrowDllSearch();
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
