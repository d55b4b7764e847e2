// The settings file as loadSettings and saveSettings see it: each option's
// validation, the list read by key name and written from the cursor, what a
// save keeps, and code page 936 paths.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/globals.h"
#include "rotation/wallpaper_list.h"
#include "settings/profile_file.h"
#include "base/module_path.h"
#include "settings/settings_store.h"
#include "test_files.h"

namespace {

// "C:\图片\山水誠.jpg" in GBK; the last character's second byte is 0x5C.
const std::string kGbkPath = "C:\\\xCD\xBC\xC6\xAC\\\xC9\xBD\xCB\xAE\xD5\x5C.jpg";
const std::string kDefaultsFile =
    "[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n";
const std::vector<int32_t> kDefaults = {1, 0, 12, 1, 1};
const char kNoFile[] = "<no file>";

// Every entry once, from the cursor, as the save walks them.
std::vector<std::string> listFromCursor()
{
    std::vector<std::string> seen;
    for (int32_t i = 0, n = wallpaperList.count(); i < n; ++i, wallpaperList.advance())
        seen.emplace_back(wallpaperList.current());
    return seen;
}

std::vector<int32_t> settingsValues()
{
    return {showSettings.showMode, showSettings.showOrder, showSettings.alteTime, showSettings.preview,
            showSettings.autoRun};
}

std::string executableFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

class SettingsFile : public ::testing::Test {
protected:
    // An empty list falls back to pictures beside the executable: there must be none.
    static void SetUpTestSuite()
    {
        ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((executableFolder() + "\\WallPaper").c_str()));
    }
    void SetUp() override { fresh(); }
    void TearDown() override
    {
        wallpaperList.clear();
        showSettings = {};
        for (const std::string& path : made_)
            DeleteFileA(path.c_str());
    }

    // Empty memory and a new file name: the platform caches the files it has read.
    void fresh()
    {
        char folder[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(sizeof folder, folder));
        made_.push_back(std::string(folder) + "tavrel-settings-" + std::to_string(GetCurrentProcessId()) + "-" +
                        std::to_string(made_.size()) + ".ini");
        DeleteFileA(path().c_str());
        wallpaperList.clear();
        showSettings = {};
        ASSERT_TRUE(profileFile.setPath(path().c_str()));
    }
    const std::string& path() const { return made_.back(); }
    void load(const std::string& bytes)
    {
        if (bytes != kNoFile)
            writeBytes(path(), bytes);
        loadSettings();
    }

    std::vector<std::string> made_;
};

TEST_F(SettingsFile, EachOptionIsValidatedByItsOwnRule)
{
    const struct {
        const char* name;
        std::string file;
        std::vector<int32_t> expected;  // showMode, showOrder, alteTime, preview, autoRun
    } rows[] = {
        {"no file", kNoFile, kDefaults},
        {"no keys", "[SETTINGS]\r\n", kDefaults},
        {"all lowest", "[SETTINGS]\r\nSHOWMODE=0\r\nSHOWORDER=0\r\nALTETIME=0\r\nPREVIEW=0\r\nAUTORUN=0\r\n", {0, 0, 0, 0, 0}},
        {"all highest", "[SETTINGS]\r\nSHOWMODE=2\r\nSHOWORDER=1\r\nALTETIME=19\r\nPREVIEW=1\r\nAUTORUN=1\r\n", {2, 1, 19, 1, 1}},
        {"all above", "[SETTINGS]\r\nSHOWMODE=3\r\nSHOWORDER=2\r\nALTETIME=20\r\nPREVIEW=5\r\nAUTORUN=5\r\n", kDefaults},
        {"all below", "[SETTINGS]\r\nSHOWMODE=-1\r\nSHOWORDER=-1\r\nALTETIME=-1\r\nPREVIEW=-7\r\nAUTORUN=-1\r\n", kDefaults},
        {"altetime 4294967295", "[SETTINGS]\r\nALTETIME=4294967295\r\n", kDefaults},
        {"letters read as 0", "[SETTINGS]\r\nSHOWMODE=abc\r\nSHOWORDER=abc\r\nALTETIME=abc\r\nPREVIEW=abc\r\nAUTORUN=abc\r\n", {0, 0, 0, 0, 0}},
        {"leading digits count", "[SETTINGS]\r\nSHOWMODE=2x\r\nALTETIME=7 min\r\n", {2, 0, 7, 1, 1}},
        {"empty values read as missing", "[SETTINGS]\r\nSHOWMODE=\r\nSHOWORDER=\r\nALTETIME=\r\nPREVIEW=\r\nAUTORUN=\r\n", kDefaults},
        {"key names ignore case", "[SETTINGS]\r\nshowmode=2\r\nShowOrder=1\r\naltetime=3\r\n", {2, 1, 3, 1, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fresh();
        load(row.file);
        EXPECT_EQ(row.expected, settingsValues());
        EXPECT_TRUE(wallpaperList.isEmpty());
    }
}

TEST_F(SettingsFile, ListIsReadByKeyNameUntilTheFirstGap)
{
    // 130 GBK characters are 260 bytes: one too many, and a cut could fall inside one.
    std::string gbk260;
    for (int i = 0; i < 130; ++i)
        gbk260 += "\xC9\xBD";
    const std::string a259(259, 'a');
    const struct {
        const char* name;
        std::string fileList;  // lines of the FILELIST section
        std::vector<std::string> expected;
    } rows[] = {
        {"decimal key names, repeated paths", "0=A\r\n1=B\r\n2=C\r\n3=D\r\n4=E\r\n5=F\r\n6=G\r\n7=H\r\n8=I\r\n9=J\r\n10=A\r\n",
         {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "A"}},
        {"line of 1 before 0", "1=B\r\n0=A\r\n", {"A", "B"}},
        {"gap after 1", "0=A\r\n1=B\r\n3=D\r\n", {"A", "B"}},
        {"no key 0", "1=B\r\n2=C\r\n", {}},
        {"leading zeros and signs are other keys", "00=X\r\n01=Y\r\n+2=Z\r\n0=A\r\n1=B\r\n", {"A", "B"}},
        {"empty value of key 0", "0=\r\n1=B\r\n2=C\r\n", {}},
        {"empty value ends the list", "0=A\r\n1=\r\n2=C\r\n", {"A"}},
        {"259 bytes fit", "0=A\r\n1=" + a259 + "\r\n2=C\r\n", {"A", a259, "C"}},
        {"260 bytes passed over", "0=A\r\n1=" + a259 + "b\r\n2=C\r\n", {"A", "C"}},
        {"260 bytes of GBK passed over, then a gap", "0=A\r\n1=" + gbk260 + "\r\n2=C\r\n4=E\r\n", {"A", "C"}},
        {"259 bytes of GBK and ASCII", "0=" + gbk260.substr(2) + "z\r\n", {gbk260.substr(2) + "z"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fresh();
        load("[FILELIST]\r\n" + row.fileList);
        EXPECT_EQ(row.expected, listFromCursor());
        if (!row.expected.empty()) {
            EXPECT_STREQ(row.expected.front().c_str(), wallpaperList.current());
        }
    }
}

TEST_F(SettingsFile, ListIsSavedFromTheCursorAndLoadsBackThere)
{
    for (const char* path : {"P", "Q", "R", "S", "T"})
        wallpaperList.append(path);
    wallpaperList.advance();
    wallpaperList.advance();
    saveSettings();
    EXPECT_EQ("[SETTINGS]\r\nSHOWMODE=0\r\nSHOWORDER=0\r\nALTETIME=0\r\nPREVIEW=0\r\nAUTORUN=0\r\n"
              "[FILELIST]\r\n0=R\r\n1=S\r\n2=T\r\n3=P\r\n4=Q\r\n",
              readBytes(path()));
    EXPECT_STREQ("R", wallpaperList.current()) << "the save leaves the cursor where it was";
    wallpaperList.clear();
    loadSettings();
    EXPECT_EQ((std::vector<std::string>{"R", "S", "T", "P", "Q"}), listFromCursor());
}

TEST_F(SettingsFile, SaveWritesTheValidatedOptionsAndTheListAndKeepsTheRest)
{
    const struct {
        const char* name;
        std::string file;
        bool emptyTheList;
        std::string expected;
    } rows[] = {
        {"no file: defaults in key order, no list", kNoFile, false, kDefaultsFile},
        {"validated options", "[SETTINGS]\r\nSHOWMODE=2\r\nSHOWORDER=7\r\nALTETIME=19\r\nPREVIEW=9\r\nAUTORUN=0\r\n", false,
         "[SETTINGS]\r\nSHOWMODE=2\r\nSHOWORDER=0\r\nALTETIME=19\r\nPREVIEW=1\r\nAUTORUN=0\r\n"},
        {"emptied list removes the section", kDefaultsFile + "[FILELIST]\r\n0=A\r\n1=B\r\n", true, kDefaultsFile},
        {"other sections and keys kept, the list replaced",
         "[OTHER]\r\nX=1\r\n[SETTINGS]\r\nSHOWMODE=2\r\nEXTRA=keep me\r\n"
         "[FILELIST]\r\n0=A\r\n1=B\r\n3=D\r\nname=Z\r\n[TAIL]\r\nY=2\r\n",
         false,
         "[OTHER]\r\nX=1\r\n[SETTINGS]\r\nSHOWMODE=2\r\nEXTRA=keep me\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\n"
         "AUTORUN=1\r\n[TAIL]\r\nY=2\r\n[FILELIST]\r\n0=A\r\n1=B\r\n"},
        {"code page 936 path byte for byte", kDefaultsFile + "[FILELIST]\r\n0=" + kGbkPath + "\r\n1=B\r\n", false,
         kDefaultsFile + "[FILELIST]\r\n0=" + kGbkPath + "\r\n1=B\r\n"},
    };
    ASSERT_EQ(936u, GetACP());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fresh();
        load(row.file);
        if (row.emptyTheList)
            wallpaperList.clear();
        saveSettings();
        EXPECT_EQ(row.expected, readBytes(path()));
    }
}

// The settings file's folder comes from the executable's path: one that does
// not fit must be refused, not cut into another folder.
TEST(ModulePath, PathThatDoesNotFitIsRefusedNotCut)
{
    char full[MAX_PATH];
    ASSERT_TRUE(executablePath(full, sizeof full));
    const size_t length = std::strlen(full);
    const struct {
        const char* name;
        size_t size;
        bool fits;
    } rows[] = {{"room for the terminator", length + 1, true},
                {"no room for the terminator", length, false},
                {"half the path", length / 2, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<char> out(row.size + 8, 'x');
        EXPECT_EQ(row.fits, executablePath(out.data(), row.size));
        EXPECT_STREQ(row.fits ? full : "", out.data());
        EXPECT_EQ('x', out[row.size]) << "written past the buffer";
        EXPECT_EQ(row.fits, executableDirectory(out.data(), row.size));
    }
    ASSERT_TRUE(executableDirectory(full, sizeof full));
    EXPECT_EQ(executableFolder(), full);
}

}  // namespace
