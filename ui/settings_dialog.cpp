#include "ui/settings_dialog.h"

#include <commdlg.h>

#include <vector>

#include "base/globals.h"
#include "base/path_text.h"
#include "base/scoped_win.h"
#include "base/ui_language.h"
#include "res/resource.h"
#include "rotation/interval_table.h"
#include "rotation/monitor_wallpapers.h"
#include "rotation/wallpaper_list.h"
#include "ui/excluded_dialog.h"
#include "ui/file_selection.h"
#include "ui/hotkeys.h"
#include "ui/folder_picker.h"
#include "ui/list_row.h"
#include "ui/preview.h"

namespace {

// The first pair adds JPEG's other extensions and PNG (which the shell shows
// from Windows 7 on) to the four long-standing ones, kept as they were.
const wchar_t kImageFilter[] =
    L"All Pictures(*.bmp;*.jpg;*.jpeg;*.jpe;*.jfif;*.gif;*.png)\0*.bmp;*.jpg;*.jpeg;*.jpe;*.jfif;*.gif;*.png\0"
    L"All Image Files(*.bmp;*.jpg;*.gif)\0*.bmp;*.jpg;*.gif\0"
    L"BMP file(*.bmp)\0*.bmp\0"
    L"JPEG file(*.jpg)\0*.jpg\0"
    L"GIF file(*.gif)\0*.gif\0"
    L"JPEG file(*.jpeg;*.jpe;*.jfif)\0*.jpeg;*.jpe;*.jfif\0"
    L"PNG file(*.png)\0*.png\0";

// Large enough for a real multiple selection of photos with long names.
constexpr DWORD kSelectionBufferSize = 64 * 1024;

void checkButton(HWND dialog, int id, bool checked)
{
    HWND button = GetDlgItem(dialog, id);
    if (button)
        SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The shell sets no wallpaper from a longer path; it is not dropped unseen.
void tellPathsTooLong(HWND dialog)
{
    if (chineseTexts()) {
        // 有些文件的路径超过 259 个字符，无法设为壁纸，未能添加。
        MessageBoxW(dialog,
                    L"\u6709\u4e9b\u6587\u4ef6\u7684\u8def\u5f84\u8d85\u8fc7 259 \u4e2a\u5b57\u7b26\uff0c"
                    L"\u65e0\u6cd5\u8bbe\u4e3a\u58c1\u7eb8\uff0c\u672a\u80fd\u6dfb\u52a0\u3002",
                    L"Tavrel", MB_OK | MB_ICONWARNING);
    } else {
        MessageBoxW(dialog,
                    L"Some files were not added: their paths are longer than the 259 characters Windows can set "
                    L"as a wallpaper.",
                    L"Tavrel", MB_OK | MB_ICONWARNING);
    }
}

bool isChecked(HWND dialog, int id)
{
    return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The check boxes that each show one option and keep it as they are clicked.
struct OptionBox {
    int id;
    int32_t ShowSettings::*option;
};
constexpr OptionBox kOptionBoxes[] = {
    {IDC_PREVIEW, &ShowSettings::preview},
    {IDC_AUTORUN, &ShowSettings::autoRun},
    {IDC_FULLSCREEN_WAIT, &ShowSettings::fullScreenWait},
    {IDC_EACH_MONITOR, &ShowSettings::eachMonitor},
    {IDC_HOTKEYS, &ShowSettings::hotkeys},
};

void takeOptionBox(HWND dialog, int id, ShowSettings& settings)
{
    for (const OptionBox& box : kOptionBoxes)
        if (box.id == id)
            settings.*box.option = isChecked(dialog, id) ? 1 : 0;
}

void addIntervalLabel(HWND combo, const IntervalRow& row)
{
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(chineseTexts() ? row.label : row.englishLabel));
}

}  // namespace

INT_PTR CALLBACK settingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!activeSettingsDialog)
        return FALSE;
    return activeSettingsDialog->handleSettingsMessage(window, message, wParam, lParam);
}

INT_PTR SettingsDialogState::handleSettingsMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    dialogWindow = window;
    switch (message) {
    case WM_DRAWITEM:
        if (wParam != IDC_PREVIEW_AREA)
            return FALSE;
        drawPreview(*this, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_TIMER:
        if (wParam != IDT_PREVIEW_SETTLED)
            return FALSE;
        selectionSettled(*this);
        return TRUE;
    case WM_INITDIALOG:
        return initSettingsDialog();
    case WM_COMMAND:
        return onCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_DESTROY:
        // Also reached when the owner goes away (Exit from the tray while
        // the dialog is open): nothing may stay behind.
        releaseDialogResources();
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR SettingsDialogState::onCommand(WORD id, WORD code)
{
    switch (id) {
    case IDOK:
        return onSettingsOk();
    case IDCANCEL:
        return onSettingsCancel();
    case IDC_FILELIST:
        if (code == LBN_SELCHANGE)
            selectionMoved(*this);
        return TRUE;
    case IDC_PREVIEW:
        if (code == BN_CLICKED) {
            takeOptionBox(dialogWindow, id, settings);
            redrawPreview(*this);
        }
        return TRUE;
    case IDC_ADD:
        if (code == BN_CLICKED)
            addImages();
        return TRUE;
    case IDC_REMOVE:
        if (code == BN_CLICKED)
            removeImage();
        return TRUE;
    case IDC_INTERVAL:
        if (code == CBN_SELCHANGE) {
            const LRESULT row = sendControl(IDC_INTERVAL, CB_GETCURSEL);
            if (row != CB_ERR)
                settings.alteTime = static_cast<int32_t>(row);
        }
        return TRUE;
    case IDC_TILE:
    case IDC_CENTER:
    case IDC_STRETCH:
        // Set from the control alone; the button's state is not read.
        settings.showMode = id - IDC_TILE;
        redrawPreview(*this);
        return TRUE;
    case IDC_FILL:
    case IDC_FIT:
        settings.showMode = id == IDC_FILL ? 4 : 3;
        redrawPreview(*this);
        return TRUE;
    case IDC_SPAN:
        settings.showMode = 5;
        redrawPreview(*this);
        return TRUE;
    case IDC_SEQUENTIAL:
    case IDC_RANDOM:
        settings.showOrder = id - IDC_SEQUENTIAL;
        return TRUE;
    case IDC_SHUFFLE:
        settings.showOrder = kShuffled;
        return TRUE;
    case IDC_ADD_FOLDER:
        if (code == BN_CLICKED)
            addFolder();
        return TRUE;
    case IDC_EXCLUDED:
        if (code == BN_CLICKED)
            DialogBoxIndirectParamW(appInstance, localizedDialog(appInstance, IDD_EXCLUDED), dialogWindow,
                                    excludedDialogProc, 0);
        return TRUE;
    case IDC_AUTORUN:
    case IDC_FULLSCREEN_WAIT:
    case IDC_EACH_MONITOR:
    case IDC_HOTKEYS:
        if (code == BN_CLICKED)
            takeOptionBox(dialogWindow, id, settings);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL SettingsDialogState::initSettingsDialog()
{
    if (settings.showMode >= 0 && settings.showMode <= 2)
        checkButton(dialogWindow, IDC_TILE + settings.showMode, true);
    else if (settings.showMode == 3 || settings.showMode == 4)
        checkButton(dialogWindow, settings.showMode == 4 ? IDC_FILL : IDC_FIT, true);
    else if (settings.showMode == 5)
        checkButton(dialogWindow, IDC_SPAN, true);
    if (settings.showOrder == kInSequence || settings.showOrder == kAtRandom)
        checkButton(dialogWindow, IDC_SEQUENTIAL + settings.showOrder, true);
    else if (settings.showOrder == kShuffled)
        checkButton(dialogWindow, IDC_SHUFFLE, true);

    for (const IntervalRow& row : kIntervalTable)
        addIntervalLabel(control(IDC_INTERVAL), row);
    sendControl(IDC_INTERVAL, CB_SETCURSEL, static_cast<WPARAM>(settings.alteTime));

    for (const OptionBox& box : kOptionBoxes)
        checkButton(dialogWindow, box.id, settings.*box.option != 0);
    SetDlgItemTextW(dialogWindow, IDC_HOTKEY_NOTE, takenHotkeysNote(takenHotkeys).c_str());
    // Kept as it is where the shell cannot do it (before Windows 8).
    EnableWindow(control(IDC_EACH_MONITOR), MonitorWallpapers::shellHasObject());

    // From the cursor round to the entry before it; the cursor ends where it began.
    // Room reserved and drawing held back: long lists fill in linear time.
    const int32_t n = wallpaperList.count();
    const HWND box = control(IDC_FILELIST);
    SendMessageW(box, LB_INITSTORAGE, static_cast<WPARAM>(n), static_cast<LPARAM>(n) * 128);
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    for (int32_t i = 0; i < n; ++i) {
        const wchar_t* path = wallpaperList.current();
        wallpaperList.advance();
        if (path)
            SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path));
    }
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    sendControl(IDC_FILELIST, LB_SETCURSEL, 0);

    if (!layoutPreview(*this))
        return FALSE;
    showSelected(*this);
    return TRUE;
}

BOOL SettingsDialogState::onSettingsOk()
{
    if (listChanged) {
        wallpaperList.clear();
        const LRESULT rows = sendControl(IDC_FILELIST, LB_GETCOUNT);
        for (LRESULT row = 0; row < rows; ++row) {
            wchar_t path[kPathSize];
            if (readListRow(control(IDC_FILELIST), static_cast<int>(row), path) && path[0] != L'\0')
                wallpaperList.append(path);
        }
    }
    releaseDialogResources();
    EndDialog(dialogWindow, IDOK);
    return TRUE;
}

BOOL SettingsDialogState::onSettingsCancel()
{
    releaseDialogResources();
    EndDialog(dialogWindow, IDCANCEL);
    return TRUE;
}

void SettingsDialogState::releaseDialogResources()
{
    if (monitorBitmap) {
        // The control gives back what it shows: its own copy where version 6
        // of the common controls made one, which is then ours to delete.
        const HGDIOBJ shown = reinterpret_cast<HGDIOBJ>(sendControl(IDC_MONITOR, STM_SETIMAGE, IMAGE_BITMAP, 0));
        if (shown && shown != monitorBitmap)
            DeleteObject(shown);
        DeleteObject(monitorBitmap);
        monitorBitmap = nullptr;
    }
    releasePicture(*this);
}

void SettingsDialogState::addListRow(const wchar_t* path) const
{
    sendControl(IDC_FILELIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path));
}

void SettingsDialogState::addImages()
{
    std::vector<wchar_t> selection(kSelectionBufferSize, L'\0');

    OPENFILENAMEW request = {};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    request.hwndOwner = dialogWindow;
    request.lpstrFilter = kImageFilter;
    request.nFilterIndex = 1;
    request.lpstrFile = selection.data();
    request.nMaxFile = kSelectionBufferSize;
    request.Flags = OFN_EXPLORER | OFN_NONETWORKBUTTON | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                    OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    BOOL chosen;
    {
        // The dialog moves the current directory to the folder browsed
        // (OFN_NOCHANGEDIR does not stop that for the open dialog).
        ScopedCurrentDirectory keep;
        chosen = GetOpenFileNameW(&request);
    }
    if (!chosen)
        return;

    bool tooLong = false;
    for (const std::wstring& path : selectedPaths(selection.data(), selection.size(), request.nFileOffset)) {
        if (path.size() < static_cast<size_t>(kPathSize))
            addListRow(path.c_str());
        else
            tooLong = true;
    }
    if (tooLong)
        tellPathsTooLong(dialogWindow);
    rowsAdded();
}

void SettingsDialogState::rowsAdded()
{
    if (sendControl(IDC_FILELIST, LB_GETCOUNT) > 0 && sendControl(IDC_FILELIST, LB_GETCURSEL) == LB_ERR) {
        sendControl(IDC_FILELIST, LB_SETCURSEL, 0);
        showSelected(*this);
    }
    listChanged = 1;
}

// A folder's row ends in a backslash, which tells it from a file's and
// leaves room for the names below it.
void SettingsDialogState::addFolder()
{
    std::wstring folder = pickFolder(dialogWindow);
    if (folder.empty())
        return;
    if (folder.back() != L'\\')
        folder += L'\\';
    if (folder.size() >= static_cast<size_t>(kPathSize)) {
        tellPathsTooLong(dialogWindow);
        return;
    }
    addListRow(folder.c_str());
    rowsAdded();
}

void SettingsDialogState::removeImage()
{
    const LRESULT selected = sendControl(IDC_FILELIST, LB_GETCURSEL);
    if (selected == LB_ERR)
        return;
    sendControl(IDC_FILELIST, LB_DELETESTRING, static_cast<WPARAM>(selected));
    const LRESULT rows = sendControl(IDC_FILELIST, LB_GETCOUNT);
    if (rows > 0) {
        sendControl(IDC_FILELIST, LB_SETCURSEL, static_cast<WPARAM>(selected < rows ? selected : rows - 1));
        showSelected(*this);
    } else {
        releasePicture(*this);
        redrawPreview(*this);
    }
    listChanged = 1;
}
