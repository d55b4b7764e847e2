// The settings file as the program reads and writes it: the validation of
// every option, the playlist read by key name and written from the cursor,
// what a save keeps and what it replaces, and code page 936 paths.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "settings/module_path.h"
#include "settings/settings_store.h"
#include "test_files.h"

namespace {

// "C:\图片\山水誠.jpg" in GBK; the last character's second byte is 0x5C.
const std::string kGbkPath = "C:\\\xCD\xBC\xC6\xAC\\\xC9\xBD\xCB\xAE\xD5\x5C.jpg";

const char kDefaultsFile[] =
    "[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n";

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The walk saving relies on: every entry once, from the cursor.
std::vector<std::string> listFromCursor()
{
    std::vector<std::string> seen;
    const int32_t n = wallpaperList.count();
    for (int32_t i = 0; i < n; ++i) {
        seen.emplace_back(wallpaperList.current());
        wallpaperList.advance();
    }
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
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

class SettingsFile : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // An empty list falls back to the pictures beside the executable;
        // this test program has none, so an empty list stays empty.
        ASSERT_FALSE(fileExists(executableFolder() + "\\WallPaper"));
    }

    void SetUp() override
    {
        char folder[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(sizeof folder, folder));
        static int counter = 0;
        // A fresh name per case: the platform caches the files it has read.
        path_ = std::string(folder) + "tavrel-settings-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter) + ".ini";
        DeleteFileA(path_.c_str());
        reset();
        ASSERT_TRUE(profileFile.setPath(path_.c_str()));
    }

    void TearDown() override
    {
        reset();
        DeleteFileA(path_.c_str());
    }

    static void reset()
    {
        wallpaperList.clear();
        showSettings = {};
    }

    void load(const std::string& bytes)
    {
        writeBytes(path_, bytes);
        loadSettings();
    }

    std::string saved()
    {
        saveSettings();
        return readBytes(path_);
    }

    // The FILELIST section as "key=value" lines, in file order.
    std::vector<std::string> savedFileList() const
    {
        std::vector<char> buffer(1 << 16);
        const DWORD length = GetPrivateProfileSectionA("FILELIST", buffer.data(),
                                                       static_cast<DWORD>(buffer.size()), path_.c_str());
        std::vector<std::string> lines;
        for (DWORD at = 0; at < length && buffer[at];) {
            lines.emplace_back(&buffer[at]);
            at += static_cast<DWORD>(lines.back().size()) + 1;
        }
        return lines;
    }

    std::string path_;
};

struct OptionCase {
    const char* name;
    const char* settings;  // lines of the SETTINGS section
    std::vector<int32_t> expected;  // showMode, showOrder, alteTime, preview, autoRun
};

TEST_F(SettingsFile, EachOptionIsValidatedByItsOwnRule)
{
    const OptionCase cases[] = {
        {"no keys", "", {1, 0, 12, 1, 1}},
        {"all lowest", "SHOWMODE=0\r\nSHOWORDER=0\r\nALTETIME=0\r\nPREVIEW=0\r\nAUTORUN=0\r\n", {0, 0, 0, 0, 0}},
        {"all highest", "SHOWMODE=2\r\nSHOWORDER=1\r\nALTETIME=19\r\nPREVIEW=1\r\nAUTORUN=1\r\n", {2, 1, 19, 1, 1}},
        {"showmode 3", "SHOWMODE=3\r\n", {1, 0, 12, 1, 1}},
        {"showmode -1", "SHOWMODE=-1\r\n", {1, 0, 12, 1, 1}},
        {"showorder 2", "SHOWORDER=2\r\n", {1, 0, 12, 1, 1}},
        {"showorder -1", "SHOWORDER=-1\r\n", {1, 0, 12, 1, 1}},
        {"altetime 20", "ALTETIME=20\r\n", {1, 0, 12, 1, 1}},
        {"altetime -1", "ALTETIME=-1\r\n", {1, 0, 12, 1, 1}},
        {"altetime 4294967295", "ALTETIME=4294967295\r\n", {1, 0, 12, 1, 1}},
        {"preview 5", "PREVIEW=5\r\n", {1, 0, 12, 1, 1}},
        {"preview -7", "PREVIEW=-7\r\n", {1, 0, 12, 1, 1}},
        {"preview 0", "PREVIEW=0\r\n", {1, 0, 12, 0, 1}},
        {"autorun 5", "AUTORUN=5\r\n", {1, 0, 12, 1, 1}},
        {"autorun 0", "AUTORUN=0\r\n", {1, 0, 12, 1, 0}},
        {"letters read as 0",
         "SHOWMODE=abc\r\nSHOWORDER=abc\r\nALTETIME=abc\r\nPREVIEW=abc\r\nAUTORUN=abc\r\n",
         {0, 0, 0, 0, 0}},
        {"leading digits count", "SHOWMODE=2x\r\nALTETIME=7 min\r\n", {2, 0, 7, 1, 1}},
        {"empty values read as missing",
         "SHOWMODE=\r\nSHOWORDER=\r\nALTETIME=\r\nPREVIEW=\r\nAUTORUN=\r\n", {1, 0, 12, 1, 1}},
        {"key names ignore case", "showmode=2\r\nShowOrder=1\r\naltetime=3\r\n", {2, 1, 3, 1, 1}},
    };
    for (const OptionCase& row : cases) {
        SCOPED_TRACE(row.name);
        reset();
        ASSERT_TRUE(profileFile.setPath((path_ + "." + row.name).c_str()));
        writeBytes(profileFile.path(), std::string("[SETTINGS]\r\n") + row.settings);
        loadSettings();
        EXPECT_EQ(row.expected, settingsValues());
        DeleteFileA(profileFile.path());
    }
}

TEST_F(SettingsFile, MissingFileGivesDefaultsAndAnEmptyList)
{
    loadSettings();
    EXPECT_EQ((std::vector<int32_t>{1, 0, 12, 1, 1}), settingsValues());
    EXPECT_TRUE(wallpaperList.isEmpty());
}

struct ListCase {
    const char* name;
    const char* fileList;  // lines of the FILELIST section
    std::vector<std::string> expected;
};

TEST_F(SettingsFile, ListIsReadByKeyNameUntilTheFirstGap)
{
    const ListCase cases[] = {
        {"in order", "0=A\r\n1=B\r\n2=C\r\n", {"A", "B", "C"}},
        {"line of 1 before 0", "1=B\r\n0=A\r\n", {"A", "B"}},
        {"gap after 1", "0=A\r\n1=B\r\n3=D\r\n", {"A", "B"}},
        {"no key 0", "1=B\r\n2=C\r\n", {}},
        {"leading zeros are other keys", "00=X\r\n01=Y\r\n", {}},
        {"leading zeros beside real keys", "01=Y\r\n0=A\r\n00=X\r\n1=B\r\n", {"A", "B"}},
        {"empty value of key 0", "0=\r\n1=B\r\n2=C\r\n", {}},
        {"empty value ends the list", "0=A\r\n1=\r\n2=C\r\n", {"A"}},
        {"sign is another key", "0=A\r\n+1=B\r\n", {"A"}},
        {"key names are decimal", "0=A\r\n1=B\r\n2=C\r\n3=D\r\n4=E\r\n5=F\r\n6=G\r\n7=H\r\n8=I\r\n9=J\r\n10=K\r\n",
         {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K"}},
        {"same path twice", "0=A\r\n1=A\r\n", {"A", "A"}},
        {"spaces around the value go", "0 = C:\\a b.jpg \r\n", {"C:\\a b.jpg"}},
        {"tabs around key and value go", "\t0\t=\tA\t\r\n 1=B\r\n", {"A", "B"}},
        {"quotes around the whole value go", "0=\"C:\\a b.jpg\"\r\n1=\"B\r\n2=C\"\r\n",
         {"C:\\a b.jpg", "\"B", "C\""}},
        {"value holding an equals sign", "0=A=B\r\n1= \r\n2=C\r\n", {"A=B"}},
        {"key given twice: the first counts", "0=A\r\n1=B\r\n0=C\r\n", {"A", "B"}},
        {"key without equals sign ends the list", "0\r\n1=B\r\n", {}},
        {"comment-like line is another key", ";0=X\r\n0=A\r\n", {"A"}},
        {"second section of the same name is not read", "0=A\r\n[filelist]\r\n1=B\r\n", {"A"}},
    };
    for (const ListCase& row : cases) {
        SCOPED_TRACE(row.name);
        reset();
        ASSERT_TRUE(profileFile.setPath((path_ + "." + row.name).c_str()));
        writeBytes(profileFile.path(), std::string("[FILELIST]\r\n") + row.fileList);
        loadSettings();
        EXPECT_EQ(row.expected, listFromCursor());
        if (!row.expected.empty()) {
            EXPECT_STREQ(row.expected.front().c_str(), wallpaperList.current());
        }
        DeleteFileA(profileFile.path());
    }
}

TEST_F(SettingsFile, ListIsSavedFromTheCursorAndLoadsBackThere)
{
    for (const char* path : {"P", "Q", "R", "S", "T"})
        wallpaperList.append(path);
    wallpaperList.advance();
    wallpaperList.advance();
    saveSettings();
    EXPECT_EQ((std::vector<std::string>{"0=R", "1=S", "2=T", "3=P", "4=Q"}), savedFileList());
    EXPECT_STREQ("R", wallpaperList.current()) << "the save leaves the cursor where it was";

    reset();
    loadSettings();
    EXPECT_STREQ("R", wallpaperList.current());
    EXPECT_EQ((std::vector<std::string>{"R", "S", "T", "P", "Q"}), listFromCursor());
}

TEST_F(SettingsFile, DefaultsAreSavedInKeyOrderWithoutAList)
{
    loadSettings();
    EXPECT_EQ(kDefaultsFile, saved());
}

TEST_F(SettingsFile, SavedOptionsAreTheValidatedOnes)
{
    load("[SETTINGS]\r\nSHOWMODE=2\r\nSHOWORDER=7\r\nALTETIME=19\r\nPREVIEW=9\r\nAUTORUN=0\r\n");
    EXPECT_EQ("[SETTINGS]\r\nSHOWMODE=2\r\nSHOWORDER=0\r\nALTETIME=19\r\nPREVIEW=1\r\nAUTORUN=0\r\n", saved());
}

TEST_F(SettingsFile, EmptiedListRemovesTheSection)
{
    load(std::string(kDefaultsFile) + "[FILELIST]\r\n0=A\r\n1=B\r\n");
    ASSERT_EQ(2, wallpaperList.count());
    wallpaperList.clear();
    EXPECT_EQ(kDefaultsFile, saved());
}

TEST_F(SettingsFile, SaveKeepsForeignSectionsAndKeysButReplacesTheList)
{
    load("[OTHER]\r\nX=1\r\n"
         "[SETTINGS]\r\nSHOWMODE=2\r\nEXTRA=keep me\r\n"
         "[FILELIST]\r\n0=A\r\n1=B\r\n3=D\r\nname=Z\r\n"
         "[TAIL]\r\nY=2\r\n");
    const std::string bytes = saved();
    EXPECT_NE(std::string::npos, bytes.find("[OTHER]\r\nX=1\r\n")) << bytes;
    EXPECT_NE(std::string::npos, bytes.find("[TAIL]\r\nY=2\r\n")) << bytes;
    EXPECT_NE(std::string::npos, bytes.find("[SETTINGS]\r\nSHOWMODE=2\r\nEXTRA=keep me\r\n")) << bytes;
    EXPECT_EQ((std::vector<std::string>{"0=A", "1=B"}), savedFileList()) << bytes;
    EXPECT_EQ(4, std::count(bytes.begin(), bytes.end(), '[')) << "one FILELIST section: " << bytes;
}

TEST_F(SettingsFile, CodePage936PathSurvivesLoadAndSaveByteForByte)
{
    ASSERT_EQ(936u, GetACP());
    load(std::string(kDefaultsFile) + "[FILELIST]\r\n0=" + kGbkPath + "\r\n1=B\r\n");
    ASSERT_STREQ(kGbkPath.c_str(), wallpaperList.current());
    EXPECT_EQ(std::string(kDefaultsFile) + "[FILELIST]\r\n0=" + kGbkPath + "\r\n1=B\r\n", saved());
}

struct LongValueCase {
    const char* name;
    std::string fileList;
    std::vector<std::string> expected;
};

TEST_F(SettingsFile, ValueTooLongForAPathIsSkippedNotCut)
{
    // 130 GBK characters are 260 bytes: one too many, and a cut could fall
    // inside a character.
    std::string chinese;
    for (int i = 0; i < 130; ++i)
        chinese += "\xC9\xBD";
    const std::string longest(259, 'a');
    const std::string longestGbk = chinese.substr(2) + "z";
    const LongValueCase cases[] = {
        {"259 bytes fit", "0=A\r\n1=" + longest + "\r\n2=C\r\n", {"A", longest, "C"}},
        {"260 bytes in the middle", "0=A\r\n1=" + longest + "b\r\n2=C\r\n", {"A", "C"}},
        {"300 bytes first", "0=" + std::string(300, 'x') + "\r\n1=B\r\n", {"B"}},
        {"260 bytes of GBK", "0=A\r\n1=" + chinese + "\r\n2=C\r\n", {"A", "C"}},
        {"259 bytes of GBK and ASCII", "0=" + longestGbk + "\r\n", {longestGbk}},
        {"too long then a gap", "0=A\r\n1=" + chinese + "\r\n3=D\r\n", {"A"}},
    };
    int n = 0;
    for (const LongValueCase& row : cases) {
        SCOPED_TRACE(row.name);
        reset();
        ASSERT_TRUE(profileFile.setPath((path_ + "." + std::to_string(++n)).c_str()));
        writeBytes(profileFile.path(), "[FILELIST]\r\n" + row.fileList);
        loadSettings();
        EXPECT_EQ(row.expected, listFromCursor());
        DeleteFileA(profileFile.path());
    }
}

TEST_F(SettingsFile, PathThatDoesNotFitIsRefusedAndNothingIsReadOrWritten)
{
    const std::string tooLong = path_ + std::string(260, 'x') + ".ini";
    EXPECT_FALSE(profileFile.setPath(tooLong.c_str()));
    EXPECT_FALSE(profileFile.hasPath());
    loadSettings();
    EXPECT_EQ((std::vector<int32_t>{1, 0, 12, 1, 1}), settingsValues());
    wallpaperList.append("A");
    saveSettings();
    EXPECT_FALSE(fileExists(path_));
    EXPECT_FALSE(fileExists(tooLong));
}

// The settings file's folder comes from the executable's own path; a path
// that does not fit its buffer must be refused, not cut into another folder.
TEST(ModulePath, PathThatDoesNotFitIsRefusedNotCut)
{
    char full[MAX_PATH];
    ASSERT_TRUE(executablePath(full, sizeof full));
    const size_t length = std::strlen(full);
    struct Row {
        const char* name;
        size_t size;
        bool fits;
    } rows[] = {
        {"room for the terminator", length + 1, true},
        {"no room for the terminator", length, false},
        {"half the path", length / 2, false},
    };
    for (const Row& row : rows) {
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
