// The real program rotating the wallpaper: what it hands the Active Desktop
// stand-in at start and on every tick, and the default folder it scans.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using Paths = std::vector<std::string>;

// The stand-in logs UTF-8; the program's paths are code page 936.
std::string utf8(const std::string& ansi)
{
    WCHAR wide[600] = {};
    char out[1200] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, 600);
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

Paths utf8(Paths paths)
{
    for (std::string& path : paths)
        path = utf8(path);
    return paths;
}

Paths sorted(Paths paths)
{
    std::sort(paths.begin(), paths.end());
    return paths;
}

size_t countCalls(const driver::AppFolder& folder, const std::string& prefix)
{
    const Paths calls = driver::standinCalls(folder);
    return std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

// Waits until `n` whole changes (ending with their Release) are logged.
bool waitForChanges(const driver::AppFolder& folder, size_t n)
{
    return driver::waitUntil([&] { return countCalls(folder, "Release") >= n; });
}

void tick(const driver::Tavrel& app, int times = 1)
{
    for (int i = 0; i < times; ++i)
        app.post(WM_TIMER, 1000, 0);
}

// The first picture at start, then one per posted tick (twelve hours between
// real ones), each applied in the style asked; saved from the cursor.
TEST(Rotation, FirstWallpaperAtStartThenOnePerTick)
{
    const struct {
        const char* name;
        int showMode, showOrder;
        std::vector<int> files, shown, saved;  // indexes into the pictures
        const char* style;                     // as the shell names it
    } rows[] = {
        {"sequential, tiled", 0, 0, {0, 1, 2}, {0, 1, 2, 0}, {1, 2, 0}, "dwStyle=1 "},
        {"random with two entries alternates, centred", 1, 1, {0, 1}, {1, 0, 1, 0}, {0, 1}, "dwStyle=0 "},
        {"sequential, stretched", 2, 0, {0}, {0, 0, 0, 0}, {0}, "dwStyle=2 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        driver::AppFolder folder("rotate-order");  // the stand-in logs paths whether or not the files are there
        const Paths all = {folder.path() + "\\dawn.bmp", folder.path() + "\\\xC9\xBD\xCB\xAE.jpg",  // 山水.jpg
                           folder.path() + "\\more\\waves.gif"};
        const auto pick = [&](const std::vector<int>& indexes) {
            Paths paths;
            for (int i : indexes)
                paths.push_back(all[i]);
            return paths;
        };
        folder.writeIni(driver::iniText(row.showMode, row.showOrder, 19, 1, 0, pick(row.files)));
        driver::Tavrel app(folder);
        ASSERT_TRUE(waitForChanges(folder, 1));
        EXPECT_EQ(utf8(pick({row.shown[0]})), driver::wallpapersSet(folder));
        tick(app, 3);
        ASSERT_TRUE(waitForChanges(folder, 4));
        EXPECT_EQ(utf8(pick(row.shown)), driver::wallpapersSet(folder));
        EXPECT_EQ(4u, countCalls(folder, std::string("SetWallpaperOptions dwSize=8 ") + row.style));
        EXPECT_EQ(4u, countCalls(folder, "ApplyChanges flags=7 "));
        ASSERT_EQ(0u, app.exit().value_or(99));
        EXPECT_EQ(pick(row.saved), driver::savedList(folder));
    }
}

// Saved once from a multiple selection in a drive's root: the shell takes
// two backslashes after the drive and then shows nothing, so it gets one.
TEST(Rotation, DoubledSeparatorAfterTheDriveReachesTheShellAsOne)
{
    driver::AppFolder folder("rotate-root");
    const std::string single = folder.path() + "\\root.bmp";  // C:\tavrel-e2e\...
    const std::string doubled = single.substr(0, 3) + "\\" + single.substr(3);
    folder.writeIni(driver::iniText(1, 0, 19, 1, 0, {doubled, "\\\\server\\share\\a.bmp"}));
    driver::Tavrel app(folder);
    tick(app);
    ASSERT_TRUE(waitForChanges(folder, 2));
    EXPECT_EQ((Paths{single, "\\\\server\\share\\a.bmp"}), driver::wallpapersSet(folder));
    ASSERT_EQ(0u, app.exit().value_or(99));
    EXPECT_EQ((Paths{doubled, "\\\\server\\share\\a.bmp"}), driver::savedList(folder)) << "the list keeps its text";
}

// With no list, the 1024-wide desktop's folder WallPaper\1024_768 is scanned,
// the folder is not left in use, and the list is saved at the close and read,
// not scanned, at the next start.
TEST(Rotation, ScreenWidth1024ScansItsFolderOnceAndKeepsTheList)
{
    ASSERT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
    driver::AppFolder folder("rotate-1024", true);
    Paths shipped;  // as the build's manifest names them (UTF-8)
    std::istringstream lines(driver::readFileBytes(driver::binDir() + "\\WallPaper\\manifest.txt").value_or(""));
    for (std::string line; std::getline(lines, line);) {
        std::string path = folder.path() + "\\WallPaper\\" + line.substr(0, line.find('\t'));
        std::replace(path.begin(), path.end(), '/', '\\');
        if (line.rfind("1024_768/", 0) == 0)
            shipped.push_back(path);
    }
    ASSERT_EQ(4u, shipped.size());
    Paths saved;
    {
        driver::Tavrel app(folder);
        ASSERT_TRUE(waitForChanges(folder, 1));
        EXPECT_EQ(folder.path(), app.currentDirectory()) << "the scan leaves no folder in use";
        ASSERT_EQ(0u, app.exit().value_or(99));
        saved = driver::savedList(folder);
        EXPECT_EQ(sorted(shipped), sorted(utf8(saved)));
        EXPECT_EQ(Paths{utf8(saved.back())}, driver::wallpapersSet(folder)) << "shown, then saved from the next";
    }
    ASSERT_TRUE(driver::removeTree(folder.path() + "\\WallPaper"));
    driver::Tavrel again(folder);
    ASSERT_TRUE(waitForChanges(folder, 2));
    EXPECT_EQ(utf8(saved[0]), driver::wallpapersSet(folder)[1]);
    ASSERT_EQ(0u, again.exit().value_or(99));
    EXPECT_EQ(sorted(shipped), sorted(utf8(driver::savedList(folder))));
}

}  // namespace
