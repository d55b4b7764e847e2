// The wallpaper applier against an Active Desktop of the test's own: the
// exact calls, their values and their order.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "recording_desktop.h"
#include "rotation/wallpaper_applier.h"

namespace {

using Calls = std::vector<std::string>;

class Applier : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(Applier, CallsInOrderWithTheValuesOfOneChange)
{
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    applyWallpaper("C:\\pictures\\a.bmp", 0);
    const Calls expected = {
        "Create",
        "SetDesktopItemOptions 12 1 1 0",
        "SetWallpaperOptions 8 1 0",
        "SetWallpaper 0",
        "ApplyChanges 7",
        "Release 0",
    };
    EXPECT_EQ(expected, recording::calls());
    ASSERT_EQ(1u, recording::wallpapers().size());
    EXPECT_EQ(L"C:\\pictures\\a.bmp", recording::wallpapers()[0]);
}

TEST_F(Applier, StyleFollowsShowMode)
{
    struct Row {
        int32_t showMode;
        DWORD style;
        const char* name;
    };
    const Row rows[] = {
        {0, 1, "0 tiled, WPSTYLE_TILE"},
        {1, 0, "1 centred, WPSTYLE_CENTER"},
        {2, 2, "2 stretched, WPSTYLE_STRETCH"},
        {5, 2, "5 out of range"},
        {-1, 2, "-1 out of range"},
    };
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        recording::clearCalls();
        applyWallpaper("C:\\a.bmp", row.showMode);
        ASSERT_EQ(1u, recording::styles().size());
        EXPECT_EQ(row.style, recording::styles()[0]);
        EXPECT_EQ(6u, recording::calls().size());
    }
}

// The path's bytes are read in the ANSI code page (936 here): a GBK path
// arrives as the right characters, not as bytes widened one by one.
TEST_F(Applier, PathIsConvertedThroughTheAnsiCodePage)
{
    ASSERT_EQ(936u, GetACP());
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    // "C:\壁纸\晚霞.bmp" in code page 936.
    applyWallpaper("C:\\\xB1\xDA\xD6\xBD\\\xCD\xED\xCF\xBC.bmp", 2);
    ASSERT_EQ(1u, recording::wallpapers().size());
    EXPECT_EQ(L"C:\\\x58C1\x7EB8\\\x665A\x971E.bmp", recording::wallpapers()[0]);
}

TEST_F(Applier, LongestPathArrivesWhole)
{
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    const std::string path = "C:\\" + std::string(252, 'x') + ".bmp";  // 259 bytes
    applyWallpaper(path.c_str(), 1);
    ASSERT_EQ(1u, recording::wallpapers().size());
    EXPECT_EQ(std::wstring(path.begin(), path.end()), recording::wallpapers()[0]);
}

// A path with no terminator within its 260 bytes gives no string: the
// object is released without SetWallpaper and ApplyChanges.
TEST_F(Applier, PathWithoutTerminatorSetsNothing)
{
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    char unterminated[261];
    std::fill(std::begin(unterminated), std::end(unterminated), 'a');
    unterminated[260] = '\0';  // beyond the path's 260 bytes, never to be read
    applyWallpaper(unterminated, 0);
    const Calls expected = {
        "Create",
        "SetDesktopItemOptions 12 1 1 0",
        "SetWallpaperOptions 8 1 0",
        "Release 0",
    };
    EXPECT_EQ(expected, recording::calls());
}

TEST_F(Applier, NoObjectMeansNoOtherCall)
{
    struct Row {
        recording::Creation creation;
        const char* name;
    };
    const Row rows[] = {
        {recording::Creation::Fails, "creation fails"},
        {recording::Creation::SucceedsEmpty, "S_OK without an interface"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        recording::RegisteredDesktop desktop(row.creation);
        ASSERT_TRUE(desktop.registered());
        applyWallpaper("C:\\a.bmp", 0);
        EXPECT_EQ(Calls{"Create"}, recording::calls());
    }
}

TEST_F(Applier, EveryChangeCreatesItsOwnObject)
{
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    applyWallpaper("C:\\a.bmp", 0);
    applyWallpaper("C:\\b.bmp", 1);
    const Calls& calls = recording::calls();
    ASSERT_EQ(12u, calls.size());
    EXPECT_EQ("Create", calls[6]);
    EXPECT_EQ("SetDesktopItemOptions 12 1 1 0", calls[7]);
    EXPECT_EQ("Release 0", calls[11]);
}

}  // namespace
