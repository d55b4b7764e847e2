// The wallpaper applier against an Active Desktop of the test's own: the
// exact calls, their values and their order.

#include <gtest/gtest.h>

#include <windows.h>

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

TEST_F(Applier, EveryChangeCallsInOrderWithItsStyleAndPath)
{
    ASSERT_EQ(936u, GetACP());
    const std::string longest = "C:\\" + std::string(252, 'x') + ".bmp";  // 259 bytes
    char unterminated[261];
    std::string(260, 'a').copy(unterminated, 260);
    unterminated[260] = '\0';  // beyond the path's 260 bytes, never to be read
    struct Row {
        const char* name;
        int32_t showMode;
        DWORD style;
        const char* path;
        std::string set;  // as UTF-8; empty: no SetWallpaper nor ApplyChanges
    };
    const Row rows[] = {
        {"0 tiled", 0, 1, "C:\\pictures\\a.bmp", "C:\\pictures\\a.bmp"},
        // Read in the ANSI code page, not widened byte by byte.
        {"1 centred, GBK path", 1, 0, "C:\\\xB1\xDA\xD6\xBD\\\xCD\xED\xCF\xBC.bmp", "C:\\壁纸\\晚霞.bmp"},
        {"2 stretched, longest path", 2, 2, longest.c_str(), longest},
        {"5 out of range", 5, 2, "C:\\a.bmp", "C:\\a.bmp"},
        {"-1 out of range", -1, 2, "C:\\a.bmp", "C:\\a.bmp"},
        {"no terminator within 260 bytes", 0, 1, unterminated, ""},
    };
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        recording::clearCalls();
        applyWallpaper(row.path, row.showMode);
        // Each change creates its own object.
        Calls expected = {"Create", "SetDesktopItemOptions 12 1 1 0",
                          "SetWallpaperOptions 8 " + std::to_string(row.style) + " 0"};
        if (!row.set.empty())
            expected.insert(expected.end(), {"SetWallpaper 0 " + row.set, "ApplyChanges 7"});
        expected.push_back("Release 0");
        EXPECT_EQ(expected, recording::calls());
    }
}

TEST_F(Applier, NoObjectMeansNoOtherCall)
{
    for (recording::Creation creation : {recording::Creation::Fails, recording::Creation::SucceedsEmpty}) {
        SCOPED_TRACE(creation == recording::Creation::Fails ? "creation fails" : "S_OK without an interface");
        recording::RegisteredDesktop desktop(creation);
        ASSERT_TRUE(desktop.registered());
        applyWallpaper("C:\\a.bmp", 0);
        EXPECT_EQ(Calls{"Create"}, recording::calls());
    }
}

}  // namespace
