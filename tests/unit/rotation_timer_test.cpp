// The rotation timer's period and the rotation step, with the process-wide
// settings and list, against an Active Desktop of the test's own.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "recording_desktop.h"
#include "rotation/rotation_timer.h"

namespace {

using Paths = std::vector<std::wstring>;

TEST(RotationPeriod, RowsAndRepairs)
{
    struct Row {
        int32_t alteTime;
        UINT periodMs;
        int32_t alteTimeAfter;
        const char* name;
    };
    const Row rows[] = {
        {0, 5000, 0, "row 0, 5 seconds"},
        {12, 1800000, 12, "row 12, 30 minutes"},
        {19, 43200000, 19, "row 19, 12 hours"},
        {20, 1800000, 12, "20 repaired to 12"},
        {-1, 1800000, 12, "-1 repaired to 12"},
        {INT32_MIN, 1800000, 12, "INT32_MIN repaired to 12"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        showSettings.alteTime = row.alteTime;
        EXPECT_EQ(row.periodMs, rotationPeriodMs());
        EXPECT_EQ(row.alteTimeAfter, showSettings.alteTime);
    }
}

class TimerWindow : public testing::Test {
protected:
    void SetUp() override
    {
        window_ = CreateWindowExA(0, "STATIC", "rotation", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, window_);
    }
    void TearDown() override { DestroyWindow(window_); }

    HWND window_ = nullptr;
};

TEST_F(TimerWindow, StartRepairsAlteTimeAndRunsTimer1000)
{
    showSettings.alteTime = 20;
    startRotationTimer(window_);
    EXPECT_EQ(12, showSettings.alteTime);
    // Only a running timer can be killed: its id is 1000, on this window.
    EXPECT_TRUE(KillTimer(window_, 1000));
    EXPECT_FALSE(KillTimer(window_, 1000));
}

// Row 0 really ticks after five seconds, as WM_TIMER 1000 to the window.
TEST_F(TimerWindow, FiveSecondRowTicks)
{
    showSettings.alteTime = 0;
    const ULONGLONG started = GetTickCount64();
    startRotationTimer(window_);
    MSG message = {};
    bool ticked = false;
    while (!ticked && GetTickCount64() - started < 8000) {
        if (PeekMessageA(&message, window_, WM_TIMER, WM_TIMER, PM_REMOVE))
            ticked = true;
        else
            Sleep(20);
    }
    const ULONGLONG elapsed = GetTickCount64() - started;
    KillTimer(window_, 1000);
    ASSERT_TRUE(ticked);
    EXPECT_EQ(1000u, message.wParam);
    EXPECT_GE(elapsed, 4900u);
}

class RotationStep : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        wallpaperList.clear();
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
        for (const char* path : paths)
            wallpaperList.append(path);
    }
};

TEST_F(RotationStep, SequentialWalksAndWraps)
{
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    fill({"C:\\1.bmp", "C:\\2.bmp", "C:\\3.bmp"});
    for (int i = 0; i < 4; ++i)
        onRotationTick(1000);
    EXPECT_EQ((Paths{L"C:\\1.bmp", L"C:\\2.bmp", L"C:\\3.bmp", L"C:\\1.bmp"}), recording::wallpapers());
    EXPECT_STREQ("C:\\2.bmp", wallpaperList.current());
}

TEST_F(RotationStep, StyleIsShowModeAtTheTick)
{
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    fill({"C:\\1.bmp"});
    showSettings.showMode = 1;
    onRotationTick(1000);
    showSettings.showMode = 0;
    onRotationTick(1000);
    EXPECT_EQ((std::vector<DWORD>{0, 1}), recording::styles());
}

TEST_F(RotationStep, RandomWithOneEntryRepeatsIt)
{
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    showSettings.showOrder = 1;
    fill({"C:\\only.bmp"});
    for (int i = 0; i < 3; ++i)
        onRotationTick(1000);
    EXPECT_EQ((Paths{L"C:\\only.bmp", L"C:\\only.bmp", L"C:\\only.bmp"}), recording::wallpapers());
}

TEST_F(RotationStep, RandomWithTwoEntriesAlternates)
{
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    showSettings.showOrder = 1;
    fill({"C:\\1.bmp", "C:\\2.bmp"});
    for (int i = 0; i < 4; ++i)
        onRotationTick(1000);
    EXPECT_EQ((Paths{L"C:\\2.bmp", L"C:\\1.bmp", L"C:\\2.bmp", L"C:\\1.bmp"}), recording::wallpapers());
}

// Steps that must do nothing at all: no object is created and the cursor
// stays where it was.
TEST_F(RotationStep, StepsThatDoNothing)
{
    struct Row {
        UINT_PTR timerId;
        int32_t showOrder;
        bool emptyList;
        const char* name;
    };
    const Row rows[] = {
        {999, 0, false, "timer 999, sequential"},
        {999, 1, false, "timer 999, random"},
        {0, 0, false, "timer 0"},
        {1000, 2, false, "showOrder 2"},
        {1000, -1, false, "showOrder -1"},
        {1000, 0, true, "empty list, sequential"},
        {1000, 1, true, "empty list, random"},
    };
    recording::RegisteredDesktop desktop;
    ASSERT_TRUE(desktop.registered());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        wallpaperList.clear();
        if (!row.emptyList)
            fill({"C:\\1.bmp", "C:\\2.bmp", "C:\\3.bmp"});
        showSettings.showOrder = row.showOrder;
        recording::clearCalls();
        onRotationTick(row.timerId);
        EXPECT_TRUE(recording::calls().empty());
        if (row.emptyList)
            EXPECT_EQ(nullptr, wallpaperList.current());
        else
            EXPECT_STREQ("C:\\1.bmp", wallpaperList.current());
    }
}

// The cursor has moved before the applier runs: a picture that cannot be
// set still counts as shown.
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
