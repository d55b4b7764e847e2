// The release zip as a Windows user gets it: unpacked into a fresh folder
// whose path has a space, its Tavrel.exe starts with no settings file, shows
// the default pictures in turn, exits through the tray menu and saves
// Tavrel.ini beside itself; its version resource names the project version.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using Paths = std::vector<std::string>;

// The 1024 x 768 pictures (the prefix's screen) as the build's manifest names them (UTF-8).
Paths defaultPictures(const driver::AppFolder& folder)
{
    Paths paths;
    std::istringstream lines(driver::readFileBytes(driver::binDir() + "\\WallPaper\\manifest.txt").value_or(""));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("1024_768/", 0) != 0)
            continue;
        std::string path = folder.path() + "\\WallPaper\\" + line.substr(0, line.find('\t'));
        std::replace(path.begin(), path.end(), '/', '\\');
        paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

bool menuShown(DWORD pid)
{
    const std::vector<HWND> menus = driver::windowsOf(pid, "", "#32768");
    return std::any_of(menus.begin(), menus.end(), [](HWND menu) { return IsWindowVisible(menu) != FALSE; });
}

// A right click on the tray icon, then a click on the menu's last item, 退出.
void exitThroughTrayMenu(const driver::Tavrel& app, POINT icon)
{
    driver::xdotoolClick(icon.x, icon.y, 3);
    ASSERT_TRUE(driver::waitUntil([&] { return menuShown(app.pid()); })) << "no menu";
    Sleep(300);
    RECT menu = {};
    for (HWND shown : driver::windowsOf(app.pid(), "", "#32768"))
        if (IsWindowVisible(shown))
            GetWindowRect(shown, &menu);
    driver::xdotoolClick((menu.left + menu.right) / 2, menu.bottom - 8);
}

std::string versionValue(const std::vector<char>& block, const std::string& name)
{
    char* value = nullptr;
    UINT length = 0;
    const std::string key = "\\StringFileInfo\\080403a8\\" + name;
    if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "(none)";
    return value;
}

TEST(Release, UnpackedZipRunsWhereItIsAndNamesItsVersion)
{
    driver::AppFolder folder("release unpacked");
    // Only what the archive holds: not the build's copy of the program.
    ASSERT_TRUE(DeleteFileA(folder.exe().c_str()));
    const char* zip = std::getenv("TAVREL_RELEASE_ZIP");
    ASSERT_NE(nullptr, zip);
    ASSERT_EQ(0u, driver::runUnix(std::string("unzip -q '") + zip + "' -d '" + driver::unixPathOf(folder.path()) + "'",
                                  30000)
                      .value_or(99));
    ASSERT_FALSE(folder.readIni().has_value());

    const Paths pictures = defaultPictures(folder);
    ASSERT_EQ(4u, pictures.size());
    {
        driver::Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        // The first at start, then one per tick (the real interval is 30 minutes).
        ASSERT_TRUE(driver::waitUntil([&] { return driver::wallpapersSet(folder).size() == 1; }));
        // Found while the taskbar is drawn: a new wallpaper paints over it.
        driver::runUnix("/usr/bin/xdotool mousemove 512 300");  // no tooltip over the icon
        const auto icon = driver::waitForTrayIcon(true);
        ASSERT_TRUE(icon.has_value()) << "no icon on the taskbar";
        for (int tick = 0; tick < 3; ++tick)
            app.post(WM_TIMER, 1000, 0);
        ASSERT_TRUE(driver::waitUntil([&] { return driver::wallpapersSet(folder).size() == 4; }));
        Paths shown = driver::wallpapersSet(folder);
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(pictures, shown) << "not each default picture in turn";

        exitThroughTrayMenu(app, {(icon->left + icon->right) / 2, (icon->top + icon->bottom) / 2});
        EXPECT_EQ(0u, app.waitExit().value_or(99)) << "the tray menu's 退出 did not end it";
    }
    EXPECT_TRUE(folder.readIni().has_value()) << "no Tavrel.ini beside the exe";

    // The version resource, as Explorer's Properties sheet reads it.
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(folder.exe().c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoA(folder.exe().c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    const struct {
        const char* name;
        std::string value;
    } rows[] = {
        {"ProductName", "Tavrel"},
        {"FileDescription", "Tavrel \xD7\xC0\xC3\xE6\xB1\xDA\xD6\xBD\xB6\xA8\xCA\xB1\xB8\xFC\xBB\xBB"},  // 桌面壁纸定时更换
        {"FileVersion", TAVREL_TEST_VERSION},
        {"ProductVersion", TAVREL_TEST_VERSION},
        {"OriginalFilename", "Tavrel.exe"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.value, versionValue(block, row.name)) << row.name;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    std::string numbers = TAVREL_TEST_VERSION;
    while (std::count(numbers.begin(), numbers.end(), '.') < 3)
        numbers += ".0";
    std::ostringstream fileVersion;
    fileVersion << HIWORD(fixed->dwFileVersionMS) << '.' << LOWORD(fixed->dwFileVersionMS) << '.'
                << HIWORD(fixed->dwFileVersionLS) << '.' << LOWORD(fixed->dwFileVersionLS);
    EXPECT_EQ(numbers, fileVersion.str());
}

}  // namespace
