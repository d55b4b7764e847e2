// The program's windows in process (under code page 1252), where Windows
// differs from Wine: list rows, the texts, the taskbar that refuses the icon.

#include <gtest/gtest.h>

#include <olectl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <tuple>

#include "app/main_window.h"
#include "app/tray.h"
#include "base/globals.h"
#include "base/ui_language.h"
#include "res/resource.h"
#include "rotation/disk_pictures.h"
#include "rotation/rotation_timer.h"
#include "rotation/wallpaper_list.h"
#include "settings/profile_file.h"
#include "driver.h"
#include "import_slot.h"
#include "ui/list_row.h"
#include "ui/hotkeys.h"
#include "ui/settings_dialog.h"

namespace {

// Window messages handled until `done`, for `ms` at most.
template <typename Done>
bool pumpedUntil(Done done, DWORD ms)
{
    return driver::waitUntil([&] {
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&message);
        return done();
    }, ms, 20);
}

// Windows may report a row's length as more than it is (Wine never does).
WNDPROC listBoxProc = nullptr;
LRESULT CALLBACK overReportingListBox(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallWindowProcW(listBoxProc, window, message, wParam, lParam);
    return message == LB_GETTEXTLEN && result != LB_ERR ? 2 * result + 2 : result;
}

// As at 150 % on Windows 8.1 and later, two monitors side by side: Wine's metrics and 96 dpi, a physical
// display mode, and a desktop resolution spanning both.
IMPORT_SLOT(GetDeviceCaps, 8);
IMPORT_SLOT(EnumDisplaySettingsA, 12);
int WINAPI scaledCaps(HDC dc, int i) { return i == DESKTOPHORZRES ? 3072 : i == DESKTOPVERTRES ? 1152 : GetDeviceCaps_real(dc, i); }
BOOL WINAPI physicalMode(LPCSTR device, DWORD i, DEVMODEA* out) { return EnumDisplaySettingsA_real(device, i, out) && (out->dmPelsWidth = 1536) && (out->dmPelsHeight = 1152); }
IMPORT_SLOT(OleLoadPicturePath, 24);  // Windows' reads no PNG (Wine's does)
HRESULT WINAPI loaderOfWindows(LPOLESTR, LPUNKNOWN, DWORD, OLE_COLOR, REFIID, LPVOID* out) { return *out = nullptr, CTL_E_INVALIDPICTURE; }

// Windows' file-open dialog may join a folder and a name into more than the
// 259 characters a wallpaper path takes (Wine's refuses such a file).
IMPORT_SLOT(GetOpenFileNameW, 4);
IMPORT_SLOT(MessageBoxW, 16);
const std::wstring kDeep = L"C:\\" + std::wstring(240, L'd');
int messagesShown = 0;
BOOL WINAPI longSelection(LPOPENFILENAMEW request)
{
    const std::wstring selection = kDeep + L'\0' + L"x.bmp" + L'\0' + std::wstring(30, L'n') + L".bmp" + L'\0' + L'\0';
    selection.copy(request->lpstrFile, selection.size());
    request->nFileOffset = static_cast<WORD>(kDeep.size() + 1);
    return TRUE;
}
int WINAPI recordingMessageBox(HWND, LPCWSTR, LPCWSTR, UINT) { return ++messagesShown, IDOK; }

// English where the code page is not 936: the dialogs, the labels, the menu; at 150 % a 640 x 480 PNG
// centred takes 44..107 x 33..80 of the 152 x 114 preview (not 28..122 x 21..91), black where transparent.
// The list's rows read right whatever length Windows reports, and none overruns the path buffer.
TEST(Resources, EnglishTextsAndThePreviewOfAScaledScreen)
{
    ASSERT_NE(936u, GetACP());
    const HINSTANCE instance = appInstance = GetModuleHandleA(nullptr);
    driver::AppFolder folder("preview");
    const COLORREF pink = RGB(230, 40, 170), grey = RGB(128, 128, 128), white = RGB(255, 255, 255);  // exact in a JPEG
    driver::writeFileBytes(folder.path() + "\\p.bmp", driver::bmpBytes(640, 480, pink, RGB(40, 200, 90), RGB(250, 190, 30)));
    driver::writeFileBytes(folder.path() + "\\q.bmp", driver::bmpBytes(640, 480, grey, white));
    ASSERT_TRUE(driver::convertPicture(folder.path() + "\\p.bmp", folder.path() + "\\p.png", "PNG32",
                                       "-transparent 'rgb(250,190,30)'") &&
                driver::convertPicture(folder.path() + "\\q.bmp", folder.path() + "\\q.jpg", "JPG"));
    wallpaperList.append(driver::longPath(folder.path() + "\\p.png").c_str());
    wallpaperList.append(driver::longPath(folder.path() + "\\q.jpg").c_str());
    CoInitialize(nullptr);
    ImportRedirect ole(OleLoadPicturePath_slot, loaderOfWindows);
    ImportRedirect caps(GetDeviceCaps_slot, scaledCaps);
    ImportRedirect modes(EnumDisplaySettingsA_slot, physicalMode);
    SettingsDialogState state{nullptr, {1, 0, 0, 1, 0, 1}, 0, nullptr, 0, 0, 0, 0};  // centred, the preview on
    activeSettingsDialog = &state;
    HWND dialog = CreateDialogIndirectParamW(instance, localizedDialog(instance, IDD_SETTINGS), nullptr,
                                             settingsDialogProc, 0);
    const HWND list = GetDlgItem(dialog, IDC_FILELIST);
    listBoxProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(overReportingListBox)));
    ShowWindow(dialog, SW_SHOW), RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const HDC dc = GetDC(GetDlgItem(dialog, IDC_PREVIEW_AREA));
    for (const auto& [x, y, want] : {std::tuple{40, 56, 0ul}, {48, 56, pink}, {111, 56, 0ul}, {60, 42, 0ul}})  // 42: the band
        EXPECT_EQ(want, GetPixel(dc, x, y)) << "at " << x << "," << y;
    EXPECT_EQ(std::make_pair(4022, 3016), std::make_pair(state.himetricWidth, state.himetricHeight))
        << "kept at 152 x 114 pixels (at 96 dpi), what filling the area needs, not at the file's 640 x 480";
    // Two rows in turn: a JPEG shown at once; the next, a key's repeat later, once moves stop, never the row left's.
    for (const auto& [row, left, right] : {std::tuple{1, grey, white}, {0, 0ul, 0ul}}) {
        SendMessageA(list, LB_SETCURSEL, row, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILELIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        EXPECT_EQ(std::make_pair(left, right), std::make_pair(GetPixel(dc, 48, 56), GetPixel(dc, 100, 56))) << row;
    }
    EXPECT_TRUE(pumpedUntil([&] { return GetPixel(dc, 48, 56) == pink; }, 3000));
    ReleaseDC(GetDlgItem(dialog, IDC_PREVIEW_AREA), dc);
    wallpaperList.clear();
    char label[32] = {};  // the interval list's last row
    SendDlgItemMessageA(dialog, IDC_INTERVAL, CB_GETLBTEXT, 19, reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(std::string("12 hours"), label);
    {
        ImportRedirect open(GetOpenFileNameW_slot, longSelection);
        ImportRedirect told(MessageBoxW_slot, recordingMessageBox);
        SendMessageW(dialog, WM_COMMAND, IDC_ADD, 0);
    }
    EXPECT_EQ(1, messagesShown) << "a path too long left out without a word";
    struct { wchar_t text[kPathSize]; wchar_t guard; } out = {{}, L'g'};
    EXPECT_EQ(3, SendMessageW(list, LB_GETCOUNT, 0, 0));
    EXPECT_TRUE(readListRow(list, 2, out.text) && kDeep + L"\\x.bmp" == out.text);
    const std::wstring longPath = L"C:\\\uc0ac\uc9c4" + std::wstring(250, 'p') + L".bmp";  // 259 characters, 사진
    for (const std::wstring& row : {longPath, longPath + L"x"})
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    EXPECT_TRUE(readListRow(list, 3, out.text) && longPath == out.text);
    EXPECT_FALSE(readListRow(list, 4, out.text)) << "a row no path buffer holds";
    EXPECT_EQ(L'g', out.guard);
    DestroyWindow(dialog);
    activeSettingsDialog = nullptr;
    HMENU menu = LoadMenuIndirectW(localizedMenu(instance, IDR_TRAYMENU));
    std::string items;
    char text[64];
    for (int i = 0; i < GetMenuItemCount(GetSubMenu(menu, 0)); ++i)
        items += std::string(text, GetMenuStringA(GetSubMenu(menu, 0), i, text, sizeof text, MF_BYPOSITION)) + "|";
    EXPECT_EQ("&Next Wallpaper|Pre&vious Wallpaper|&Pause Changes||Show Picture in &Folder|Never Show This Pictu&re||"
              "&Settings|&About Tavrel||E&xit|", items);
    EXPECT_TRUE(L"Ctrl+Alt+Left, Ctrl+Alt+P are taken by other programs" == takenHotkeysNote(6));
    DestroyMenu(menu);
}

IMPORT_SLOT(Shell_NotifyIconW, 8);
IMPORT_SLOT(LoadImageW, 24);
IMPORT_SLOT(DestroyIcon, 4);
IMPORT_SLOT(GetProcAddress, 8);
IMPORT_SLOT(VerifyVersionInfoW, 16);
int addsToRefuse = 2, adds = 0, deletes = 0;
std::vector<std::string> iconLoads;
HICON iconLoaded = nullptr, iconDestroyed = nullptr;
std::tuple<HWND, UINT, DWORD> letThrough;
DWORD windowsBuild = 19045;  // Windows 10 22H2
std::wstring tipSent;

BOOL WINAPI busyTaskbar(DWORD action, PNOTIFYICONDATAW data)
{
    deletes += action == NIM_DELETE;
    tipSent = data->szTip;
    if (action == NIM_ADD && (++adds, addsToRefuse > 0))
        return --addsToRefuse, FALSE;
    return Shell_NotifyIconW_real(action, data);
}

// Each icon loaded: its size and whether it is shared.
HANDLE WINAPI recordingLoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags)
{
    HANDLE image = LoadImageW_real(instance, name, type, cx, cy, flags);
    if (type == IMAGE_ICON) {
        iconLoads.push_back(std::to_string(cx) + "x" + std::to_string(cy) + (flags & LR_SHARED ? " shared" : ""));
        iconLoaded = static_cast<HICON>(image);
    }
    return image;
}

// A Windows of that build, asked whether it is at least some build.
BOOL WINAPI windowsOfBuild(LPOSVERSIONINFOEXW wanted, DWORD type, DWORDLONG)
{
    return type == VER_BUILDNUMBER && windowsBuild >= wanted->dwBuildNumber;
}

BOOL WINAPI recordingDestroyIcon(HICON icon) { return iconDestroyed = icon, TRUE; }

BOOL WINAPI recordingMessageFilter(HWND window, UINT message, DWORD action, void*)
{
    return letThrough = {window, message, action}, TRUE;
}
bool windows8 = true;
std::string started;  // the calls the start made, in order
BOOL WINAPI recordSetDefault(DWORD flags) { return started += "SetDefaultDllDirectories " + std::to_string(flags), TRUE; }

// What the program finds at run time: Windows 7's message filter, Windows 8's DLL search (or none).
FARPROC WINAPI lookingUp(HMODULE module, LPCSTR name)
{
    const std::string wanted = HIWORD(reinterpret_cast<ULONG_PTR>(name)) ? name : "";
    if (wanted == "ChangeWindowMessageFilterEx")
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(recordingMessageFilter));
    if (wanted == "SetDefaultDllDirectories")
        return windows8 ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(recordSetDefault)) : nullptr;
    return GetProcAddress_real(module, name);
}

IMPORT_SLOT(SHQueryUserNotificationState, 4);
IMPORT_SLOT(SetTimer, 16);
QUERY_USER_NOTIFICATION_STATE shellState;
HRESULT shellAnswer;
std::vector<UINT> rotationPeriods;  // set since the last step, in order
HRESULT WINAPI stateOfWindows(QUERY_USER_NOTIFICATION_STATE* out) { return *out = shellState, shellAnswer; }
UINT_PTR WINAPI recordingSetTimer(HWND window, UINT_PTR id, UINT ms, TIMERPROC call)
{
    return id == IDT_ROTATION ? (rotationPeriods.push_back(ms), id) : SetTimer_real(window, id, ms, call);
}

IMPORT_SLOT(RegisterHotKey, 16);
IMPORT_SLOT(SHOpenFolderAndSelectItems, 16);
std::string hotkeysTaken;  // each hotkey registered: its key and modifiers
std::wstring openedInFolder;  // the item's path, the number of children and the flags
BOOL WINAPI registerAsVista(HWND window, int id, UINT modifiers, UINT key)
{
    if (modifiers & MOD_NOREPEAT)
        return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
    hotkeysTaken += std::to_string(key) + "+" + std::to_string(modifiers) + " ";
    return RegisterHotKey_real(window, id, modifiers, key);
}
HRESULT WINAPI recordingOpenFolder(PCIDLIST_ABSOLUTE item, UINT children, PCUITEMID_CHILD_ARRAY, DWORD flags)
{
    wchar_t path[MAX_PATH] = L"";
    SHGetPathFromIDListW(item, path);
    return openedInFolder = path + (L" " + std::to_wstring(children) + L" " + std::to_wstring(flags)), S_OK;
}

// The main window under Windows' answers. At 150 % the icon is loaded at 24 x 24, as shown (not the metrics'
// 16, nor shared, which answers with the 32 x 32 one), and destroyed after it went; an elevated program lets the
// restarted shell's broadcast through; '&' is doubled for Windows 10's notification area, not for Windows 11's.
// While the shell reports a full-screen program, a Direct3D game or presentation mode (Wine never does), the
// timer's change waits, looking again every 2 s; the first look after it ended changes, and a full period
// follows. Next, the box unticked, or a failed call (its answer undefined) hold nothing; S_FALSE counts as done.
// Vista, which knows no MOD_NOREPEAT, takes the hotkeys without it; Show in Folder hands the shell the picture
// on the desktop (Explorer under Wine selects nothing).
TEST(MainWindow, TrayIconRotationHotkeysAndShowInFolder)
{
    appInstance = GetModuleHandleA(nullptr);
    ImportRedirect notify(Shell_NotifyIconW_slot, busyTaskbar);
    ImportRedirect images(LoadImageW_slot, recordingLoadImageW);
    ImportRedirect destroy(DestroyIcon_slot, recordingDestroyIcon);
    ImportRedirect version(VerifyVersionInfoW_slot, windowsOfBuild);
    ImportRedirect caps(GetDeviceCaps_slot, scaledCaps);
    ImportRedirect modes(EnumDisplaySettingsA_slot, physicalMode);
    ImportRedirect query(SHQueryUserNotificationState_slot, stateOfWindows);
    ImportRedirect timers(SetTimer_slot, recordingSetTimer);
    ImportRedirect vista(RegisterHotKey_slot, registerAsVista);
    ImportRedirect folder(SHOpenFolderAndSelectItems_slot, recordingOpenFolder);
    CoInitialize(nullptr);
    std::wcscpy(shownWallpaper, L"C:\\Tom & Jerry.bmp");
    HWND window = nullptr;
    {
        ImportRedirect lookup(GetProcAddress_slot, lookingUp);
        ASSERT_TRUE(registerMainWindowClass(appInstance) && createMainWindow(appInstance));
        ASSERT_NE(nullptr, window = FindWindowA("TavrelClass", "Tavrel"));
        EXPECT_EQ(1, adds);
        // Offered again every two seconds; the third add is taken.
        EXPECT_TRUE(pumpedUntil([] { return adds == 3; }, 8000)) << adds << " adds";
    }
    EXPECT_EQ("39+3 37+3 80+3 ", hotkeysTaken);  // right, left, P
    EXPECT_EQ(std::make_tuple(window, RegisterWindowMessageA("TaskbarCreated"), DWORD{1}), letThrough);  // MSGFLT_ALLOW
    EXPECT_FALSE(KillTimer(window, IDT_TRAY_RETRY)) << "the retry timer runs on after the icon was taken";
    EXPECT_TRUE(L"Tavrel - Tom && Jerry.bmp" == tipSent);
    windowsBuild = 22000;
    SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);  // a restarted shell forgot it
    EXPECT_EQ(4, adds) << "not added again after the taskbar restarted";
    EXPECT_TRUE(L"Tavrel - Tom & Jerry.bmp" == tipSent);
    wallpaperList.clear(), wallpaperList.append(L"C:\\q\\1.bmp"), wallpaperList.append(L"C:\\q\\2.bmp");
    showSettings = {2, 0, 12, 0, 0, 1};  // stretched, in order, 30 minutes
    SetEnvironmentVariableA("TAVREL_STANDIN_ANSWER", "S_FALSE");
    constexpr UINT kLookAgain = 2000, kFull = 1800000;
    const struct { const char* name; int wait; QUERY_USER_NOTIFICATION_STATE state; HRESULT answer; UINT message;
                   UINT period; } rows[] = {
        {"full screen", 1, QUNS_BUSY, S_OK, WM_TIMER, kLookAgain},
        {"Direct3D", 1, QUNS_RUNNING_D3D_FULL_SCREEN, S_OK, WM_TIMER, kLookAgain},
        {"presentation", 1, QUNS_PRESENTATION_MODE, S_OK, WM_TIMER, kLookAgain},
        {"ended", 1, QUNS_ACCEPTS_NOTIFICATIONS, S_OK, WM_TIMER, kFull},
        {"Next", 1, QUNS_BUSY, S_OK, WM_COMMAND, kFull},
        {"box unticked", 0, QUNS_BUSY, S_OK, WM_TIMER, kFull},
        {"call failed", 1, QUNS_BUSY, E_FAIL, WM_TIMER, kFull},
    };
    for (const auto& row : rows) {
        showSettings.fullScreenWait = row.wait, shellState = row.state, shellAnswer = row.answer;
        const std::wstring before = shownWallpaper;
        rotationPeriods.clear();
        SendMessageA(window, row.message, row.message == WM_TIMER ? IDT_ROTATION : IDM_NEXT, 0);
        EXPECT_EQ(row.period == kFull, before != shownWallpaper) << row.name << ": changed";
        EXPECT_EQ(std::vector<UINT>{row.period}, rotationPeriods) << row.name;
    }
    GetModuleFileNameW(nullptr, shownWallpaper, kPathSize);  // a file that is there
    SendMessageA(window, WM_COMMAND, IDM_SHOW_IN_FOLDER, 0);
    EXPECT_TRUE(shownWallpaper + std::wstring(L" 0 0") == openedInFolder) << driver::utf8(openedInFolder);
    // Closed as Exit closes it: the icon goes (Windows would leave it until the pointer passes over it).
    profileFile.setPath(L"");  // nothing saved beside this test
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, deletes);
    EXPECT_EQ(std::vector<std::string>{"24x24"}, iconLoads);
    EXPECT_EQ(iconLoaded, iconDestroyed);
}

IMPORT_SLOT(SetDllDirectoryW, 4);
IMPORT_SLOT(FindWindowW, 8);
BOOL WINAPI recordSetDirectory(LPCWSTR path) { return started += path && !*path ? "SetDllDirectoryW \"\"" : "?", TRUE; }
HWND WINAPI anotherInstance(LPCWSTR, LPCWSTR) { return started += ", FindWindowW", GetDesktopWindow(); }

// The DLL search narrowed to System32 (2048) before the first window call
// (another instance runs: the start ends there); before Windows 8 without its
// update, the current directory left out.
TEST(Start, NarrowsTheDllSearchBeforeAnythingElse)
{
    ImportRedirect lookup(GetProcAddress_slot, lookingUp);
    ImportRedirect directory(SetDllDirectoryW_slot, recordSetDirectory);
    ImportRedirect find(FindWindowW_slot, anotherInstance);
    for (const char* expected : {"SetDefaultDllDirectories 2048, FindWindowW", "SetDllDirectoryW \"\", FindWindowW"}) {
        started.clear();
        EXPECT_EQ(0, WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL));
        EXPECT_EQ(expected, started);
        windows8 = false;
    }
}

// Before Windows 7 the basic listing and the large fetch are refused
// (ERROR_INVALID_PARAMETER; Wine takes both): a folder is read all the same, also where no thread
// starts. The share \\offline\share\ (the temporary folder) answers one listing, once let go.
IMPORT_SLOT(FindFirstFileExW, 24);
IMPORT_SLOT(GetFileAttributesW, 4);
extern "C" decltype(&_beginthreadex) beginthreadex_slot asm(IMPORT_SLOT_PREFIX "_beginthreadex");  // cdecl
const std::wstring kShare = L"\\\\offline\\share\\", kTemp = [] { wchar_t temp[MAX_PATH]; return std::wstring(temp, GetTempPathW(MAX_PATH, temp)); }();
HANDLE letGo = CreateEventW(nullptr, TRUE, FALSE, nullptr), hungThread = nullptr;
int shareListings = 0;
std::wstring onShare(LPCWSTR name) { return std::wcsncmp(name, kShare.c_str(), kShare.size()) ? name : kTemp + (name + kShare.size()); }
HANDLE WINAPI listingOfVista(LPCWSTR name, FINDEX_INFO_LEVELS level, LPVOID found, FINDEX_SEARCH_OPS search,
                             LPVOID filter, DWORD flags)
{
    if (onShare(name) != name && level == FindExInfoBasic) {
        if (++shareListings > 1)
            return SetLastError(ERROR_BAD_NETPATH), INVALID_HANDLE_VALUE;
        hungThread = OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId()), WaitForSingleObject(letGo, 30000);
    }
    if (level == FindExInfoStandard && flags == 0)
        return FindFirstFileExW_real(onShare(name).c_str(), level, found, search, filter, flags);
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
}
DWORD WINAPI attributesOnShare(LPCWSTR name) { return GetFileAttributesW_real(onShare(name).c_str()); }
uintptr_t noThread(void*, unsigned, _beginthreadex_proc_type, void*, unsigned, unsigned*) { return 0; }

TEST(Folders, ReadWhereTheBasicListingIsRefusedAndNotWhileTheirShareHangs)
{
    ImportRedirect listing(FindFirstFileExW_slot, listingOfVista);
    ImportRedirect attributes(GetFileAttributesW_slot, attributesOnShare);
    const std::wstring folder = kTemp + L"tavrel-vista\\", picture = folder + L"a.png";
    CreateDirectoryW(folder.c_str(), nullptr);
    CloseHandle(CreateFileW(picture.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    FolderPictures pictures(folder.c_str());
    DiskPictures disk;
    EXPECT_TRUE([&] { ImportRedirect threads(beginthreadex_slot, noThread); return disk.readFolder(pictures); }());
    ASSERT_EQ(1u, pictures.count());
    EXPECT_STREQ(L"a.png", pictures.name(0));
    wallpaperList.clear();
    for (const std::wstring& row : {folder, kShare + L"tavrel-vista\\", kShare + L"other\\"})
        wallpaperList.append(row.c_str());
    const auto none = [](const wchar_t*) { return false; };
    const auto step = [&] { return wallpaperList.passPicture(kInSequence), wallpaperList.nextPicture(kInSequence, disk, none); };
    EXPECT_STREQ(picture.c_str(), step()) << "the share's folders pass while it hangs, a local one is read";
    EXPECT_STREQ(picture.c_str(), step());
    EXPECT_EQ(1, shareListings) << "one listing at a time on a share that hangs";
    EXPECT_FALSE(disk.exists((kShare + L"tavrel-vista\\a.png").c_str())) << "nor a look for a picture";
    SetEvent(letGo), WaitForSingleObject(hungThread, 30000);
    EXPECT_STREQ((kShare + L"tavrel-vista\\a.png").c_str(), step()) << "the share back, its pictures too";
    wallpaperList.clear(), CloseHandle(hungThread);
    DeleteFileW(picture.c_str()), RemoveDirectoryW(folder.c_str());
}

}  // namespace
