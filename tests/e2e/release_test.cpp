// The release zip as a Windows user gets it: unpacked into a fresh folder
// whose path has a space, its Tavrel.exe starts with no settings file, shows
// a default picture, saves Tavrel.ini beside itself, and its version
// resource names the project version.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"

namespace {

std::string versionValue(const std::vector<char>& block, const std::string& key)
{
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "(none)";
    return key == "\\" ? std::to_string(HIWORD(reinterpret_cast<VS_FIXEDFILEINFO*>(value)->dwFileVersionMS)) + "." +
                             std::to_string(LOWORD(reinterpret_cast<VS_FIXEDFILEINFO*>(value)->dwFileVersionMS)) + "." +
                             std::to_string(HIWORD(reinterpret_cast<VS_FIXEDFILEINFO*>(value)->dwFileVersionLS)) + "." +
                             std::to_string(LOWORD(reinterpret_cast<VS_FIXEDFILEINFO*>(value)->dwFileVersionLS))
                       : value;
}

TEST(Release, UnpackedZipRunsWhereItIsAndNamesItsVersion)
{
    driver::AppFolder folder("release unpacked");
    ASSERT_TRUE(DeleteFileA(folder.exe().c_str()));  // only what the archive holds
    const char* zip = std::getenv("TAVREL_RELEASE_ZIP");
    ASSERT_NE(nullptr, zip);
    ASSERT_EQ(0u, driver::runUnix(std::string("unzip -q '") + zip + "' -d '" + driver::unixPathOf(folder.path()) + "'",
                                  30000).value_or(99));
    {
        driver::Tavrel app(folder);
        ASSERT_TRUE(driver::waitWallpapers(folder, 1));
        const std::string shown = driver::wallpapersSet(folder)[0];
        EXPECT_EQ(0u, shown.rfind(folder.path() + "\\WallPaper\\1024_768\\", 0)) << shown;
        EXPECT_EQ(0u, app.exit().value_or(99));
    }
    EXPECT_TRUE(folder.readIni().has_value()) << "no Tavrel.ini beside the exe";

    // The version resource, as Explorer's Properties sheet reads it.
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(folder.exe().c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoA(folder.exe().c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    std::string numbers = TAVREL_TEST_VERSION;
    while (std::count(numbers.begin(), numbers.end(), '.') < 3)
        numbers += ".0";
    const struct {
        const char* key;
        std::string value;
    } rows[] = {
        {"ProductName", "Tavrel"},
        {"FileDescription", "Tavrel \xD7\xC0\xC3\xE6\xB1\xDA\xD6\xBD\xB6\xA8\xCA\xB1\xB8\xFC\xBB\xBB"},  // 桌面壁纸定时更换
        {"FileVersion", TAVREL_TEST_VERSION},
        {"ProductVersion", TAVREL_TEST_VERSION},
        {"OriginalFilename", "Tavrel.exe"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.value, versionValue(block, std::string("\\StringFileInfo\\080403a8\\") + row.key)) << row.key;
    EXPECT_EQ(numbers, versionValue(block, "\\")) << "the fixed file version";
}

}  // namespace
