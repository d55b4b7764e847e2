// Names outside the code page (Hangul, Cyrillic, an emoji), under code pages 1252 (English) and 936: nothing
// turns into '?' or a short name, from the folder to the shell, the list, the tooltip, the settings file and back.

#include <gtest/gtest.h>

#include <set>

#include "driver.h"

namespace {

using driver::utf8;
using namespace std::string_literals;

std::set<std::string> asSet(const driver::Strings& paths) { return {paths.begin(), paths.end()}; }

// The default pictures renamed, scanned with subfolders but no hidden file; one more added through the file-open
// dialog; the list saved as UTF-16 (an earlier version's ANSI calls still read the settings). In English, each
// style button carries its label (what each does is proven in Chinese).
TEST(UnicodeNames, ReachTheShellTheListTheTooltipAndTheSettingsFile)
{
    const bool chinese = GetACP() == 936;
    driver::AppFolder folder("\xF0\x9F\x98\x80 Tavrel", true);  // 😀
    const std::wstring home = driver::longPath(folder.path()), pictures = home + L"\\WallPaper\\1024_768\\";
    const std::wstring hangul = L"\uC0AC\uC9C4.bmp", cyrillic = L"\u043D\u043E\u0447\u044C.jpg",  // 사진, ночь
        emoji = L"\U0001F304.gif", added = home + L"\\\uD55C\uAE00 \u0401\u0451 \U0001F600.bmp";  // 한글 Ёё 😀
    for (const auto& [from, to] : {std::pair{L"sunset.bmp", hangul}, {L"night.jpg", cyrillic}, {L"tile_violet.gif", emoji}})
        ASSERT_TRUE(MoveFileW((pictures + from).c_str(), (pictures + to).c_str()));
    ASSERT_TRUE(CopyFileW((pictures + hangul).c_str(), added.c_str(), TRUE));
    const std::wstring thumbs = pictures + L"Thumbs.db";
    ASSERT_TRUE(CopyFileW((pictures + hangul).c_str(), thumbs.c_str(), TRUE) && SetFileAttributesW(thumbs.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::set<std::string> scanned = {utf8(pictures + L"more\\rings.gif"), utf8(pictures + hangul),
                                           utf8(pictures + cyrillic), utf8(pictures + emoji)};
    driver::Strings rows;
    {
        driver::Tavrel app(folder);
        for (int i = 0; i < 3; ++i)
            app.tick();
        ASSERT_TRUE(folder.waitWallpapers(4));
        EXPECT_EQ(utf8(home), app.currentDirectory()) << "the scan leaves no folder in use";
        EXPECT_EQ(scanned, asSet(folder.wallpapersSet()));
        if (!chinese) {
            ASSERT_NE(nullptr, driver::openTrayMenu(app));
            driver::captureScreen().save("tray_menu_english");
            driver::xdotoolClick(512, 300);
        }
        HWND dialog = app.open(driver::kSettings, chinese ? driver::kSettingsTitle : "Settings");
        ASSERT_NE(nullptr, dialog);
        for (const auto& [label, id] : {std::pair{"Tile", 1011}, {"Center", 1012}, {"Stretch", 1013}, {"Fill", 1020}, {"Fit", 1021}})
            EXPECT_TRUE(chinese || GetDlgCtrlID(FindWindowExA(dialog, nullptr, "Button", label)) == id) << label;
        driver::addThroughFileDialog(app, dialog, {utf8(added)});
        rows = driver::rowsOf(dialog, 1000);
        EXPECT_EQ(5u, rows.size());
        EXPECT_EQ(utf8(added), rows.back()) << "added under its own name";
        EXPECT_EQ(scanned, asSet({rows.begin(), rows.end() - 1}));
        driver::captureScreen().save(chinese ? "settings-dialog-unicode-names" : "settings-dialog-english");
        ASSERT_TRUE(driver::closeDialog(dialog, IDOK));
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Tavrel");  // set at OK
        for (int i = 0; i < 4; ++i)  // OK showed the first row; the added one is the fifth
            app.tick();
        ASSERT_TRUE(folder.waitWallpapers(9));
        EXPECT_EQ(utf8(added), folder.wallpapersSet().back());
        EXPECT_TRUE(driver::waitTooltip(utf8(L"Tavrel - " + added.substr(added.rfind(L'\\') + 1))));
        ASSERT_EQ(0u, app.exit().value_or(99));
    }
    const std::string saved = folder.readIni();
    EXPECT_EQ(0u, saved.find("\xFF\xFE[\0S\0E\0T\0T\0I\0N\0G\0S\0]\0"s)) << "not UTF-16 with its mark";
    driver::Strings savedList;
    for (WCHAR value[MAX_PATH]; GetPrivateProfileStringW(L"FILELIST", std::to_wstring(savedList.size()).c_str(), L"",
                                                        value, MAX_PATH, driver::wide(utf8(home) + "\\Tavrel.ini").c_str());)
        savedList.push_back(utf8(value));
    EXPECT_EQ(rows, savedList);
    for (const auto& [key, value] : {std::pair{"SHOWMODE", 1u}, {"ALTETIME", 12u}, {"AUTORUN", 1u}})
        EXPECT_EQ(value, GetPrivateProfileIntA("SETTINGS", key, 99, folder.ini().c_str())) << key << ", as an earlier version reads it";

    driver::Tavrel again(folder);
    ASSERT_TRUE(folder.waitWallpapers(10));
    EXPECT_EQ(savedList.at(0), folder.wallpapersSet().back()) << "the list saved beside the program";
}

}  // namespace
