// The program's windows in process, where Windows differs from Wine: list
// rows whose length is over-reported on a double-byte code page or longer
// than a path, labels under another code page (this test runs under 1252),
// and a taskbar that refuses the tray icon or restarts.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "app/main_window.h"
#include "app/resource.h"
#include "app/tray.h"
#include "base/globals.h"
#include "driver.h"
#include "import_slot.h"
#include "ui/list_row.h"
#include "ui/settings_dialog.h"

namespace {

// Windows may report a row's length as more than it is (Wine never does):
// this list box over-reports every row.
WNDPROC listBoxProc = nullptr;
LRESULT CALLBACK overReportingListBox(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallWindowProcA(listBoxProc, window, message, wParam, lParam);
    return message == LB_GETTEXTLEN && result != LB_ERR ? 2 * result + 2 : result;
}

TEST(ListRows, LabelsAndRowsReadRightWhateverTheLengthReported)
{
    const std::string longPath = "C:\\" + std::string(252, 'p') + ".bmp";  // 259 bytes
    const std::string tooLong = longPath + "x";  // no path buffer holds it
    appInstance = GetModuleHandleA(nullptr);
    SettingsDialogState state;
    state.settings = {1, 0, 12, 0, 0};
    activeSettingsDialog = &state;
    HWND dialog = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, settingsDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    ASSERT_NE(936u, GetACP());
    const auto label = [&](int row) {
        WCHAR text[16] = {};
        SendDlgItemMessageW(dialog, IDC_INTERVAL, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    EXPECT_EQ(L"5\u79D2", label(0));            // 5秒
    EXPECT_EQ(L"1\u5206\u949F", label(4));      // 1分钟
    EXPECT_EQ(L"12\u5C0F\u65F6", label(19));    // 12小时
    HWND list = GetDlgItem(dialog, IDC_FILELIST);
    listBoxProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(overReportingListBox)));
    // A row that does not fit the path buffer is refused, the buffer not overrun.
    for (const std::string& row : {longPath, tooLong})
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    struct { char text[kPathSize]; char guard; } out = {{}, 'g'};
    EXPECT_TRUE(readListRow(list, 0, out.text));
    EXPECT_EQ(longPath, out.text);
    EXPECT_FALSE(readListRow(list, 1, out.text));
    EXPECT_EQ('g', out.guard);
    DestroyWindow(dialog);
    activeSettingsDialog = nullptr;
}

IMPORT_SLOT(Shell_NotifyIconA, 8);
IMPORT_SLOT(SetTimer, 16);
decltype(&Shell_NotifyIconA) realNotify = nullptr;
decltype(&SetTimer) realSetTimer = nullptr;
int addsToRefuse = 2, adds = 0, deletes = 0, rotationTimerStarts = 0;

BOOL WINAPI busyTaskbar(DWORD action, PNOTIFYICONDATAA data)
{
    deletes += action == NIM_DELETE;
    if (action == NIM_ADD && (++adds, addsToRefuse > 0))
        return --addsToRefuse, FALSE;
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
    SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);  // a restarted shell forgot it
    EXPECT_EQ(4, adds) << "not added again after the taskbar restarted";
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
