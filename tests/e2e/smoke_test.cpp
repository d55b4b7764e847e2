// The harness itself: the real program starts in a fresh folder, is found by
// its window, and ends with code 0 when told to exit.

#include <gtest/gtest.h>

#include "driver.h"

TEST(Smoke, StartsAndExitsWithZero)
{
    driver::AppFolder folder("smoke");
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    const auto code = app.exit();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(0u, *code);
    EXPECT_TRUE(folder.readIni().has_value());
}

TEST(Smoke, AnsiCodePageIs936)
{
    EXPECT_EQ(936u, GetACP());
}
