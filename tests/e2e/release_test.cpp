// The release zip as a Windows user gets it: unpacked into a fresh folder
// whose path has a space, its Tavrel.exe starts with no settings file, shows
// a default picture and saves Tavrel.ini beside itself.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "driver.h"

namespace {

TEST(Release, UnpackedZipRunsWhereItIs)
{
    driver::AppFolder folder("release unpacked");
    ASSERT_TRUE(DeleteFileA(folder.exe().c_str()));  // only what the archive holds
    const char* zip = std::getenv("TAVREL_RELEASE_ZIP");
    ASSERT_NE(nullptr, zip);
    ASSERT_EQ(0u, driver::runUnix(std::string("unzip -q '") + zip + "' -d '" + driver::unixPathOf(folder.path()) + "'",
                                  30000).value_or(99));
    {
        driver::Tavrel app(folder);
        ASSERT_TRUE(folder.waitWallpapers(1));
        const std::string shown = folder.wallpapersSet()[0];
        EXPECT_EQ(0u, shown.rfind(folder.path() + "\\WallPaper\\1024_768\\", 0)) << shown;
        EXPECT_EQ(0u, app.exit().value_or(99));
    }
    EXPECT_NE("<no file>", folder.readIni()) << "no Tavrel.ini beside the exe";
}

}  // namespace
