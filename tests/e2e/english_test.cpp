// Under code page 1252, as on most Windows in the world: a program folder and
// a picture named in Chinese, which the ANSI functions would turn into '?',
// reach the shell and the settings file; the texts are English.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using Names = std::vector<std::wstring>;

std::wstring longPath(const std::string& path, UINT codePage = CP_ACP)
{
    WCHAR wide[MAX_PATH] = {}, full[MAX_PATH] = {};
    MultiByteToWideChar(codePage, 0, path.c_str(), -1, wide, MAX_PATH);
    return GetLongPathNameW(wide, full, MAX_PATH) ? full : L"<missing> " + std::wstring(wide);
}

Names sorted(Names names) { return std::sort(names.begin(), names.end()), names; }

// Saved at Exit beside the program and read at the next start; the screenshots
// show the tray menu and the settings dialog in English.
TEST(English, ChineseNamesReachTheShellAndTheSettingsFile)
{
    ASSERT_EQ(1252u, GetACP());
    driver::AppFolder folder("\xE5\xA3\x81\xE7\xBA\xB8", true);  // 壁纸, in UTF-8
    const std::wstring pictures = longPath(folder.path()) + L"\\WallPaper\\1024_768\\";
    ASSERT_TRUE(MoveFileW((pictures + L"sunset.bmp").c_str(), (pictures + L"\u5c71\u6c34.bmp").c_str()));  // 山水
    const Names expected = {pictures + L"more\\rings.gif", pictures + L"night.jpg", pictures + L"tile_violet.gif",
                            pictures + L"\u5c71\u6c34.bmp"};
    {
        driver::Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        for (int i = 0; i < 3; ++i)
            app.tick();
        ASSERT_TRUE(folder.waitWallpapers(4));
        Names shown;
        for (const std::string& path : folder.wallpapersSet())
            shown.push_back(longPath(path, CP_UTF8));
        EXPECT_EQ(sorted(expected), sorted(shown));

        ASSERT_NE(nullptr, driver::openTrayMenu(app));
        driver::captureScreen().save("tray_menu_english");
        driver::xdotoolClick(512, 300);
        HWND dialog = app.open(driver::kSettings, "Settings");
        ASSERT_NE(nullptr, dialog);
        driver::captureScreen().save("settings-dialog-english");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(driver::waitGone(dialog));
        ASSERT_EQ(0u, app.exit().value_or(99));
    }
    const driver::Strings saved = folder.savedList();
    Names stored;
    for (const std::string& path : saved)
        stored.push_back(longPath(path));
    EXPECT_EQ(sorted(expected), sorted(stored));

    folder.writeIni(driver::iniText(2, 0, 19, 1, 0, {saved.at(1)}));
    driver::Tavrel again(folder);
    ASSERT_TRUE(folder.waitWallpapers(5));
    EXPECT_EQ(saved[1], folder.wallpapersSet().back()) << "the list saved beside the program";
}

}  // namespace
