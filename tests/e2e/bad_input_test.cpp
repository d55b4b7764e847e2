// Bad input on the real program: broken settings files, broken pictures, odd
// wallpaper folders, a folder it may not write, and a save killed half way.
// Always: it runs, its dialog opens and closes, Exit gives 0, and the
// settings file is the old one whole or a complete new one.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using driver::AppFolder;

constexpr WORD kSettingsCommand = 32771;
constexpr int kFileList = 1000;

// Runs the program; once it has set `wallpapers`, opens the settings dialog,
// shows the first rows' pictures, cancels, and exits.
void runOpenAndExit(const AppFolder& folder, size_t wallpapers = 0)
{
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    EXPECT_TRUE(driver::waitUntil([&] { return driver::wallpapersSet(folder).size() >= wallpapers; }, 15000));
    app.command(kSettingsCommand);
    HWND dialog = driver::waitForWindow(app.pid(), "", driver::kDialogClass);
    ASSERT_NE(nullptr, dialog);
    HWND box = GetDlgItem(dialog, kFileList);
    for (LRESULT row = 0, rows = SendMessageA(box, LB_GETCOUNT, 0, 0); row < rows && row < 8; ++row) {
        SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFileList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(driver::waitGone(dialog));
    EXPECT_EQ(0u, app.exit(30000).value_or(99));
}

bool noCopyLeft(const AppFolder& folder)
{
    return GetFileAttributesA((folder.path() + "\\Tavrel.new").c_str()) == INVALID_FILE_ATTRIBUTES;
}

// A file the program wrote whole: the five keys, a final line end, no copy.
void expectCompleteFile(const AppFolder& folder)
{
    const std::string bytes = folder.readIni().value_or("");
    // The platform keeps a file's UTF-16 mark, and its line ends with it.
    const std::string lineEnd = bytes.compare(0, 2, "\xFF\xFE") == 0 ? std::string("\r\0\n\0", 4) : "\r\n";
    ASSERT_GE(bytes.size(), lineEnd.size());
    EXPECT_EQ(lineEnd, bytes.substr(bytes.size() - lineEnd.size()));
    for (const char* key : {"SHOWMODE", "SHOWORDER", "ALTETIME", "PREVIEW", "AUTORUN"})
        EXPECT_NE(~0u, GetPrivateProfileIntA("SETTINGS", key, -1, folder.ini().c_str())) << key;
    EXPECT_TRUE(noCopyLeft(folder));
}

std::string fileList(const std::vector<std::string>& paths)
{
    std::string text = "[FILELIST]\r\n";
    for (size_t i = 0; i < paths.size(); ++i)
        text += std::to_string(i) + "=" + paths[i] + "\r\n";
    return text;
}

std::string listFile(const std::vector<std::string>& paths, int alteTime = 19)
{
    return "[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nALTETIME=" + std::to_string(alteTime) +
           "\r\nPREVIEW=1\r\nAUTORUN=0\r\n" + fileList(paths);
}

std::string garbage(size_t size)
{
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& c : bytes)
        c = static_cast<char>((state = state * 214013u + 2531011u) >> 16);
    return bytes;
}

std::vector<std::string> numbered(int n)
{
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i)
        paths.push_back("D:\\\xCD\xBC\xC6\xAC\\IMG_" + std::to_string(i) + ".jpg");
    return paths;
}

TEST(BadInput, SettingsFiles)
{
    const std::string a260 = "C:\\" + std::string(253, 'x') + ".bmp", a300 = "C:\\" + std::string(293, 'y') + ".bmp";
    const std::vector<std::string> many = numbered(100000);
    std::vector<std::string> rotated = many;  // the first was shown at the start
    std::rotate(rotated.begin(), rotated.begin() + 1, rotated.end());
    const struct {
        const char* name;
        std::string ini;   // the first row makes a folder of that name instead
        std::string list;  // the saved list, when known
    } rows[] = {
        {"a folder", "", ""},
        {"empty", "", ""},
        {"binary garbage", garbage(4096), ""},
        {"garbage with a UTF-16 mark", "\xFF\xFE" + garbage(3000), ""},
        {"100 KB line", "[SETTINGS]\r\nSHOWMODE=" + std::string(100 * 1024, '7') + "\r\n[FILELIST]\r\n0=" +
                            std::string(100 * 1024, 'z') + "\r\n1=C:\\a.bmp\r\n", fileList({"C:\\a.bmp"})},
        {"260- and 300-byte paths", listFile({a260, a300, "C:\\after.bmp"}), fileList({"C:\\after.bmp"})},
        {"100,000 entries", listFile(many), fileList(rotated)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppFolder folder("bad-ini", row.list.empty());  // pictures to fall back to
        if (&row == &rows[0]) {
            ASSERT_TRUE(CreateDirectoryA(folder.ini().c_str(), nullptr));
            runOpenAndExit(folder);
            EXPECT_TRUE(GetFileAttributesA(folder.ini().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
            EXPECT_TRUE(noCopyLeft(folder));
            continue;
        }
        folder.writeIni(row.ini);
        runOpenAndExit(folder);
        expectCompleteFile(folder);
        const std::string saved = folder.readIni().value_or("");
        if (!row.list.empty()) {
            EXPECT_EQ(row.list, saved.substr(std::min(saved.size(), saved.find("[FILELIST]"))));
        }
    }
}

TEST(BadInput, BrokenPicturesKeepRotating)
{
    AppFolder folder("bad-pictures");
    const std::string dir = folder.path() + "\\";
    driver::writeFileBytes(dir + "empty.bmp", "");
    driver::writeFileBytes(dir + "truncated.bmp", std::string("BM\x36\x10\0\0\0\0\0\0\x36\0\0\0\x28\0", 16));
    driver::writeFileBytes(dir + "text.jpg", "this is not a picture\r\n");
    driver::writeFileBytes(dir + "garbage.gif", garbage(2000));
    const std::vector<std::string> paths = {dir + "missing.bmp", dir + "empty.bmp", dir + "truncated.bmp",
                                            dir + "text.jpg", dir + "garbage.gif"};
    folder.writeIni(listFile(paths, 0));  // a step every 5 seconds
    runOpenAndExit(folder, 2);
    std::vector<std::string> set = driver::wallpapersSet(folder);
    set.resize(2);
    EXPECT_EQ(std::vector<std::string>(paths.begin(), paths.begin() + 2), set);
    expectCompleteFile(folder);
}

TEST(BadInput, OddWallpaperTrees)
{
    std::string levels;
    for (int level = 0; level < 40; ++level)
        levels += "d/";
    const struct {
        const char* name;
        std::string make;  // shell commands in the 1024_768 folder
    } rows[] = {
        {"40 levels", "mkdir -p " + levels + " && printf BM > " + levels + "deep.bmp"},
        {"symlink loop", "printf BM > a.bmp && ln -s .. loop"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppFolder folder("bad-tree");
        const std::string wallpaper = driver::unixPathOf(folder.path()) + "/WallPaper";
        ASSERT_EQ(0u, driver::runUnix("mkdir -p '" + wallpaper + "/1024_768' && cd '" + wallpaper + "/1024_768' && " +
                                      row.make).value_or(99));
        runOpenAndExit(folder);
        expectCompleteFile(folder);
        driver::runUnix("rm -rf '" + wallpaper + "'");
    }
}

TEST(BadInput, ReadOnlyFolderWritesNothing)
{
    AppFolder folder("bad-readonly", true);
    const std::string old = listFile({"C:\\kept.bmp", "C:\\also.bmp"});
    folder.writeIni(old);
    // Tests run as root, for whom mode bits stop nothing: immutable instead.
    const std::string locked = driver::unixPathOf(folder.ini()) + " " + driver::unixPathOf(folder.path());
    driver::runUnix("/usr/bin/chattr +i " + locked);
    ASSERT_FALSE(driver::writeFileBytes(folder.path() + "\\probe.txt", "x")) << "the folder could not be locked";
    runOpenAndExit(folder);
    driver::runUnix("/usr/bin/chattr -i " + locked);
    EXPECT_EQ(old, folder.readIni().value_or(""));
    EXPECT_TRUE(noCopyLeft(folder));
}

// Killed from outside at different moments of a 100,000-entry save.
TEST(BadInput, SaveKilledAtAnyMomentLeavesAWholeFile)
{
    AppFolder folder("bad-kill");
    const std::string old = listFile(numbered(100000));
    folder.writeIni(old);
    {
        driver::Tavrel app(folder);
        app.post(WM_CLOSE);
        ASSERT_TRUE(app.waitExit(30000).has_value());
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
        ++(now == old ? olds : news);
    }
    std::printf("kills that left the old file: %d, the new one: %d\n", olds, news);
}

}  // namespace
