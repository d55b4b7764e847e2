// The tray icon when the taskbar refuses it, as a busy or not yet running
// taskbar does at logon: the program's main window in this process, with
// Shell_NotifyIconA refusing the first adds.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

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
int addsToRefuse = 0;
int adds = 0;
int rotationTimerStarts = 0;
int deletes = 0;
HICON iconGiven = nullptr;

BOOL WINAPI busyTaskbar(DWORD action, PNOTIFYICONDATAA data)
{
    deletes += action == NIM_DELETE;
    if (action == NIM_ADD && (++adds, addsToRefuse > 0)) {
        --addsToRefuse;
        return FALSE;
    }
    iconGiven = data->hIcon;
    return realNotify(action, data);
}

UINT_PTR WINAPI countingSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc)
{
    rotationTimerStarts += id == 1000;
    return realSetTimer(window, id, period, proc);
}

template <typename Predicate>
bool pumpUntil(Predicate done, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done() && GetTickCount64() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(20);
    }
    return done();
}

TEST(TrayIcon, RefusedAddsAreOfferedAgainAndTheCloseTakesTheIconAway)
{
    appInstance = GetModuleHandleA(nullptr);
    HWND window = nullptr;
    ImportRedirect<decltype(&Shell_NotifyIconA)> notify(Shell_NotifyIconA_slot, busyTaskbar);
    realNotify = notify.original();
    {
        ImportRedirect<decltype(&SetTimer)> timers(SetTimer_slot, countingSetTimer);
        realSetTimer = timers.original();
        addsToRefuse = 2;
        ASSERT_TRUE(registerMainWindowClass(appInstance));
        ASSERT_TRUE(createMainWindow(appInstance));
        window = FindWindowA("TavrelClass", "Tavrel");
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(1, adds);
        // Offered again every two seconds; the third add is taken.
        EXPECT_TRUE(pumpUntil([] { return adds == 3; }, 8000)) << adds << " adds";
        EXPECT_EQ(0, addsToRefuse);
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
    char ini[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, ini, sizeof ini);
    DeleteFileA((std::string(ini).substr(0, std::string(ini).rfind('\\')) + "\\Tavrel.ini").c_str());  // saved at the close
}

}  // namespace
