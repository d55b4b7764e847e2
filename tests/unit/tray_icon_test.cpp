// The tray icon when the taskbar refuses it, as a busy or not yet running
// taskbar does at logon: the program's main window in this process, with
// Shell_NotifyIconA refusing the first adds.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "app/main_window.h"
#include "app/tray.h"
#include "base/globals.h"
#include "driver.h"
#include "import_slot.h"

namespace {

IMPORT_SLOT(Shell_NotifyIconA, 8);
IMPORT_SLOT(SetTimer, 16);
decltype(&Shell_NotifyIconA) realNotify = nullptr;
decltype(&SetTimer) realSetTimer = nullptr;
int addsToRefuse = 2, adds = 0, deletes = 0, rotationTimerStarts = 0;
HICON iconGiven = nullptr;

BOOL WINAPI busyTaskbar(DWORD action, PNOTIFYICONDATAA data)
{
    deletes += action == NIM_DELETE;
    if (action == NIM_ADD && (++adds, addsToRefuse > 0))
        return --addsToRefuse, FALSE;
    iconGiven = data->hIcon;
    return realNotify(action, data);
}

UINT_PTR WINAPI countingSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc)
{
    rotationTimerStarts += id == 1000;
    return realSetTimer(window, id, period, proc);
}

TEST(TrayIcon, RefusedAddsAreOfferedAgainAndTheCloseTakesTheIconAway)
{
    appInstance = GetModuleHandleA(nullptr);
    ImportRedirect<decltype(&Shell_NotifyIconA)> notify(Shell_NotifyIconA_slot, busyTaskbar);
    realNotify = notify.original();
    HWND window = nullptr;
    {
        ImportRedirect<decltype(&SetTimer)> timers(SetTimer_slot, countingSetTimer);
        realSetTimer = timers.original();
        ASSERT_TRUE(registerMainWindowClass(appInstance) && createMainWindow(appInstance));
        ASSERT_NE(nullptr, window = FindWindowA("TavrelClass", "Tavrel"));
        EXPECT_EQ(1, adds);
        // Offered again every two seconds; the third add is taken.
        driver::waitUntil([] {
            for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
                DispatchMessageA(&message);
            return adds == 3;
        }, 8000, 20);
        EXPECT_EQ(3, adds);
    }
    EXPECT_FALSE(KillTimer(window, IDT_TRAY_RETRY)) << "the retry timer runs on after the icon was taken";
    EXPECT_EQ(1, rotationTimerStarts) << "the rotation timer was restarted by the retries";
    EXPECT_TRUE(driver::waitForTrayIcon(true).has_value()) << "no icon on the taskbar";
    // The notification area shows small icons: the 16 x 16 image, not the large one shrunk.
    ICONINFO info = {};
    BITMAP image = {};
    ASSERT_TRUE(GetIconInfo(iconGiven, &info));
    GetObjectA(info.hbmColor, sizeof image, &image);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), image.bmWidth);
    // Closed, as Exit closes it: the icon is taken away (Windows would leave
    // it on the taskbar until the pointer passes over it).
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, deletes);
    char ini[MAX_PATH] = {};  // saved at the close, beside this test
    GetModuleFileNameA(nullptr, ini, sizeof ini);
    lstrcpyA(std::strrchr(ini, '\\') + 1, "Tavrel.ini");
    DeleteFileA(ini);
}

}  // namespace
