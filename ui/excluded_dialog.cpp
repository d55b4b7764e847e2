#include "ui/excluded_dialog.h"

#include "base/globals.h"
#include "res/resource.h"
#include "rotation/wallpaper_list.h"
#include "ui/list_row.h"

namespace {

void fillList(HWND window)
{
    for (const std::wstring& picture : wallpaperList.excluded())
        SendDlgItemMessageW(window, IDC_EXCLUDED_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(picture.c_str()));
    SendDlgItemMessageW(window, IDC_EXCLUDED_LIST, LB_SETCURSEL, 0, 0);
}

void restoreSelected(HWND window)
{
    const HWND list = GetDlgItem(window, IDC_EXCLUDED_LIST);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    wchar_t picture[kPathSize];
    if (selected == LB_ERR || !readListRow(list, static_cast<int>(selected), picture))
        return;
    wallpaperList.restore(picture);
    SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    const LRESULT rows = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (rows > 0)
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected < rows ? selected : rows - 1), 0);
}

}  // namespace

INT_PTR CALLBACK excludedDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        fillList(window);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_RESTORE:
            restoreSelected(window);
            return TRUE;
        case IDOK:
        case IDCANCEL:
            EndDialog(window, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
