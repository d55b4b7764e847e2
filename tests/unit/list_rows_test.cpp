// List-box rows in process, where Windows differs from Wine: a row's length
// over-reported on a double-byte code page, and a row longer than a path.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/resource.h"
#include "base/globals.h"
#include "rotation/wallpaper_list.h"
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

TEST(SettingsDialogRows, OkKeepsEveryRowThatFitsWhateverItsReportedLength)
{
    const std::string shortPath = "C:\\a.bmp", longPath = "C:\\" + std::string(252, 'p') + ".bmp";  // 259 bytes
    const std::string tooLong = longPath + "x";  // no path buffer holds it
    CoInitialize(nullptr);
    appInstance = GetModuleHandleA(nullptr);
    wallpaperList.append(shortPath.c_str());
    wallpaperList.append(longPath.c_str());
    SettingsDialogState state;
    state.settings = {1, 0, 12, 1, 0};
    activeSettingsDialog = &state;
    HWND dialog = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, settingsDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    HWND list = GetDlgItem(dialog, IDC_FILELIST);
    listBoxProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(overReportingListBox)));
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tooLong.c_str()));
    state.listChanged = 1;
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    std::vector<std::string> kept;
    for (int32_t i = 0, n = wallpaperList.count(); i < n; ++i, wallpaperList.advance())
        kept.emplace_back(wallpaperList.current());
    EXPECT_EQ((std::vector<std::string>{shortPath, longPath}), kept);
    if (IsWindow(dialog))
        DestroyWindow(dialog);
    activeSettingsDialog = nullptr;
    CoUninitialize();
}

TEST(ListRow, RowThatDoesNotFitIsRefusedAndNothingWrittenPastTheBuffer)
{
    HWND list = CreateWindowA("LISTBOX", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    const std::string fits(259, 'a'), tooLong(260, 'b');
    for (const std::string& row : {fits, tooLong})
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    struct {
        char text[kPathSize];
        char guard;
    } out = {{}, 'g'};
    EXPECT_TRUE(readListRow(list, 0, out.text));
    EXPECT_EQ(fits, out.text);
    EXPECT_FALSE(readListRow(list, 1, out.text));
    EXPECT_EQ('g', out.guard);
    DestroyWindow(list);
}

}  // namespace
