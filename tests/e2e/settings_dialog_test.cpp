// The settings dialog of the real program, driven from outside as a user would.

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "driver.h"

namespace {

using driver::Strings;
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kApproved[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
// Control ids of the dialog.
constexpr int kFileList = 1000, kPreview = 1004, kAdd = 1007, kRemove = 1008, kInterval = 1010, kTile = 1011,
              kCentre = 1012, kStretch = 1013, kSequential = 1014, kRandom = 1015, kAutoRun = 1016, kArea = 1018,
              kFill = 1020, kFit = 1021, kFullScreenWait = 1024;
const char kVista[] = "Software\\Wine\\AppDefaults\\Tavrel.exe";  // Wine answers as that Windows there

std::string runValue()
{
    char value[600] = {};
    DWORD size = sizeof value;
    return RegGetValueA(HKEY_CURRENT_USER, kRunKey, "Tavrel", RRF_RT_REG_SZ, nullptr, value, &size) ? "<none>" : value;
}

using driver::rowsOf;

int selectedRow(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, kFileList, LB_GETCURSEL, 0, 0)); }
bool checked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void removeRow(HWND dialog, int row)  // selected, then Remove clicked
{
    SendDlgItemMessageA(dialog, kFileList, LB_SETCURSEL, row, 0);
    const size_t count = rowsOf(dialog, kFileList).size();
    driver::clickMiddle(GetDlgItem(dialog, kRemove));
    ASSERT_TRUE(driver::waitUntil([&] { return rowsOf(dialog, kFileList).size() == count - 1; }));
}

void expectControlsReflect(HWND dialog, int showMode, int showOrder, int alteTime, int preview, int autoRun,
                           int fullScreenWait)
{
    const int expected[][2] = {{kTile, showMode == 0}, {kCentre, showMode == 1}, {kStretch, showMode == 2},
                               {kSequential, showOrder == 0}, {kRandom, showOrder == 1}, {kPreview, preview},
                               {kAutoRun, autoRun}, {kFullScreenWait, fullScreenWait}};
    for (const auto& [id, on] : expected)
        EXPECT_EQ(on != 0, checked(dialog, id)) << "control " << id;
    EXPECT_EQ(alteTime, SendDlgItemMessageA(dialog, kInterval, CB_GETCURSEL, 0, 0));
}

// A folder "pics" with pictures w1..w5, one, a, b, c; the program, started on them.
class SettingsDialog : public ::testing::Test {
protected:
    SettingsDialog()
    {
        CreateDirectoryA((folder.path() + "\\pics").c_str(), nullptr);
        for (const char* name : {"w1.bmp", "w2.bmp", "w3.bmp", "w4.bmp", "w5.bmp", "one.bmp", "a.bmp", "b.jpg", "c.gif"}) {
            pics.push_back(folder.path() + "\\pics\\" + name);
            driver::writeFileBytes(pics.back(), driver::bmpBytes(64, 48, RGB(20, 100, 0), RGB(250, 0, 0)));
        }
    }
    void TearDown() override
    {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Tavrel");
        RegDeleteKeyA(HKEY_CURRENT_USER, kApproved), RegDeleteKeyA(HKEY_CURRENT_USER, kVista);
    }

    // Starts the program; `run` is the Run value it finds (none when null).
    void start(const std::string& ini, const char* run = nullptr)
    {
        folder.writeIni(ini);
        TearDown();
        if (run)
            RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, "Tavrel", REG_SZ, run, lstrlenA(run) + 1);
        app.emplace(folder);
        ASSERT_NE(nullptr, app->window());
        ASSERT_TRUE(folder.waitWallpapers(1));
    }

    HWND openSettings() { return app->open(driver::kSettings, driver::kSettingsTitle); }

    void addThroughFileDialog(HWND dialog, const Strings& typed)
    {
        fileTypes = driver::addThroughFileDialog(*app, dialog, typed, &listed);
        ASSERT_FALSE(fileTypes.empty()) << "no file-open dialog, or it stayed open";
    }

    Strings pick(std::initializer_list<int> indexes) const
    {
        Strings out;
        for (int i : indexes)
            out.push_back(pics[i]);
        return out;
    }

    driver::AppFolder folder{"settings dialog", true};  // a space, as in "Program Files"
    Strings pics, fileTypes;  // the file-open dialog's, last opened
    LRESULT listed = -1;      // the files it listed when the last text was typed
    std::optional<driver::Tavrel> app;  // ends before the folder goes
};

// Cancel changes nothing. Task Manager turns the start off (a mark beside the Run value): the box shows it off;
// ticked, OK writes the value (quoted) and takes the mark away. An OK after adding or removing rebuilds the list
// and changes at once in the style before. Fit and fill reach the shell; before Windows 7 both are stretched.
TEST_F(SettingsDialog, ChangesTakeEffectAtOkOnly)
{
    start(driver::iniText(2, 0, 7, 0, 1, pick({0, 1, 2, 3, 4})), "marker");  // w1 shown, the cursor on the next
    HWND dialog = nullptr;
    ASSERT_TRUE(dialog = openSettings());
    EXPECT_EQ(pick({1, 2, 3, 4, 0}), rowsOf(dialog, kFileList));
    EXPECT_EQ(0, selectedRow(dialog));
    expectControlsReflect(dialog, 2, 0, 7, 0, 1, 1);  // a file without FULLSCREENWAIT: ticked
    for (int id : {kRemove, kTile, kRandom, kAutoRun, kFullScreenWait, kPreview})
        driver::clickMiddle(GetDlgItem(dialog, id));
    ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, kPreview); }));
    ASSERT_TRUE(driver::closeDialog(dialog, IDCANCEL));
    EXPECT_EQ("marker", runValue());

    struct { DWORD state; FILETIME when; } turnedOff = {3, {}};  // off, then when: 12 bytes, as Task Manager writes
    GetSystemTimeAsFileTime(&turnedOff.when);
    RegSetKeyValueA(HKEY_CURRENT_USER, kApproved, "Tavrel", REG_BINARY, &turnedOff, sizeof turnedOff);
    ASSERT_TRUE(dialog = openSettings());
    EXPECT_EQ(pick({1, 2, 3, 4, 0}), rowsOf(dialog, kFileList)) << "Cancel kept a removal";
    expectControlsReflect(dialog, 2, 0, 7, 0, 0, 1);
    driver::clickMiddle(GetDlgItem(dialog, kAutoRun));
    ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, kAutoRun); }));
    ASSERT_TRUE(driver::closeDialog(dialog, IDOK));
    EXPECT_TRUE(driver::waitUntil([&] { return runValue() == "\"" + folder.exe() + "\""; }, 3000)) << runValue();
    DWORD size = sizeof turnedOff;  // the mark, if any: Windows skips the Run value while its first byte is odd
    turnedOff = {}, RegGetValueA(HKEY_CURRENT_USER, kApproved, "Tavrel", RRF_RT_REG_BINARY, nullptr, &turnedOff, &size);
    EXPECT_EQ(0u, turnedOff.state & 1) << "still turned off";
    Sleep(500);
    EXPECT_EQ(1u, folder.wallpapersSet().size()) << "changed at an OK without list edits";

    ASSERT_TRUE(dialog = openSettings());
    addThroughFileDialog(dialog, {pics[5]});  // one file, as a full path
    EXPECT_EQ(pick({1, 2, 3, 4, 0, 5}), rowsOf(dialog, kFileList));
    addThroughFileDialog(dialog, {folder.path() + "\\pics", "\"a.bmp\" \"b.jpg\" \"c.gif\""});
    EXPECT_EQ(pick({1, 2, 3, 4, 0, 5, 6, 7, 8}), rowsOf(dialog, kFileList));
    EXPECT_EQ(folder.path(), app->currentDirectory()) << "the folder browsed is not left in use";
    for (int id : {kFit, kAutoRun, kInterval})  // then 10 minutes from the list
        driver::clickMiddle(GetDlgItem(dialog, id));
    Sleep(300);
    driver::xdotoolKey("Home Down Down Down Down Down Down Down Down Return");
    ASSERT_TRUE(driver::waitUntil([&] { return SendDlgItemMessageA(dialog, kInterval, CB_GETCURSEL, 0, 0) == 8; }));
    ASSERT_TRUE(driver::waitUntil([&] { return !checked(dialog, kAutoRun); }));
    const size_t logged = folder.standinCalls().size();
    const auto styleSent = [&](size_t from, int style) {  // once, since the call `from` of the log
        const Strings calls = folder.standinCalls();
        return std::count(calls.begin() + from, calls.end(),
                          "SetWallpaperOptions dwSize=8 dwStyle=" + std::to_string(style) + " reserved=0") == 1;
    };
    ASSERT_TRUE(driver::closeDialog(dialog, IDOK));
    ASSERT_TRUE(folder.waitWallpapers(2, 5000)) << "no change at once after adding";
    EXPECT_EQ(pics[1], folder.wallpapersSet().back());
    EXPECT_TRUE(styleSent(logged, 2)) << "stretch, as before";
    EXPECT_TRUE(driver::waitUntil([&] { return runValue() == "<none>"; }, 3000));

    ASSERT_TRUE(dialog = openSettings());
    EXPECT_EQ(pick({2, 3, 4, 0, 5, 6, 7, 8, 1}), rowsOf(dialog, kFileList));
    removeRow(dialog, 8);  // the last: the new last is selected
    EXPECT_EQ(7, selectedRow(dialog));
    removeRow(dialog, 2);  // a middle one: the row that moved up is selected
    EXPECT_EQ(2, selectedRow(dialog));
    for (int id : {kRandom, kFill})
        driver::clickMiddle(GetDlgItem(dialog, id));
    ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, kFill); }));
    ASSERT_TRUE(driver::closeDialog(dialog, IDOK));
    ASSERT_TRUE(folder.waitWallpapers(3, 5000)) << "no change at once after removing";
    EXPECT_EQ(pics[2], folder.wallpapersSet().back());
    EXPECT_TRUE(styleSent(logged, 3)) << "fit";

    // Every row removed, the full-screen wait off: the preview black at once; OK sets nothing, no list is saved,
    // the next start takes the default folder's pictures (the wait still off).
    ASSERT_TRUE(dialog = openSettings());
    for (int id : {kPreview, kFullScreenWait})
        driver::clickMiddle(GetDlgItem(dialog, id));
    for (int rows = 7; rows > 0; --rows)
        removeRow(dialog, 0);
    RECT area = {};
    GetWindowRect(GetDlgItem(dialog, kArea), &area);
    Sleep(300);
    EXPECT_EQ(0u, driver::captureScreen().at((area.left + area.right) / 2, (area.top + area.bottom) / 2));
    ASSERT_TRUE(driver::closeDialog(dialog, IDOK));
    Sleep(500);
    EXPECT_EQ(3u, folder.wallpapersSet().size()) << "set a picture at OK with no list";
    ASSERT_TRUE(app->exit().has_value());
    EXPECT_EQ(driver::iniText(4, 1, 8, 1, 0) + "FULLSCREENWAIT=0\r\n", folder.readIni());
    for (const char* version : {"", "vista"}) {  // "": as the prefix is set
        if (*version)
            RegSetKeyValueA(HKEY_CURRENT_USER, kVista, "Version", REG_SZ, version, lstrlenA(version) + 1);
        const size_t before = folder.standinCalls().size(), set = folder.wallpapersSet().size();
        app.emplace(folder);
        ASSERT_TRUE(folder.waitWallpapers(set + 1));  // from the default folder
        EXPECT_EQ(0u, folder.wallpapersSet().back().find(folder.path() + "\\WallPaper\\1024_768\\"));
        EXPECT_TRUE(styleSent(before, *version ? 2 : 4)) << "fill, Windows " << version;
        ASSERT_TRUE(app->exit().has_value());
    }
    EXPECT_EQ(0u, GetPrivateProfileIntA("SETTINGS", "FULLSCREENWAIT", 1, folder.ini().c_str())) << "read as on";
}

// A 640 x 480 picture (Chinese name), pink left, green right, an amber top quarter, in each style, at points of
// the 152 x 114 area; then a 256 x 64 PNG added through the file-open dialog, filling and fitting, set at OK.
TEST_F(SettingsDialog, PreviewShowsThePictureWhereTheArithmeticSays)
{
    const COLORREF left = RGB(230, 40, 170), right = RGB(40, 200, 90), band = RGB(250, 190, 30), black = 0,
                   outline = RGB(52, 54, 62), rim = RGB(232, 233, 236);
    const std::string picture = folder.path() + "\\\xCD\xBC\xC6\xAC-640x480.bmp", png = folder.path() + "\\png\\wide.png";  // 图片
    driver::writeFileBytes(picture, driver::bmpBytes(640, 480, left, right, band));
    driver::writeFileBytes(folder.path() + "\\wide.bmp", driver::bmpBytes(256, 64, left, right, band));
    CreateDirectoryA((folder.path() + "\\png").c_str(), nullptr);
    ASSERT_TRUE(driver::convertPicture(folder.path() + "\\wide.bmp", png));
    start(driver::iniText(3, 0, 12, 1, 0, {picture}));
    HWND dialog = nullptr;
    ASSERT_TRUE(dialog = openSettings());
    EXPECT_TRUE(checked(dialog, kFit)) << "the style read";
    addThroughFileDialog(dialog, {folder.path() + "\\png", "wide.png"});
    EXPECT_EQ(1, listed) << "the first file type, All Pictures, lists PNG files";
    EXPECT_EQ("PNG file(*.png)", fileTypes.at(6)) << "the last of the file types offered";
    const struct { const char* name; int button; std::vector<std::pair<POINT, COLORREF>> points; } rows[] = {
        // The picture covers 28..122 x 21..91, split at 28 + 47, the band over 21..38.
        {"centre", kCentre, {{{28, 21}, band}, {{74, 50}, left}, {{77, 50}, right}, {{122, 91}, right},
                             {{27, 50}, black}, {{123, 50}, black}, {{60, 20}, black}, {{60, 92}, black}}},
        {"stretch", kStretch, {{{3, 3}, band}, {{74, 57}, left}, {{78, 57}, right}, {{148, 110}, right}}},
        // Tiles 95 x 71 from the corner, each split in the middle; the cut second row shows the tiles' top.
        {"tile", kTile, {{{3, 3}, band}, {{46, 40}, left}, {{49, 40}, right}, {{96, 40}, left}, {{20, 75}, band}}},
        // The PNG from here: filling, its middle third (the band over 0..28); fitting, over 38..75 (the band 38..47).
        {"fill", kFill, {{{3, 3}, band}, {{73, 57}, left}, {{79, 57}, right}, {{148, 110}, right}}},
        {"fit", kFit, {{{3, 40}, band}, {{73, 57}, left}, {{79, 57}, right}, {{75, 35}, black}, {{75, 79}, black}}},
        // Around the area, the monitor picture's rim: its screen colour fills the area and no more.
        {"no-preview", kPreview, {{{3, 3}, black}, {{74, 50}, black}, {{148, 110}, black}, {{-1, 50}, outline},
                                  {{75, -1}, outline}, {{152, 50}, rim}, {{75, 114}, rim}}},
    };
    RECT area = {};
    GetWindowRect(GetDlgItem(dialog, kArea), &area);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.button == kFill)
            removeRow(dialog, 0);  // the PNG left alone, and shown
        driver::clickMiddle(GetDlgItem(dialog, row.button));
        ASSERT_TRUE(driver::waitUntil([&] { return checked(dialog, row.button) == (row.button != kPreview); }));
        Sleep(500);
        const driver::Screenshot shot = driver::captureScreen();
        shot.save(std::string("settings-dialog-") + row.name);
        for (const auto& [p, want] : row.points)
            EXPECT_EQ(want, shot.at(area.left + p.x, area.top + p.y)) << "at " << p.x << "," << p.y;
    }
    ASSERT_TRUE(driver::closeDialog(dialog, IDOK));
    EXPECT_TRUE(folder.waitWallpapers(2) && folder.wallpapersSet().back() == png);
}

}  // namespace
