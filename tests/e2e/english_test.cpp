// Under code page 1252: names the ANSI functions would turn into '?'.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>

#include "driver.h"

namespace {

std::set<std::wstring> longPaths(const driver::Strings& paths, UINT codePage = CP_ACP)
{
    std::set<std::wstring> found;
    for (const std::string& path : paths) {
        WCHAR wide[MAX_PATH] = {}, full[MAX_PATH] = {};
        MultiByteToWideChar(codePage, 0, path.c_str(), -1, wide, MAX_PATH);
        found.insert(GetLongPathNameW(wide, full, MAX_PATH) ? full : L"<missing> " + std::wstring(wide));
    }
    return found;
}

// With no list, WallPaper\1024_768 (the screen's width) is scanned, subfolders
// too but no hidden file, and not left in use; the list is saved beside the
// program and read at the next start. Screenshots in English. Then each style
// button does what its label says: the next change comes in that style.
TEST(English, ChineseNamesReachTheShellAndTheSettingsFile)
{
    ASSERT_EQ(1252u, GetACP());
    driver::AppFolder folder("\xE5\xA3\x81\xE7\xBA\xB8", true);  // 壁纸, in UTF-8
    const std::wstring pictures = *longPaths({folder.path()}).begin() + L"\\WallPaper\\1024_768\\";
    ASSERT_TRUE(MoveFileW((pictures + L"sunset.bmp").c_str(), (pictures + L"\u5c71\u6c34.bmp").c_str()));  // 山水
    const std::string thumbs = folder.path() + "\\WallPaper\\1024_768\\Thumbs.db";
    ASSERT_TRUE(driver::writeFileBytes(thumbs, "x") && SetFileAttributesA(thumbs.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::set<std::wstring> expected = {pictures + L"more\\rings.gif", pictures + L"night.jpg",
                                             pictures + L"tile_violet.gif", pictures + L"\u5c71\u6c34.bmp"};
    {
        driver::Tavrel app(folder);
        for (int i = 0; i < 3; ++i)
            app.tick();
        ASSERT_TRUE(folder.waitWallpapers(4));
        EXPECT_EQ(folder.path(), app.currentDirectory()) << "the scan leaves no folder in use";
        EXPECT_EQ(expected, longPaths(folder.wallpapersSet(), CP_UTF8));
        ASSERT_NE(nullptr, driver::openTrayMenu(app));
        driver::captureScreen().save("tray_menu_english");
        driver::xdotoolClick(512, 300);
        ASSERT_EQ(0u, app.exit().value_or(99));
    }
    const driver::Strings saved = folder.savedList();
    EXPECT_EQ(expected, longPaths(saved));

    folder.writeIni(driver::iniText(2, 0, 19, 1, 0, {saved.at(1)}));
    driver::Tavrel again(folder);
    ASSERT_TRUE(folder.waitWallpapers(5));
    EXPECT_EQ(saved[1], folder.wallpapersSet().back()) << "the list saved beside the program";
    const std::pair<const char*, int> styles[] = {{"Tile", 1}, {"Center", 0}, {"Stretch", 2}, {"Fill", 4}, {"Fit", 3}};
    for (const auto& [label, style] : styles) {
        HWND dialog = again.open(driver::kSettings, "Settings");
        HWND button = FindWindowExA(dialog, nullptr, "Button", label);
        if (style == 1)
            driver::captureScreen().save("settings-dialog-english");
        driver::clickMiddle(button);
        ASSERT_TRUE(driver::waitUntil([&] { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; })) << label;
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(driver::waitGone(dialog));
        const size_t set = folder.wallpapersSet().size();
        again.tick();
        ASSERT_TRUE(folder.waitWallpapers(set + 1));
        const driver::Strings calls = folder.standinCalls();
        const auto options = std::find_if(calls.rbegin(), calls.rend(),
                                          [](const std::string& call) { return call.rfind("SetWallpaperO", 0) == 0; });
        EXPECT_EQ("SetWallpaperOptions dwSize=8 dwStyle=" + std::to_string(style) + " reserved=0", *options) << label;
    }
}

}  // namespace
