// The settings dialog of the real program, driven from outside as a user
// would: opened from the tray command, read through its controls, clicked.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "driver.h"

namespace {

using Strings = std::vector<std::string>;
const char kSettingsTitle[] = "\xC9\xE8\xD6\xC3";  // 设置
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// Control ids of dialog 132.
constexpr int kFileList = 1000, kPreview = 1004, kAdd = 1007, kRemove = 1008, kInterval = 1010, kTile = 1011,
              kCentre = 1012, kStretch = 1013, kSequential = 1014, kRandom = 1015, kAutoRun = 1016, kArea = 1018,
              kMonitor = 1019;

struct Settings {
    int showMode, showOrder, alteTime, preview, autoRun;
};

std::string runValue()
{
    char value[600] = {};
    DWORD size = sizeof value;
    return RegGetValueA(HKEY_CURRENT_USER, kRunKey, "Tavrel", RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS
               ? value
               : "<none>";
}

// A 24-bit BMP whose left half is `left` and right half `right`.
std::string bmpBytes(int width, int height, COLORREF left, COLORREF right)
{
    const int stride = (width * 3 + 3) & ~3;
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file = {0x4D42, offset + stride * height, 0, 0, offset};
    const BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
        const COLORREF c = x < width / 2 ? left : right;
        row[x * 3] = static_cast<char>(GetBValue(c));
        row[x * 3 + 1] = static_cast<char>(GetGValue(c));
        row[x * 3 + 2] = static_cast<char>(GetRValue(c));
    }
    std::string bytes = std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                        std::string(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = 0; y < height; ++y)
        bytes += row;
    return bytes;
}

LRESULT sendItem(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), message, wParam, lParam, SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

// Wine hands list-box and combo-box rows across processes as UTF-16 only:
// ask for them as such and turn them back into code page 936.
Strings rowsOf(HWND dialog, int id, UINT getCount, UINT getText)
{
    Strings rows;
    for (LRESULT i = 0, n = sendItem(dialog, id, getCount); i < n; ++i) {
        WCHAR wide[600] = {};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(GetDlgItem(dialog, id), getText, i, reinterpret_cast<LPARAM>(wide), SMTO_NORMAL, 5000,
                            &ignored);
        char text[1200] = {};
        WideCharToMultiByte(936, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        rows.push_back(text);
    }
    return rows;
}

Strings listRows(HWND dialog) { return rowsOf(dialog, kFileList, LB_GETCOUNT, LB_GETTEXT); }
int selectedRow(HWND dialog) { return static_cast<int>(sendItem(dialog, kFileList, LB_GETCURSEL)); }
bool checked(HWND dialog, int id) { return sendItem(dialog, id, BM_GETCHECK) == BST_CHECKED; }

void click(HWND window)  // a real click in its middle
{
    RECT r = {};
    GetWindowRect(window, &r);
    driver::xdotoolClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void clickItem(HWND dialog, int id) { click(GetDlgItem(dialog, id)); }

bool closeWith(HWND dialog, int id)
{
    clickItem(dialog, id);
    return driver::waitGone(dialog);
}

// A real click on a list-box row (scrolled into view first), then Remove.
void removeRow(HWND dialog, int row)
{
    HWND list = GetDlgItem(dialog, kFileList);
    sendItem(dialog, kFileList, LB_SETTOPINDEX, row);
    const int height = static_cast<int>(sendItem(dialog, kFileList, LB_GETITEMHEIGHT, 0));
    POINT p = {20, (row - static_cast<int>(sendItem(dialog, kFileList, LB_GETTOPINDEX))) * height + height / 2};
    ClientToScreen(list, &p);
    driver::xdotoolClick(p.x, p.y);
    ASSERT_TRUE(driver::waitUntil([&] { return selectedRow(dialog) == row; }));
    const size_t count = listRows(dialog).size();
    clickItem(dialog, kRemove);
    ASSERT_TRUE(driver::waitUntil([&] { return listRows(dialog).size() == count - 1; }));
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
        CreateDirectoryA((folder.path() + "\\pics").c_str(), nullptr);
        for (const char* name : {"w1.bmp", "w2.bmp", "w3.bmp", "w4.bmp", "w5.bmp", "one.bmp", "a.bmp", "b.jpg", "c.gif"}) {
            pics.push_back(folder.path() + "\\pics\\" + name);
            driver::writeFileBytes(pics.back(), bmpBytes(64, 48, RGB(20 * static_cast<int>(pics.size()), 100, 0), RGB(250, 0, 0)));
        }
    }
    void TearDown() override { RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Tavrel"); }

    // Starts the program; `run` is the Run value it finds (none when null).
    void start(const Settings& s, const Strings& files, const char* run = nullptr, const char* locale = "")
    {
        folder.writeIni(driver::iniText(s.showMode, s.showOrder, s.alteTime, s.preview, s.autoRun, files));
        TearDown();
        if (run)
            RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, "Tavrel", REG_SZ, run, lstrlenA(run) + 1);
        app.emplace(folder, 15000, locale);
        ASSERT_NE(nullptr, app->window());
        ASSERT_TRUE(waitWallpapers(1));
    }

    // w1..w5 shown from w1; one more tick puts the cursor on w3.
    void startOnThird(const Settings& s, const char* run = nullptr)
    {
        start(s, pick({0, 1, 2, 3, 4}), run);
        app->post(WM_TIMER, 1000, 0);
        ASSERT_TRUE(waitWallpapers(2));
    }

    // By its class alone (`title` null) where the title cannot be read in code page 936.
    HWND openSettings(const char* title = kSettingsTitle)
    {
        app->command(32771);
        HWND dialog = driver::waitShown(app->pid(), driver::kDialogClass, title);
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
                fileDialog = w != dialog && IsWindowVisible(w) ? w : fileDialog;
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
                DWORD_PTR ignored = 0;
                SendMessageTimeoutA(edit, WM_GETTEXT, sizeof now, reinterpret_cast<LPARAM>(now), SMTO_NORMAL, 5000, &ignored);
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
        return driver::waitWallpapers(folder, count, timeoutMs);
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

// A Chinese speaker on a Windows whose ANSI code page is not 936 (here the
// program runs under an English locale) still reads the labels.
TEST_F(SettingsDialog, IntervalLabelsReadRightUnderAnotherCodePage)
{
    start({1, 0, 12, 1, 0}, pick({0}), nullptr, "C.UTF-8");
    HWND dialog = nullptr;
    ASSERT_TRUE(dialog = openSettings(nullptr));
    const Strings labels = rowsOf(dialog, kInterval, CB_GETCOUNT, CB_GETLBTEXT);
    ASSERT_EQ(20u, labels.size());
    EXPECT_EQ("5\xC3\xEB", labels[0]);            // 5秒
    EXPECT_EQ("1\xB7\xD6\xD6\xD3", labels[4]);     // 1分钟
    EXPECT_EQ("12\xD0\xA1\xCA\xB1", labels[19]);   // 12小时
    ASSERT_TRUE(closeWith(dialog, IDCANCEL));
}

// Pictures added, none removed: OK rebuilds the list and changes the
// wallpaper at once, in the style and order in force before.
TEST_F(SettingsDialog, OkAfterAddingRebuildsTheListAndChangesTheWallpaperAtOnce)
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
    // Stretch, at random, 10 minutes, start with Windows.
    for (int id : {kStretch, kRandom, kAutoRun, kInterval})
        clickItem(dialog, id);
    Sleep(300);
    driver::xdotoolKey("Home Down Down Down Down Down Down Down Down Return");
    ASSERT_TRUE(driver::waitUntil([&] { return sendItem(dialog, kInterval, CB_GETCURSEL) == 8; }));
    ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, kAutoRun); }));
    const size_t logged = driver::standinCalls(folder).size();
    ASSERT_TRUE(closeWith(dialog, IDOK));
    ASSERT_TRUE(waitWallpapers(3, 5000));
    EXPECT_EQ(pics[2], driver::wallpapersSet(folder).back());
    const Strings calls = driver::standinCalls(folder);
    EXPECT_NE(calls.end(), std::find(calls.begin() + logged, calls.end(),
                                     "SetWallpaperOptions dwSize=8 dwStyle=0 reserved=0"));
    EXPECT_NE(std::string::npos, runValue().find("Tavrel.exe")) << runValue();
    ASSERT_TRUE(app->exit().has_value());
    // The rebuilt list from the entry after the one shown.
    EXPECT_EQ(driver::iniText(2, 1, 8, 1, 1, pick({3, 4, 0, 1, 5, 6, 7, 8, 2})), folder.readIni());
}

// The list from its cursor; Cancel (and Escape) change nothing; OK writes the
// Run value every time the box is checked and deletes it when not; removing
// keeps a row selected, and OK then rebuilds the list and changes at once.
TEST_F(SettingsDialog, CancelChangesNothingAndOkAfterRemovingRebuildsTheList)
{
    const Settings initial = {2, 0, 7, 0, 1};
    start(initial, pick({0, 1, 2, 3, 4}), "marker");
    HWND dialog = nullptr;
    for (int round = 0; round < 2; ++round) {  // edit everything, then cancel; then look again
        ASSERT_TRUE(dialog = openSettings());
        EXPECT_EQ(pick({1, 2, 3, 4, 0}), listRows(dialog));
        EXPECT_EQ(0, selectedRow(dialog));
        expectControlsReflect(dialog, initial);
        clickItem(dialog, kRemove);
        ASSERT_TRUE(driver::waitUntil([&] { return listRows(dialog).size() == 4; }));
        for (int id : {kTile, kRandom, kAutoRun, kPreview})
            clickItem(dialog, id);
        ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, kPreview); }));
        round == 0 ? clickItem(dialog, IDCANCEL) : driver::xdotoolKey("Escape");
        ASSERT_TRUE(driver::waitGone(dialog));
        EXPECT_EQ("marker", runValue());
    }
    ASSERT_TRUE(dialog = openSettings());
    ASSERT_TRUE(closeWith(dialog, IDOK));  // untouched, checked: written
    EXPECT_TRUE(driver::waitUntil([&] { return runValue().find("Tavrel.exe") != std::string::npos; }, 3000));
    Sleep(500);
    EXPECT_EQ(1u, wallpaperCount()) << "changed at an OK without edits";
    ASSERT_TRUE(dialog = openSettings());
    removeRow(dialog, 4);  // the last: the new last is selected
    EXPECT_EQ(3, selectedRow(dialog));
    removeRow(dialog, 1);  // a middle one: the row that moved up is selected
    EXPECT_EQ(1, selectedRow(dialog));
    clickItem(dialog, kAutoRun);
    ASSERT_TRUE(driver::waitUntil([&] { return !checked(dialog, kAutoRun); }));
    ASSERT_TRUE(closeWith(dialog, IDOK));
    EXPECT_TRUE(driver::waitUntil([&] { return runValue() == "<none>"; }, 3000));
    ASSERT_TRUE(waitWallpapers(2, 5000));
    EXPECT_EQ(pics[1], driver::wallpapersSet(folder).back());
    ASSERT_TRUE(app->exit().has_value());
    EXPECT_EQ(driver::iniText(2, 0, 7, 0, 0, pick({3, 4, 1})), folder.readIni());
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
        {"no-preview", kPreview, {{{3, 3}, black}, {{74, 50}, black}, {{96, 40}, black}, {{148, 110}, black}}},
    };
    RECT area = {}, monitor = {};  // the area lies on the monitor picture's screen
    GetWindowRect(GetDlgItem(dialog, kArea), &area);
    GetWindowRect(GetDlgItem(dialog, kMonitor), &monitor);
    ASSERT_EQ((std::vector<LONG>{16, 17, 152, 114, 184, 148}),
              (std::vector<LONG>{area.left - monitor.left, area.top - monitor.top, area.right - area.left,
                                 area.bottom - area.top, monitor.right - monitor.left, monitor.bottom - monitor.top}));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        clickItem(dialog, row.button);
        ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, row.button) == (row.button != kPreview); }));
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
