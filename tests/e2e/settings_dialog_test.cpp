// The settings dialog of the real program, driven from outside as a user
// would: opened from the tray command, read through its controls, clicked.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "driver.h"
#include "test_files.h"

namespace {

constexpr WORD kSettingsCommand = 32771;
constexpr UINT kRotationTimer = 1000;
const char kSettingsTitle[] = "\xC9\xE8\xD6\xC3";  // 设置
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Control ids of dialog 132.
constexpr int kFileList = 1000, kPreview = 1004, kAdd = 1007, kRemove = 1008, kInterval = 1010, kTile = 1011,
              kCentre = 1012, kStretch = 1013, kSequential = 1014, kRandom = 1015, kAutoRun = 1016,
              kPreviewArea = 1018;

const char* const kIntervalLabels[20] = {
    "5\xC3\xEB",          "15\xC3\xEB",         "30\xC3\xEB",         "45\xC3\xEB",
    "1\xB7\xD6\xD6\xD3",  "2\xB7\xD6\xD6\xD3",  "3\xB7\xD6\xD6\xD3",  "5\xB7\xD6\xD6\xD3",
    "10\xB7\xD6\xD6\xD3", "15\xB7\xD6\xD6\xD3", "20\xB7\xD6\xD6\xD3", "25\xB7\xD6\xD6\xD3",
    "30\xB7\xD6\xD6\xD3", "45\xB7\xD6\xD6\xD3", "1\xD0\xA1\xCA\xB1",  "2\xD0\xA1\xCA\xB1",
    "3\xD0\xA1\xCA\xB1",  "5\xD0\xA1\xCA\xB1",  "8\xD0\xA1\xCA\xB1",  "12\xD0\xA1\xCA\xB1",
};

using Strings = std::vector<std::string>;

struct Settings {
    int showMode, showOrder, alteTime, preview, autoRun;
};

const char* const kSettingKeys[] = {"SHOWMODE", "SHOWORDER", "ALTETIME", "PREVIEW", "AUTORUN"};

std::string settingsLines(const Settings& s, const char* end = " ")
{
    const int values[] = {s.showMode, s.showOrder, s.alteTime, s.preview, s.autoRun};
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += std::string(kSettingKeys[i]) + "=" + std::to_string(values[i]) + end;
    return text;
}

std::string iniText(const Settings& s, const Strings& files)
{
    std::string text = "[SETTINGS]\r\n" + settingsLines(s, "\r\n") + "[FILELIST]\r\n";
    for (size_t i = 0; i < files.size(); ++i)
        text += std::to_string(i) + "=" + files[i] + "\r\n";
    return text;
}

std::string iniValue(const driver::AppFolder& folder, const char* section, const std::string& key)
{
    char value[512] = {};
    GetPrivateProfileStringA(section, key.c_str(), "<none>", value, sizeof value, folder.ini().c_str());
    return value;
}

// The [SETTINGS] lines as settingsLines() writes them, to compare in one go.
std::string iniSettings(const driver::AppFolder& folder)
{
    std::string text;
    for (const char* key : kSettingKeys)
        text += std::string(key) + "=" + iniValue(folder, "SETTINGS", key) + " ";
    return text;
}

Strings iniFileList(const driver::AppFolder& folder)
{
    Strings files;
    for (std::string v; (v = iniValue(folder, "FILELIST", std::to_string(files.size()))) != "<none>" && !v.empty();)
        files.push_back(v);
    return files;
}

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
    RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, "Tavrel", REG_SZ, text, lstrlenA(text) + 1);
}
void deleteRunValue() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Tavrel"); }

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
Strings rowsOf(HWND dialog, int id, UINT getCount, UINT getText)
{
    Strings rows;
    const LRESULT n = sendItem(dialog, id, getCount);
    for (LRESULT i = 0; i < n; ++i) {
        WCHAR wide[600] = {};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(GetDlgItem(dialog, id), getText, i, reinterpret_cast<LPARAM>(wide), SMTO_NORMAL,
                            5000, &ignored);
        char text[1200] = {};
        WideCharToMultiByte(936, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        rows.push_back(text);
    }
    return rows;
}

Strings listRows(HWND dialog) { return rowsOf(dialog, kFileList, LB_GETCOUNT, LB_GETTEXT); }
int selectedRow(HWND dialog) { return static_cast<int>(sendItem(dialog, kFileList, LB_GETCURSEL)); }
bool checked(HWND dialog, int id) { return sendItem(dialog, id, BM_GETCHECK) == BST_CHECKED; }

// A real click in the middle of a window.
void click(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    driver::xdotoolClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void clickItem(HWND dialog, int id) { click(GetDlgItem(dialog, id)); }

// A real click on a list-box row (scrolled into view first), then Remove.
void removeRow(HWND dialog, int row)
{
    HWND list = GetDlgItem(dialog, kFileList);
    sendTo(list, LB_SETTOPINDEX, row);
    const int height = static_cast<int>(sendTo(list, LB_GETITEMHEIGHT, 0));
    POINT p = {20, (row - static_cast<int>(sendTo(list, LB_GETTOPINDEX))) * height + height / 2};
    ClientToScreen(list, &p);
    driver::xdotoolClick(p.x, p.y);
    ASSERT_TRUE(driver::waitUntil([&] { return selectedRow(dialog) == row; }));
    const size_t count = listRows(dialog).size();
    clickItem(dialog, kRemove);
    ASSERT_TRUE(driver::waitUntil([&] { return listRows(dialog).size() == count - 1; }));
}

// Clicks the button and waits for the dialog to close.
bool closeWith(HWND dialog, int id)
{
    clickItem(dialog, id);
    return driver::waitGone(dialog);
}

BOOL CALLBACK findEdit(HWND child, LPARAM found)
{
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Edit") != 0 || !IsWindowVisible(child))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
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

// A folder "pics" with pictures w1..w5, one, a, b, c; the program, started on them.
class SettingsDialog : public ::testing::Test {
protected:
    SettingsDialog()
    {
        const std::string dir = folder.path() + "\\pics\\";
        CreateDirectoryA(dir.c_str(), nullptr);
        for (const char* name : {"w1.bmp", "w2.bmp", "w3.bmp", "w4.bmp", "w5.bmp", "one.bmp", "a.bmp", "b.jpg",
                                 "c.gif"}) {
            const int k = static_cast<int>(pics.size());
            pics.push_back(dir + name);
            driver::writeFileBytes(pics.back(),
                                   bmpBytes(64, 48, RGB(20 * k, 100, 200 - 20 * k), RGB(250, 20 * k, 0)));
        }
    }
    void TearDown() override { deleteRunValue(); }

    // Starts the program; `run` is the Run value it finds (none when null).
    void start(const Settings& s, const Strings& files, const char* run = nullptr, const char* locale = "")
    {
        folder.writeIni(iniText(s, files));
        run ? setRunValue(run) : deleteRunValue();
        app.emplace(folder, 15000, locale);
        ASSERT_NE(nullptr, app->window());
        ASSERT_TRUE(waitWallpapers(1));
    }

    // w1..w5 shown from w1; one more tick puts the cursor on w3.
    void startOnThird(const Settings& s, const char* run = nullptr)
    {
        start(s, pick({0, 1, 2, 3, 4}), run);
        app->post(WM_TIMER, kRotationTimer, 0);
        ASSERT_TRUE(waitWallpapers(2));
    }

    // Found by its title; by its class alone (`title` "") where the title
    // cannot be read in code page 936.
    HWND openSettings(const char* title = kSettingsTitle)
    {
        app->command(kSettingsCommand);
        HWND dialog = driver::waitForWindow(app->pid(), title, driver::kDialogClass);
        if (dialog)
            driver::waitUntil([&] { return IsWindowVisible(dialog) != FALSE; });
        Sleep(300);  // let the first paint finish before clicking
        return dialog;
    }

    // Types each text into the file-open dialog's name box and presses Enter.
    void addThroughFileDialog(HWND dialog, const Strings& typed)
    {
        clickItem(dialog, kAdd);
        HWND fileDialog = nullptr;  // the program's other visible dialog
        ASSERT_TRUE(driver::waitUntil([&] {
            for (HWND w : driver::windowsOf(app->pid(), "", driver::kDialogClass))
                if (w != dialog && IsWindowVisible(w))
                    fileDialog = w;
            return fileDialog != nullptr;
        }));
        HWND edit = nullptr;  // the name box: the one visible edit control
        ASSERT_TRUE(driver::waitUntil([&] {
            EnumChildWindows(fileDialog, findEdit, reinterpret_cast<LPARAM>(&edit));
            return edit != nullptr;
        }));
        for (const std::string& text : typed) {
            click(edit);
            driver::xdotoolKey("ctrl+a BackSpace");
            driver::runUnix("/usr/bin/xdotool type --delay 5 '" + text + "'", 20000);
            driver::waitUntil([&] {
                char now[600] = {};
                sendTo(edit, WM_GETTEXT, sizeof now, reinterpret_cast<LPARAM>(now));
                return text == now;
            }, 5000);
            driver::xdotoolKey("Return");
            Sleep(300);
        }
        EXPECT_TRUE(driver::waitGone(fileDialog));
    }

    size_t wallpaperCount() const { return driver::wallpapersSet(folder).size(); }
    bool waitWallpapers(size_t count, DWORD timeoutMs = 10000) const
    {
        return driver::waitUntil([&] { return wallpaperCount() >= count; }, timeoutMs);
    }

    Strings pick(std::initializer_list<int> indexes) const
    {
        Strings out;
        for (int i : indexes)
            out.push_back(pics[i]);
        return out;
    }

    driver::AppFolder folder{"dialog"};
    Strings pics;
    std::optional<driver::Tavrel> app;  // ends before the folder goes
};

TEST_F(SettingsDialog, ShowsTheListFromItsCursorAndCancelChangesNothing)
{
    const Settings initial = {2, 0, 7, 0, 0};
    startOnThird(initial, "marker");

    HWND dialog = nullptr;
    ASSERT_TRUE(dialog = openSettings());
    EXPECT_EQ(pick({2, 3, 4, 0, 1}), listRows(dialog));
    EXPECT_EQ(0, selectedRow(dialog));
    expectControlsReflect(dialog, initial);

    // Edit everything, then cancel.
    clickItem(dialog, kRemove);
    ASSERT_TRUE(driver::waitUntil([&] { return listRows(dialog).size() == 4; }));
    for (int id : {kTile, kRandom, kAutoRun, kPreview})
        clickItem(dialog, id);
    ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, kPreview); }));
    ASSERT_TRUE(closeWith(dialog, IDCANCEL));

    ASSERT_TRUE(dialog = openSettings());
    EXPECT_EQ(pick({2, 3, 4, 0, 1}), listRows(dialog));
    expectControlsReflect(dialog, initial);
    driver::xdotoolKey("Escape");
    ASSERT_TRUE(driver::waitGone(dialog));
    EXPECT_EQ(2u, wallpaperCount());
    EXPECT_EQ("marker", runValue());

    ASSERT_TRUE(app->exit().has_value());
    EXPECT_EQ(settingsLines(initial), iniSettings(folder));
    EXPECT_EQ(pick({2, 3, 4, 0, 1}), iniFileList(folder));
    EXPECT_EQ("marker", runValue());
}

// A Chinese speaker on a Windows whose ANSI code page is not 936 (here the
// program runs under an English locale) still reads the twenty labels.
TEST_F(SettingsDialog, IntervalLabelsReadRightUnderAnotherCodePage)
{
    start({1, 0, 12, 1, 0}, pick({0}), nullptr, "C.UTF-8");
    HWND dialog = nullptr;
    ASSERT_TRUE(dialog = openSettings(""));
    EXPECT_EQ(Strings(kIntervalLabels, kIntervalLabels + 20), rowsOf(dialog, kInterval, CB_GETCOUNT, CB_GETLBTEXT));
    ASSERT_TRUE(closeWith(dialog, IDCANCEL));
}

TEST_F(SettingsDialog, OkAfterEditsRebuildsTheListAndChangesTheWallpaperAtOnce)
{
    startOnThird({1, 0, 12, 1, 0});
    HWND dialog = nullptr;
    ASSERT_TRUE(dialog = openSettings());

    addThroughFileDialog(dialog, {pics[5]});  // one file, as a full path
    EXPECT_EQ(pick({2, 3, 4, 0, 1, 5}), listRows(dialog));
    EXPECT_EQ(0, selectedRow(dialog));  // the selection stays
    addThroughFileDialog(dialog, {folder.path() + "\\pics", "\"a.bmp\" \"b.jpg\" \"c.gif\""});
    EXPECT_EQ(pick({2, 3, 4, 0, 1, 5, 6, 7, 8}), listRows(dialog));
    EXPECT_EQ(folder.path(), app->currentDirectory()) << "the folder browsed is not left in use";

    removeRow(dialog, 8);  // the last: the new last is selected
    EXPECT_EQ(7, selectedRow(dialog));
    removeRow(dialog, 2);  // a middle one: the row that moved up is selected
    EXPECT_EQ(2, selectedRow(dialog));
    EXPECT_EQ(pick({2, 3, 0, 1, 5, 6, 7}), listRows(dialog));

    // Stretch, at random, 10 minutes, start with Windows.
    for (int id : {kStretch, kRandom, kAutoRun, kInterval})
        clickItem(dialog, id);
    Sleep(300);
    driver::xdotoolKey("Home Down Down Down Down Down Down Down Down Return");
    ASSERT_TRUE(driver::waitUntil([&] { return sendItem(dialog, kInterval, CB_GETCURSEL) == 8; }));
    ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, kAutoRun); }));

    const size_t logged = driver::standinCalls(folder).size();
    ASSERT_TRUE(closeWith(dialog, IDOK));
    // At once, in the style and order in force before: centre (dwStyle 0), the first row.
    ASSERT_TRUE(waitWallpapers(3, 5000));
    EXPECT_EQ(pics[2], driver::wallpapersSet(folder).back());
    const Strings calls = driver::standinCalls(folder);
    EXPECT_NE(calls.end(), std::find(calls.begin() + logged, calls.end(),
                                     "SetWallpaperOptions dwSize=8 dwStyle=0 reserved=0"));
    EXPECT_NE(std::string::npos, runValue().find("Tavrel.exe")) << runValue();

    ASSERT_TRUE(app->exit().has_value());
    EXPECT_EQ(settingsLines({2, 1, 8, 1, 1}), iniSettings(folder));
    // The rebuilt list, from the entry after the one just shown.
    EXPECT_EQ(pick({3, 0, 1, 5, 6, 7, 2}), iniFileList(folder));
}

TEST_F(SettingsDialog, OkWithoutEditsChangesNothingAtOnceAndWritesTheRunValueEveryTime)
{
    const Settings initial = {0, 1, 19, 1, 1};
    start(initial, pick({0}), "marker");
    HWND dialog = nullptr;
    ASSERT_TRUE(dialog = openSettings());
    EXPECT_EQ(pick({0}), listRows(dialog));
    expectControlsReflect(dialog, initial);
    ASSERT_TRUE(closeWith(dialog, IDOK));
    // The box checked and untouched: written.
    EXPECT_TRUE(driver::waitUntil([&] { return runValue().find("Tavrel.exe") != std::string::npos; }, 3000));

    ASSERT_TRUE(dialog = openSettings());  // unchecked: deleted
    clickItem(dialog, kAutoRun);
    ASSERT_TRUE(driver::waitUntil([&] { return !checked(dialog, kAutoRun); }));
    ASSERT_TRUE(closeWith(dialog, IDOK));
    EXPECT_TRUE(driver::waitUntil([&] { return runValue() == "<none>"; }, 3000));

    // Removing the only row leaves the box empty, and OK an empty list.
    ASSERT_TRUE(dialog = openSettings());
    EXPECT_FALSE(checked(dialog, kAutoRun));
    clickItem(dialog, kRemove);
    ASSERT_TRUE(driver::waitUntil([&] { return listRows(dialog).empty(); }));
    EXPECT_EQ(LB_ERR, selectedRow(dialog));
    ASSERT_TRUE(closeWith(dialog, IDOK));
    Sleep(500);
    EXPECT_EQ(1u, wallpaperCount());  // no change at any OK

    ASSERT_TRUE(app->exit().has_value());
    EXPECT_EQ(settingsLines({0, 1, 19, 1, 0}), iniSettings(folder));
    EXPECT_TRUE(iniFileList(folder).empty());
    EXPECT_EQ("<none>", runValue());
}

// Every 5 seconds (ALTETIME=0): nothing while the dialog is open, a full
// interval after it closes.
TEST_F(SettingsDialog, TimerWaitsWhileOpenAndAFullIntervalAfterClosing)
{
    start({1, 0, 0, 1, 0}, pick({0, 1, 2}));
    HWND dialog = nullptr;
    ASSERT_TRUE(dialog = openSettings());
    const size_t shown = wallpaperCount();
    Sleep(7000);
    EXPECT_EQ(shown, wallpaperCount()) << "changed while the dialog was open";

    ASSERT_TRUE(closeWith(dialog, IDCANCEL));
    const ULONGLONG closed = GetTickCount64();
    ASSERT_TRUE(waitWallpapers(shown + 1, 12000));
    const ULONGLONG waited = GetTickCount64() - closed;
    EXPECT_GE(waited, 4500u);
    EXPECT_LE(waited, 8000u);
}

// A 640 x 480 picture, left half pink and right half green, in each style;
// points in area coordinates (152 x 114).
TEST_F(SettingsDialog, PreviewShowsThePictureWhereTheArithmeticSays)
{
    const COLORREF left = RGB(230, 40, 170), right = RGB(40, 200, 90), black = RGB(0, 0, 0);
    const std::string picture = folder.path() + "\\picture-640x480.bmp";
    driver::writeFileBytes(picture, bmpBytes(640, 480, left, right));
    start({1, 0, 12, 1, 0}, {picture});
    HWND dialog = nullptr;
    ASSERT_TRUE(dialog = openSettings());
    const struct {
        const char* name;
        int button;
        std::vector<std::pair<POINT, COLORREF>> points;
    } rows[] = {
        // The picture covers 28..122 x 21..91, split at 28 + 47.
        {"centre", kCentre,
         {{{28, 21}, left}, {{74, 50}, left}, {{77, 50}, right}, {{122, 91}, right}, {{27, 50}, black},
          {{123, 50}, black}, {{60, 20}, black}, {{60, 92}, black}, {{10, 10}, black}, {{140, 104}, black}}},
        {"stretch", kStretch, {{{3, 3}, left}, {{74, 57}, left}, {{78, 57}, right}, {{148, 110}, right}}},
        // Tiles 95 x 71 from the corner, each split in the middle.
        {"tile", kTile,
         {{{3, 3}, left}, {{46, 40}, left}, {{49, 40}, right}, {{93, 40}, right}, {{96, 40}, left},
          {{141, 40}, left}, {{144, 40}, right}, {{148, 40}, right}, {{20, 75}, left}, {{70, 110}, right},
          {{110, 110}, left}}},
    };
    RECT area = {};
    GetWindowRect(GetDlgItem(dialog, kPreviewArea), &area);
    ASSERT_EQ(152, area.right - area.left);
    ASSERT_EQ(114, area.bottom - area.top);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        clickItem(dialog, row.button);
        ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, row.button); }));
        Sleep(500);
        const driver::Screenshot shot = driver::captureScreen();
        shot.save(std::string("settings-dialog-") + row.name);
        for (const auto& [p, want] : row.points) {
            const uint32_t pixel = shot.at(area.left + p.x, area.top + p.y);
            EXPECT_EQ(want, RGB(driver::red(pixel), driver::green(pixel), driver::blue(pixel)))
                << "at " << p.x << "," << p.y;
        }
    }
    EXPECT_TRUE(closeWith(dialog, IDCANCEL));
}

}  // namespace
