// Bad input on the real program: broken settings files, broken pictures,
// odd wallpaper folders, a folder it may not write, and a save killed half
// way. In every case it runs, its dialog opens and closes, it exits with 0,
// and the settings file is the old one whole or a complete new one.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "driver.h"

namespace {

constexpr WORD kSettingsCommand = 32771;
constexpr int kFileList = 1000;

// The settings dialog opens, shows each row's picture, and closes.
void openAndCancelSettings(const driver::Tavrel& app)
{
    app.command(kSettingsCommand);
    HWND dialog = driver::waitForWindow(app.pid(), "", driver::kDialogClass);
    ASSERT_NE(nullptr, dialog);
    HWND box = GetDlgItem(dialog, kFileList);
    const LRESULT rows = SendMessageA(box, LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < rows && row < 8; ++row) {
        SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFileList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(driver::waitGone(dialog));
}

// A settings file the program wrote whole: the five keys and a final line end.
void expectCompleteFile(const driver::AppFolder& folder, const char* name)
{
    const auto bytes = folder.readIni();
    ASSERT_TRUE(bytes.has_value()) << name;
    EXPECT_GE(bytes->size(), 2u) << name;
    // The platform keeps a file's UTF-16 mark, and its line ends with it.
    const bool wide = bytes->size() >= 2 && bytes->compare(0, 2, "\xFF\xFE") == 0;
    const std::string lineEnd = wide ? std::string("\r\0\n\0", 4) : "\r\n";
    if (bytes->size() >= lineEnd.size()) {
        EXPECT_EQ(lineEnd, bytes->substr(bytes->size() - lineEnd.size())) << name;
    }
    for (const char* key : {"SHOWMODE", "SHOWORDER", "ALTETIME", "PREVIEW", "AUTORUN"}) {
        EXPECT_NE(static_cast<UINT>(-1), GetPrivateProfileIntA("SETTINGS", key, -1, folder.ini().c_str()))
            << name << " " << key;
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder.path() + "\\Tavrel.new").c_str())) << name;
}

void runOpenAndExit(const driver::AppFolder& folder, const char* name)
{
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window()) << name;
    openAndCancelSettings(app);
    const auto code = app.exit(30000);
    ASSERT_TRUE(code.has_value()) << name << ": no exit";
    EXPECT_EQ(0u, *code) << name;
}

std::string listFile(const std::vector<std::string>& paths, int alteTime = 19)
{
    std::string text = "[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nALTETIME=" + std::to_string(alteTime) +
                       "\r\nPREVIEW=1\r\nAUTORUN=0\r\n[FILELIST]\r\n";
    for (size_t i = 0; i < paths.size(); ++i)
        text += std::to_string(i) + "=" + paths[i] + "\r\n";
    return text;
}

std::string garbage(size_t size)
{
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 214013u + 2531011u;
        c = static_cast<char>(state >> 16);
    }
    return bytes;
}

std::string numberedList(int n)
{
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i)
        paths.push_back("D:\\\xCD\xBC\xC6\xAC\\IMG_" + std::to_string(i) + ".jpg");
    return listFile(paths);
}

struct IniRow {
    const char* name;
    std::string ini;
};

TEST(BadInput, SettingsFiles)
{
    const std::string a260 = "C:\\" + std::string(253, 'x') + ".bmp";  // 260 bytes
    const std::string a300 = "C:\\" + std::string(293, 'y') + ".bmp";  // 300 bytes
    const IniRow rows[] = {
        {"empty", ""},
        {"binary garbage", garbage(4096)},
        {"garbage with a UTF-16 mark", "\xFF\xFE" + garbage(3000)},
        {"100 KB line", "[SETTINGS]\r\nSHOWMODE=" + std::string(100 * 1024, '7') + "\r\n[FILELIST]\r\n0=" +
                            std::string(100 * 1024, 'z') + "\r\n1=C:\\a.bmp\r\n"},
        {"260- and 300-byte paths", listFile({a260, a300, "C:\\after.bmp"})},
    };
    for (const IniRow& row : rows) {
        driver::AppFolder folder("bad-ini", true);
        folder.writeIni(row.ini);
        runOpenAndExit(folder, row.name);
        expectCompleteFile(folder, row.name);
    }
}

TEST(BadInput, SettingsFileThatIsAFolder)
{
    driver::AppFolder folder("bad-ini-folder", true);
    ASSERT_TRUE(CreateDirectoryA(folder.ini().c_str(), nullptr));
    runOpenAndExit(folder, "folder");
    EXPECT_TRUE(GetFileAttributesA(folder.ini().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(BadInput, HundredThousandEntries)
{
    driver::AppFolder folder("bad-100k");
    folder.writeIni(numberedList(100000));
    runOpenAndExit(folder, "100,000 entries");
    expectCompleteFile(folder, "100,000 entries");
    // The first wallpaper was entry 0, so the list now starts at entry 1.
    char value[300];
    GetPrivateProfileStringA("FILELIST", "0", "", value, sizeof value, folder.ini().c_str());
    EXPECT_STREQ("D:\\\xCD\xBC\xC6\xAC\\IMG_1.jpg", value);
    GetPrivateProfileStringA("FILELIST", "99999", "", value, sizeof value, folder.ini().c_str());
    EXPECT_STREQ("D:\\\xCD\xBC\xC6\xAC\\IMG_0.jpg", value);
}

TEST(BadInput, BrokenPicturesKeepRotating)
{
    driver::AppFolder folder("bad-pictures");
    const std::string dir = folder.path();
    driver::writeFileBytes(dir + "\\empty.bmp", "");
    driver::writeFileBytes(dir + "\\truncated.bmp", std::string("BM\x36\x10\0\0\0\0\0\0\x36\0\0\0\x28\0", 16));
    driver::writeFileBytes(dir + "\\text.jpg", "this is not a picture\r\n");
    driver::writeFileBytes(dir + "\\garbage.gif", garbage(2000));
    const std::vector<std::string> paths = {dir + "\\missing.bmp", dir + "\\empty.bmp", dir + "\\truncated.bmp",
                                            dir + "\\text.jpg", dir + "\\garbage.gif"};
    folder.writeIni(listFile(paths, 0));  // a step every 5 seconds
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    EXPECT_TRUE(driver::waitUntil([&] { return driver::wallpapersSet(folder).size() >= 2; }, 15000));
    openAndCancelSettings(app);
    const auto code = app.exit(30000);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(0u, *code);
    const std::vector<std::string> set = driver::wallpapersSet(folder);
    ASSERT_GE(set.size(), 2u);
    EXPECT_EQ(paths[0], set[0]);
    EXPECT_EQ(paths[1], set[1]);
    expectCompleteFile(folder, "pictures");
}

TEST(BadInput, OddWallpaperTrees)
{
    {
        driver::AppFolder folder("bad-deep");
        std::string dir = folder.path() + "\\WallPaper";
        CreateDirectoryA(dir.c_str(), nullptr);
        dir += "\\1024_768";
        CreateDirectoryA(dir.c_str(), nullptr);
        for (int level = 0; level < 40; ++level) {
            dir += "\\d";
            CreateDirectoryA(dir.c_str(), nullptr);
        }
        driver::writeFileBytes(dir + "\\deep.bmp", "BM");
        runOpenAndExit(folder, "40 levels");
        expectCompleteFile(folder, "40 levels");
    }
    {
        driver::AppFolder folder("bad-loop");
        const std::string dir = folder.path() + "\\WallPaper\\1024_768";
        CreateDirectoryA((folder.path() + "\\WallPaper").c_str(), nullptr);
        CreateDirectoryA(dir.c_str(), nullptr);
        driver::writeFileBytes(dir + "\\a.bmp", "BM");
        driver::runUnix("/bin/ln -s .. " + driver::unixPathOf(dir) + "/loop");
        runOpenAndExit(folder, "symlink loop");
        expectCompleteFile(folder, "symlink loop");
        driver::runUnix("/bin/rm -f " + driver::unixPathOf(dir) + "/loop");
    }
}

TEST(BadInput, ReadOnlyFolderWritesNothing)
{
    driver::AppFolder folder("bad-readonly", true);
    const std::string old = listFile({"C:\\kept.bmp", "C:\\also.bmp"});
    folder.writeIni(old);
    // Tests run as root, for whom mode bits stop nothing: immutable instead.
    const std::string locked = driver::unixPathOf(folder.ini()) + " " + driver::unixPathOf(folder.path());
    driver::runUnix("/usr/bin/chattr +i " + locked);
    const std::string probe = folder.path() + "\\probe.txt";
    ASSERT_FALSE(driver::writeFileBytes(probe, "x")) << "the folder could not be locked";
    runOpenAndExit(folder, "read-only");
    driver::runUnix("/usr/bin/chattr -i " + locked);
    EXPECT_EQ(old, folder.readIni().value_or(""));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder.path() + "\\Tavrel.new").c_str()));
}

TEST(BadInput, SaveKilledAtAnyMomentLeavesAWholeFile)
{
    driver::AppFolder folder("bad-kill");
    const std::string old = numberedList(100000);
    folder.writeIni(old);
    {
        driver::Tavrel app(folder);
        const ULONGLONG start = GetTickCount64();
        app.post(WM_CLOSE);
        ASSERT_TRUE(app.waitExit(30000).has_value());
        std::printf("a whole close took %llu ms\n", GetTickCount64() - start);
    }
    const std::string fresh = folder.readIni().value_or("");
    ASSERT_NE(old, fresh);

    int olds = 0, news = 0;
    for (DWORD delay : {0u, 100u, 200u, 300u, 450u, 700u}) {
        folder.writeIni(old);
        driver::Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        app.post(WM_CLOSE);
        Sleep(delay);
        app.kill();
        const std::string now = folder.readIni().value_or("");
        EXPECT_TRUE(now == old || now == fresh) << "killed after " << delay << " ms: " << now.size() << " bytes";
        (now == old ? olds : news) += 1;
    }
    std::printf("kills that left the old file: %d, the new one: %d\n", olds, news);
}

}  // namespace
