// The real program rotating the wallpaper: what it hands the Active Desktop
// stand-in at start and on every tick.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using Paths = std::vector<std::string>;

bool waitForChanges(const driver::AppFolder& folder, long n)  // whole ones, ended with their last Release
{
    return driver::waitUntil([&] {
        const Paths calls = folder.standinCalls();
        return std::count(calls.begin(), calls.end(), "Release refs=0") >= n;
    });
}

// The first picture at start, then one per posted tick, each through the
// same calls to the shell in the style asked; saved from the cursor as read.
// Two backslashes after the drive (once saved from a multiple selection in a
// drive's root) reach the shell as one: it shows nothing for two.
TEST(Rotation, FirstWallpaperAtStartThenOnePerTick)
{
    // Indexes into the pictures; the style as the shell names it.
    const struct { const char* name; int showMode, showOrder; std::vector<int> files, shown, saved; const char* style; }
        rows[] = {
        {"sequential, tiled", 0, 0, {0, 1, 2}, {0, 1, 2, 0}, {1, 2, 0}, "dwStyle=1 "},
        {"random with two entries alternates, centred", 1, 1, {0, 1}, {1, 0, 1, 0}, {0, 1}, "dwStyle=0 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        driver::AppFolder folder("rotate-order");  // the stand-in logs paths whether or not the files are there
        const auto pick = [&](const std::vector<int>& indexes, bool asSet) {
            const std::string root = folder.path().substr(0, 3) + (asSet ? "" : "\\") + folder.path().substr(3);
            const char* const names[] = {"\\dawn.bmp", "\\\xC9\xBD\xCB\xAE.jpg", "\\more\\waves.gif"};  // 山水.jpg
            Paths paths;
            for (int i : indexes)
                paths.push_back((i == 2 ? root : folder.path()) + names[i]);
            return paths;
        };
        folder.writeIni(driver::iniText(row.showMode, row.showOrder, 19, 1, 0, pick(row.files, false)));
        driver::Tavrel app(folder);
        ASSERT_TRUE(waitForChanges(folder, 1));
        for (int i = 0; i < 3; ++i)
            app.tick();
        ASSERT_TRUE(waitForChanges(folder, 4));
        Paths expected;  // every call of each change, in order (no such file is drawn)
        for (const std::string& path : pick(row.shown, true))  // as the stand-in logs them, in UTF-8
            expected.insert(expected.end(),
                            {"Create", "SetDesktopItemOptions dwSize=12 fEnableComponents=1 fActiveDesktop=1 reserved=0",
                             std::string("SetWallpaperOptions dwSize=8 ") + row.style + "reserved=0",
                             "SetWallpaper reserved=0 path=" + driver::utf8(driver::longPath(path)),
                             "ApplyChanges flags=7 drawn=0", "Release refs=0"});
        EXPECT_EQ(expected, folder.standinCalls());
        ASSERT_EQ(0u, app.exit().value_or(99));
        EXPECT_EQ(driver::iniText(row.showMode, row.showOrder, 19, 1, 0, pick(row.saved, false)), folder.readIni());
    }
}

}  // namespace
