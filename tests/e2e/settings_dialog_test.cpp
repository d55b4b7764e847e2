// The settings dialog of the real program, driven from outside as a user
// would: opened from the tray command, read through its controls, clicked.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"
#include "test_files.h"

namespace {

constexpr WORD kSettingsCommand = 32771;
constexpr UINT kRotationTimer = 1000;
const char kSettingsTitle[] = "\xC9\xE8\xD6\xC3";  // 设置

// Control ids of dialog 132.
constexpr int kFileList = 1000;
constexpr int kPreview = 1004;
constexpr int kAdd = 1007;
constexpr int kRemove = 1008;
constexpr int kInterval = 1010;
constexpr int kTile = 1011;
constexpr int kSequential = 1014;
constexpr int kAutoRun = 1016;
constexpr int kPreviewArea = 1018;

const char* const kIntervalLabels[20] = {
    "5\xC3\xEB",          "15\xC3\xEB",         "30\xC3\xEB",         "45\xC3\xEB",
    "1\xB7\xD6\xD6\xD3",  "2\xB7\xD6\xD6\xD3",  "3\xB7\xD6\xD6\xD3",  "5\xB7\xD6\xD6\xD3",
    "10\xB7\xD6\xD6\xD3", "15\xB7\xD6\xD6\xD3", "20\xB7\xD6\xD6\xD3", "25\xB7\xD6\xD6\xD3",
    "30\xB7\xD6\xD6\xD3", "45\xB7\xD6\xD6\xD3", "1\xD0\xA1\xCA\xB1",  "2\xD0\xA1\xCA\xB1",
    "3\xD0\xA1\xCA\xB1",  "5\xD0\xA1\xCA\xB1",  "8\xD0\xA1\xCA\xB1",  "12\xD0\xA1\xCA\xB1",
};

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

struct Settings {
    int showMode, showOrder, alteTime, preview, autoRun;
};

// ------------------------------------------------------------ files

std::string iniText(const Settings& s, const std::vector<std::string>& files)
{
    std::string text = "[SETTINGS]\r\nSHOWMODE=" + std::to_string(s.showMode) +
                       "\r\nSHOWORDER=" + std::to_string(s.showOrder) + "\r\nALTETIME=" +
                       std::to_string(s.alteTime) + "\r\nPREVIEW=" + std::to_string(s.preview) +
                       "\r\nAUTORUN=" + std::to_string(s.autoRun) + "\r\n[FILELIST]\r\n";
    for (size_t i = 0; i < files.size(); ++i)
        text += std::to_string(i) + "=" + files[i] + "\r\n";
    return text;
}

std::string iniValue(const driver::AppFolder& folder, const char* section, const char* key)
{
    char value[512] = {};
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, folder.ini().c_str());
    return value;
}

std::vector<std::string> iniFileList(const driver::AppFolder& folder)
{
    std::vector<std::string> files;
    for (int i = 0;; ++i) {
        const std::string value = iniValue(folder, "FILELIST", std::to_string(i).c_str());
        if (value == "<none>" || value.empty())
            return files;
        files.push_back(value);
    }
}

// A folder "pics" in the app folder with pictures w1..w5, one, a, b, c.
std::vector<std::string> makePictures(const driver::AppFolder& folder)
{
    const std::string pics = folder.path() + "\\pics";
    CreateDirectoryA(pics.c_str(), nullptr);
    const char* names[] = {"w1.bmp", "w2.bmp", "w3.bmp", "w4.bmp", "w5.bmp",
                           "one.bmp", "a.bmp", "b.jpg", "c.gif"};
    std::vector<std::string> paths;
    int k = 0;
    for (const char* name : names) {
        const std::string path = pics + "\\" + name;
        driver::writeFileBytes(path, bmpBytes(64, 48, RGB(20 * k, 100, 200 - 20 * k), RGB(250, 20 * k, 0)));
        paths.push_back(path);
        ++k;
    }
    return paths;
}

// ------------------------------------------------------------ registry

std::string runValue()
{
    char value[600] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, "Tavrel", RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "<none>";
    return value;
}

void setRunValue(const char* text)
{
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "Tavrel", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(key);
}

void deleteRunValue() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Tavrel"); }

// ------------------------------------------------------------ controls, across processes

LRESULT sendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

LRESULT sendItem(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return sendTo(GetDlgItem(dialog, id), message, wParam, lParam);
}

// Wine hands list-box and combo-box rows across processes as UTF-16 only:
// ask for them as such and turn them back into code page 936.
std::string ansiOf(const WCHAR* wide)
{
    char text[1200] = {};
    WideCharToMultiByte(936, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

LRESULT sendToW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

std::vector<std::string> rowsOf(HWND dialog, int id, UINT getCount, UINT getText)
{
    std::vector<std::string> rows;
    HWND control = GetDlgItem(dialog, id);
    const LRESULT n = sendTo(control, getCount);
    for (LRESULT i = 0; i < n; ++i) {
        WCHAR text[600] = {};
        sendToW(control, getText, i, reinterpret_cast<LPARAM>(text));
        rows.push_back(ansiOf(text));
    }
    return rows;
}

std::vector<std::string> listRows(HWND dialog) { return rowsOf(dialog, kFileList, LB_GETCOUNT, LB_GETTEXT); }

int selectedRow(HWND dialog) { return static_cast<int>(sendItem(dialog, kFileList, LB_GETCURSEL)); }

std::vector<std::string> comboRows(HWND dialog) { return rowsOf(dialog, kInterval, CB_GETCOUNT, CB_GETLBTEXT); }

bool checked(HWND dialog, int id) { return sendItem(dialog, id, BM_GETCHECK) == BST_CHECKED; }

// A real click in the middle of a window.
void click(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    driver::xdotoolClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void clickItem(HWND dialog, int id) { click(GetDlgItem(dialog, id)); }

// A real click on a list-box row (scrolled into view first).
void clickRow(HWND dialog, int row)
{
    HWND list = GetDlgItem(dialog, kFileList);
    sendTo(list, LB_SETTOPINDEX, row);
    const int top = static_cast<int>(sendTo(list, LB_GETTOPINDEX));
    const int height = static_cast<int>(sendTo(list, LB_GETITEMHEIGHT, 0));
    POINT p = {20, (row - top) * height + height / 2};
    ClientToScreen(list, &p);
    driver::xdotoolClick(p.x, p.y);
}

// ------------------------------------------------------------ the program

std::string settingsLine(const driver::AppFolder& folder, const char* key)
{
    return iniValue(folder, "SETTINGS", key);
}

size_t wallpaperCount(const driver::AppFolder& folder) { return driver::wallpapersSet(folder).size(); }

bool waitWallpapers(const driver::AppFolder& folder, size_t count, DWORD timeoutMs = 10000)
{
    return driver::waitUntil([&] { return wallpaperCount(folder) >= count; }, timeoutMs);
}

HWND openSettings(const driver::Tavrel& app)
{
    app.command(kSettingsCommand);
    HWND dialog = driver::waitForWindow(app.pid(), kSettingsTitle, driver::kDialogClass);
    if (dialog)
        driver::waitUntil([&] { return IsWindowVisible(dialog) != FALSE; });
    Sleep(300);  // let the first paint finish before clicking
    return dialog;
}

// The file-open dialog that the add button opens.
HWND waitFileDialog(DWORD pid, HWND settings)
{
    HWND found = nullptr;
    driver::waitUntil([&] {
        for (HWND w : driver::windowsOf(pid, "", driver::kDialogClass))
            if (w != settings && IsWindowVisible(w))
                found = w;
        return found != nullptr;
    });
    return found;
}

BOOL CALLBACK findEdit(HWND child, LPARAM found)
{
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Edit") == 0 && IsWindowVisible(child)) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK dumpChild(HWND child, LPARAM)
{
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    printf("  child %p class %s id %d visible %d\n", static_cast<void*>(child), name, GetDlgCtrlID(child),
           IsWindowVisible(child));
    return TRUE;
}

// The file-name box: the one visible edit control of the dialog.
HWND fileNameEdit(HWND fileDialog)
{
    HWND edit = nullptr;
    driver::waitUntil([&] {
        EnumChildWindows(fileDialog, findEdit, reinterpret_cast<LPARAM>(&edit));
        return edit != nullptr;
    }, 5000);
    if (!edit)
        EnumChildWindows(fileDialog, dumpChild, 0);
    return edit;
}

// Types into the file-open dialog's name box and presses Enter.
void typeFileName(HWND fileDialog, const std::string& text)
{
    HWND edit = fileNameEdit(fileDialog);
    ASSERT_NE(nullptr, edit);
    click(edit);
    driver::xdotoolKey("ctrl+a BackSpace");
    driver::runUnix("/usr/bin/xdotool type --delay 5 '" + text + "'", 20000);
    driver::waitUntil([&] {
        char now[600] = {};
        sendTo(edit, WM_GETTEXT, sizeof now, reinterpret_cast<LPARAM>(now));
        return text == now;
    }, 5000);
    driver::xdotoolKey("Return");
}

void addThroughFileDialog(const driver::Tavrel& app, HWND dialog, const std::vector<std::string>& typed)
{
    clickItem(dialog, kAdd);
    HWND fileDialog = waitFileDialog(app.pid(), dialog);
    ASSERT_NE(nullptr, fileDialog);
    for (const std::string& text : typed) {
        typeFileName(fileDialog, text);
        Sleep(300);
    }
    EXPECT_TRUE(driver::waitGone(fileDialog));
}

void expectControlsReflect(HWND dialog, const Settings& s)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(s.showMode == i, checked(dialog, kTile + i)) << "style button " << i;
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(s.showOrder == i, checked(dialog, kSequential + i)) << "order button " << i;
    EXPECT_EQ(s.alteTime, sendItem(dialog, kInterval, CB_GETCURSEL));
    EXPECT_EQ(s.preview != 0, checked(dialog, kPreview));
    EXPECT_EQ(s.autoRun != 0, checked(dialog, kAutoRun));
}

void expectIniSettings(const driver::AppFolder& folder, const Settings& s)
{
    EXPECT_EQ(std::to_string(s.showMode), settingsLine(folder, "SHOWMODE"));
    EXPECT_EQ(std::to_string(s.showOrder), settingsLine(folder, "SHOWORDER"));
    EXPECT_EQ(std::to_string(s.alteTime), settingsLine(folder, "ALTETIME"));
    EXPECT_EQ(std::to_string(s.preview), settingsLine(folder, "PREVIEW"));
    EXPECT_EQ(std::to_string(s.autoRun), settingsLine(folder, "AUTORUN"));
}

std::vector<std::string> pick(const std::vector<std::string>& all, std::initializer_list<int> indexes)
{
    std::vector<std::string> out;
    for (int i : indexes)
        out.push_back(all[i]);
    return out;
}

// Five entries w1..w5 shown from w1; one more tick puts the cursor on w3.
void startOnThird(driver::AppFolder& folder, driver::Tavrel& app)
{
    ASSERT_TRUE(waitWallpapers(folder, 1));
    app.post(WM_TIMER, kRotationTimer, 0);
    ASSERT_TRUE(waitWallpapers(folder, 2));
}

// ------------------------------------------------------------ tests

TEST(SettingsDialog, ShowsTheListFromItsCursorAndCancelChangesNothing)
{
    driver::AppFolder folder("dialog");
    const std::vector<std::string> pics = makePictures(folder);
    const Settings initial = {2, 0, 7, 0, 0};
    folder.writeIni(iniText(initial, pick(pics, {0, 1, 2, 3, 4})));
    setRunValue("marker");
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    startOnThird(folder, app);

    HWND dialog = openSettings(app);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(pick(pics, {2, 3, 4, 0, 1}), listRows(dialog));
    EXPECT_EQ(0, selectedRow(dialog));
    EXPECT_EQ(std::vector<std::string>(kIntervalLabels, kIntervalLabels + 20), comboRows(dialog));
    expectControlsReflect(dialog, initial);

    // Edit everything, then cancel.
    clickItem(dialog, kRemove);
    ASSERT_TRUE(driver::waitUntil([&] { return listRows(dialog).size() == 4; }));
    clickItem(dialog, kTile);
    clickItem(dialog, kSequential + 1);
    clickItem(dialog, kAutoRun);
    clickItem(dialog, kPreview);
    ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, kPreview); }));
    clickItem(dialog, IDCANCEL);
    ASSERT_TRUE(driver::waitGone(dialog));
    Sleep(500);
    EXPECT_EQ(2u, wallpaperCount(folder));
    EXPECT_EQ("marker", runValue());

    dialog = openSettings(app);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(pick(pics, {2, 3, 4, 0, 1}), listRows(dialog));
    expectControlsReflect(dialog, initial);
    driver::xdotoolKey("Escape");
    ASSERT_TRUE(driver::waitGone(dialog));

    ASSERT_TRUE(app.exit().has_value());
    expectIniSettings(folder, initial);
    EXPECT_EQ(pick(pics, {2, 3, 4, 0, 1}), iniFileList(folder));
    EXPECT_EQ("marker", runValue());
    deleteRunValue();
}

TEST(SettingsDialog, OkAfterEditsRebuildsTheListAndChangesTheWallpaperAtOnce)
{
    driver::AppFolder folder("dialog");
    const std::vector<std::string> pics = makePictures(folder);
    folder.writeIni(iniText({1, 0, 12, 1, 0}, pick(pics, {0, 1, 2, 3, 4})));
    deleteRunValue();
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    startOnThird(folder, app);

    HWND dialog = openSettings(app);
    ASSERT_NE(nullptr, dialog);

    // One file, typed as a full path.
    addThroughFileDialog(app, dialog, {pics[5]});
    EXPECT_EQ(pick(pics, {2, 3, 4, 0, 1, 5}), listRows(dialog));
    EXPECT_EQ(0, selectedRow(dialog));  // the selection stays

    // Three files in one selection, after changing to their folder.
    addThroughFileDialog(app, dialog, {folder.path() + "\\pics", "\"a.bmp\" \"b.jpg\" \"c.gif\""});
    EXPECT_EQ(pick(pics, {2, 3, 4, 0, 1, 5, 6, 7, 8}), listRows(dialog));

    // Remove the last row: the new last is selected.
    clickRow(dialog, 8);
    ASSERT_TRUE(driver::waitUntil([&] { return selectedRow(dialog) == 8; }));
    clickItem(dialog, kRemove);
    ASSERT_TRUE(driver::waitUntil([&] { return listRows(dialog).size() == 8; }));
    EXPECT_EQ(7, selectedRow(dialog));

    // Remove a middle row: the row that moved up is selected.
    clickRow(dialog, 2);
    ASSERT_TRUE(driver::waitUntil([&] { return selectedRow(dialog) == 2; }));
    clickItem(dialog, kRemove);
    ASSERT_TRUE(driver::waitUntil([&] { return listRows(dialog).size() == 7; }));
    EXPECT_EQ(2, selectedRow(dialog));
    const std::vector<std::string> rows = pick(pics, {2, 3, 0, 1, 5, 6, 7});
    EXPECT_EQ(rows, listRows(dialog));

    // Stretch, at random, 10 minutes, start with Windows.
    clickItem(dialog, kTile + 2);
    clickItem(dialog, kSequential + 1);
    clickItem(dialog, kAutoRun);
    clickItem(dialog, kInterval);
    Sleep(300);
    driver::xdotoolKey("Home Down Down Down Down Down Down Down Down Return");
    ASSERT_TRUE(driver::waitUntil([&] { return sendItem(dialog, kInterval, CB_GETCURSEL) == 8; }));
    ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, kAutoRun); }));

    const std::vector<std::string> before = driver::standinCalls(folder);
    clickItem(dialog, IDOK);
    ASSERT_TRUE(driver::waitGone(dialog));
    // At once, in the style and order in force before: centre (dwStyle 0),
    // in sequence from the first row.
    ASSERT_TRUE(waitWallpapers(folder, 3, 5000));
    EXPECT_EQ(pics[2], driver::wallpapersSet(folder).back());
    const std::vector<std::string> after = driver::standinCalls(folder);
    bool centred = false;
    for (size_t i = before.size(); i < after.size(); ++i)
        centred = centred || after[i] == "SetWallpaperOptions dwSize=8 dwStyle=0 reserved=0";
    EXPECT_TRUE(centred);
    const std::string run = runValue();
    EXPECT_NE(std::string::npos, run.find("Tavrel.exe")) << run;

    ASSERT_TRUE(app.exit().has_value());
    expectIniSettings(folder, {2, 1, 8, 1, 1});
    // The rebuilt list, from the entry after the one just shown.
    EXPECT_EQ(pick(pics, {3, 0, 1, 5, 6, 7, 2}), iniFileList(folder));
    deleteRunValue();
}

TEST(SettingsDialog, OkWithoutEditsChangesNothingAtOnceAndWritesTheRunValueEveryTime)
{
    driver::AppFolder folder("dialog");
    const std::vector<std::string> pics = makePictures(folder);
    const Settings initial = {0, 1, 19, 1, 1};
    folder.writeIni(iniText(initial, pick(pics, {0})));
    setRunValue("marker");
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    ASSERT_TRUE(waitWallpapers(folder, 1));

    HWND dialog = openSettings(app);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(pick(pics, {0}), listRows(dialog));
    expectControlsReflect(dialog, initial);
    clickItem(dialog, IDOK);
    ASSERT_TRUE(driver::waitGone(dialog));
    Sleep(700);
    EXPECT_EQ(1u, wallpaperCount(folder));
    EXPECT_NE(std::string::npos, runValue().find("Tavrel.exe"));  // checked box, untouched: written

    // Unchecked: deleted.
    dialog = openSettings(app);
    ASSERT_NE(nullptr, dialog);
    clickItem(dialog, kAutoRun);
    ASSERT_TRUE(driver::waitUntil([&] { return !checked(dialog, kAutoRun); }));
    clickItem(dialog, IDOK);
    ASSERT_TRUE(driver::waitGone(dialog));
    EXPECT_TRUE(driver::waitUntil([&] { return runValue() == "<none>"; }, 3000));

    // Removing the only row leaves the box empty, and OK an empty list.
    dialog = openSettings(app);
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(checked(dialog, kAutoRun));
    clickItem(dialog, kRemove);
    ASSERT_TRUE(driver::waitUntil([&] { return listRows(dialog).empty(); }));
    EXPECT_EQ(LB_ERR, selectedRow(dialog));
    clickItem(dialog, IDOK);
    ASSERT_TRUE(driver::waitGone(dialog));
    Sleep(500);
    EXPECT_EQ(1u, wallpaperCount(folder));  // nothing left to show

    ASSERT_TRUE(app.exit().has_value());
    expectIniSettings(folder, {0, 1, 19, 1, 0});
    EXPECT_TRUE(iniFileList(folder).empty());
    EXPECT_EQ("<none>", runValue());
}

TEST(SettingsDialog, TimerWaitsWhileOpenAndAFullIntervalAfterClosing)
{
    driver::AppFolder folder("dialog");
    const std::vector<std::string> pics = makePictures(folder);
    folder.writeIni(iniText({1, 0, 0, 1, 0}, pick(pics, {0, 1, 2})));  // 5 seconds
    deleteRunValue();
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    ASSERT_TRUE(waitWallpapers(folder, 1));

    HWND dialog = openSettings(app);
    ASSERT_NE(nullptr, dialog);
    const size_t shown = wallpaperCount(folder);
    Sleep(7000);
    EXPECT_EQ(shown, wallpaperCount(folder)) << "changed while the dialog was open";

    clickItem(dialog, IDCANCEL);
    ASSERT_TRUE(driver::waitGone(dialog));
    const ULONGLONG closed = GetTickCount64();
    ASSERT_TRUE(waitWallpapers(folder, shown + 1, 12000));
    const ULONGLONG waited = GetTickCount64() - closed;
    EXPECT_GE(waited, 4500u);
    EXPECT_LE(waited, 8000u);
    deleteRunValue();
}

// The preview as the user sees it: a 640 x 480 picture, left half pink and
// right half green, in each style. Area coordinates, 152 x 114.
TEST(SettingsDialog, PreviewShowsThePictureWhereTheArithmeticSays)
{
    driver::AppFolder folder("dialog");
    const COLORREF left = RGB(230, 40, 170);
    const COLORREF right = RGB(40, 200, 90);
    const std::string picture = folder.path() + "\\picture-640x480.bmp";
    driver::writeFileBytes(picture, bmpBytes(640, 480, left, right));
    folder.writeIni(iniText({1, 0, 12, 1, 0}, {picture}));
    deleteRunValue();
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    HWND dialog = openSettings(app);
    ASSERT_NE(nullptr, dialog);

    enum Expect { kBlack, kLeft, kRight };
    struct Point {
        int x, y;
        Expect colour;
    };
    struct Row {
        const char* name;
        int button;
        std::vector<Point> points;
    };
    // Centre: the picture covers 28..122 x 21..91, split at 28 + 47.
    // Tile: tiles 95 x 71 from the corner, each split in the middle.
    const Row rows[] = {
        {"centre", kTile + 1,
         {{28, 21, kLeft}, {74, 50, kLeft}, {77, 50, kRight}, {122, 91, kRight}, {27, 50, kBlack},
          {123, 50, kBlack}, {60, 20, kBlack}, {60, 92, kBlack}, {10, 10, kBlack}, {140, 104, kBlack}}},
        {"stretch", kTile + 2,
         {{3, 3, kLeft}, {74, 57, kLeft}, {78, 57, kRight}, {148, 110, kRight}}},
        {"tile", kTile,
         {{3, 3, kLeft}, {46, 40, kLeft}, {49, 40, kRight}, {93, 40, kRight}, {96, 40, kLeft},
          {141, 40, kLeft}, {144, 40, kRight}, {148, 40, kRight}, {20, 75, kLeft}, {70, 110, kRight},
          {110, 110, kLeft}}},
    };
    RECT area = {};
    GetWindowRect(GetDlgItem(dialog, kPreviewArea), &area);
    ASSERT_EQ(152, area.right - area.left);
    ASSERT_EQ(114, area.bottom - area.top);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        clickItem(dialog, row.button);
        ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, row.button); }));
        Sleep(500);
        const driver::Screenshot shot = driver::captureScreen();
        shot.save(std::string("settings-dialog-") + row.name);
        for (const Point& p : row.points) {
            const uint32_t pixel = shot.at(area.left + p.x, area.top + p.y);
            const COLORREF want = p.colour == kLeft ? left : p.colour == kRight ? right : RGB(0, 0, 0);
            EXPECT_EQ(GetRValue(want), driver::red(pixel)) << "at " << p.x << "," << p.y;
            EXPECT_EQ(GetGValue(want), driver::green(pixel)) << "at " << p.x << "," << p.y;
            EXPECT_EQ(GetBValue(want), driver::blue(pixel)) << "at " << p.x << "," << p.y;
        }
    }
    clickItem(dialog, IDCANCEL);
    EXPECT_TRUE(driver::waitGone(dialog));
}


}  // namespace
