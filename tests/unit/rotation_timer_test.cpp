// The rotation timer's period and the rotation step, with the process-wide
// settings and list, against an Active Desktop of the test's own. The steps
// in order are shown on the real program (e2e rotation_test).

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/globals.h"
#include "rotation/wallpaper_list.h"
#include "settings/profile_file.h"
#include "import_slot.h"
#include "recording_desktop.h"
#include "rotation/rotation_timer.h"

namespace {

IMPORT_SLOT(SetTimer, 16);
UINT periodAsked = 0;
decltype(&SetTimer) realSetTimer = nullptr;
UINT_PTR WINAPI recordingSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc)
{
    periodAsked = period;
    return realSetTimer(window, id, period, proc);
}

TEST(RotationTimer, PeriodRowsRepairsAndTimer1000)
{
    struct Row {
        int32_t alteTime;
        UINT periodMs;
        int32_t alteTimeAfter;
    };
    const Row rows[] = {
        {0, 5000, 0}, {12, 1800000, 12}, {19, 43200000, 19}, {20, 1800000, 12}, {-1, 1800000, 12},
        {INT32_MIN, 1800000, 12},
    };
    HWND window = CreateWindowExA(0, "STATIC", "rotation", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    for (const Row& row : rows) {
        SCOPED_TRACE("alteTime " + std::to_string(row.alteTime));
        showSettings.alteTime = row.alteTime;
        periodAsked = 0;
        {
            ImportRedirect<decltype(&SetTimer)> redirect(SetTimer_slot, recordingSetTimer);
            realSetTimer = redirect.original();
            startRotationTimer(window);
        }
        EXPECT_EQ(row.periodMs, periodAsked);
        EXPECT_EQ(row.alteTimeAfter, showSettings.alteTime);
        // Only a running timer can be killed: its id is 1000, on this window.
        EXPECT_TRUE(KillTimer(window, 1000));
        EXPECT_FALSE(KillTimer(window, 1000));
    }
    DestroyWindow(window);
}

class RotationStep : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        showSettings.showMode = 0;
        showSettings.showOrder = 0;
    }
    void TearDown() override
    {
        wallpaperList.clear();
        CoUninitialize();
    }
    static void fill(std::initializer_list<const char*> paths)
    {
        wallpaperList.clear();
        for (const char* path : paths)
            wallpaperList.append(path);
    }
};

// The style is read at each tick, not kept from the start.
TEST_F(RotationStep, StyleIsShowModeAtTheTick)
{
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    fill({"C:\\1.bmp"});
    showSettings.showMode = 1;
    onRotationTick(1000);
    showSettings.showMode = 0;
    onRotationTick(1000);
    const std::vector<std::string>& calls = recording::calls();
    ASSERT_EQ(12u, calls.size());
    EXPECT_EQ("SetWallpaperOptions 8 0 0", calls[2]);
    EXPECT_EQ("SetWallpaperOptions 8 1 0", calls[8]);
}

// No object is created and the cursor stays where it was.
TEST_F(RotationStep, StepsThatDoNothing)
{
    struct Row {
        UINT_PTR timerId;
        int32_t showOrder;
        bool emptyList;
        const char* name;
    };
    const Row rows[] = {
        {999, 0, false, "timer 999, sequential"}, {999, 1, false, "timer 999, random"},
        {0, 0, false, "timer 0"},                 {1000, 2, false, "showOrder 2"},
        {1000, -1, false, "showOrder -1"},        {1000, 0, true, "empty list, sequential"},
        {1000, 1, true, "empty list, random"},
    };
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fill({"C:\\1.bmp", "C:\\2.bmp", "C:\\3.bmp"});
        if (row.emptyList)
            wallpaperList.clear();
        showSettings.showOrder = row.showOrder;
        recording::clearCalls();
        onRotationTick(row.timerId);
        EXPECT_TRUE(recording::calls().empty());
        EXPECT_STREQ(row.emptyList ? nullptr : "C:\\1.bmp", wallpaperList.current());
    }
}

// The cursor moves before the applier runs: a picture that cannot be set
// still counts as shown.
TEST_F(RotationStep, FailedChangeStillMovesOn)
{
    recording::RegisteredDesktop desktop(recording::Creation::Fails);
    ASSERT_TRUE(desktop.registered());
    fill({"C:\\1.bmp", "C:\\2.bmp"});
    onRotationTick(1000);
    EXPECT_EQ(std::vector<std::string>{"Create"}, recording::calls());
    EXPECT_STREQ("C:\\2.bmp", wallpaperList.current());
}

}  // namespace
