// The harness itself: the real program starts in a fresh folder, is found by
// its window and ends with code 0; the code page; commands on the Linux side.

#include <gtest/gtest.h>

#include "driver.h"

TEST(Smoke, StartsAndExitsWithZero)
{
    driver::AppFolder folder("smoke");
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    EXPECT_EQ(std::optional<DWORD>(0), app.exit());
    EXPECT_TRUE(folder.readIni().has_value());
    EXPECT_EQ(936u, GetACP());
}

TEST(Smoke, LinuxCommandsRunToTheEndWithTheirExitCode)
{
    EXPECT_EQ(std::optional<DWORD>(3), driver::runUnix("exit 3"));
    // Quotes and spaces reach the shell intact, and the command has ended.
    const std::string file = driver::artifactDir() + "\\unix output.txt";
    DeleteFileA(file.c_str());
    ASSERT_EQ(std::optional<DWORD>(0),
              driver::runUnix("sleep 0.3; printf 'a \"b\"' > '" + driver::unixPathOf(file) + "'"));
    EXPECT_EQ(std::optional<std::string>("a \"b\""), driver::readFileBytes(file));
    DeleteFileA(file.c_str());
}
