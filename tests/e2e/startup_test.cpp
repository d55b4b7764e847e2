// The real program's start and end and its settings file: one instance per
// desktop, the file written at the close and at the end of the session from
// the list's cursor, bad files and broken pictures, a save killed half way.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using driver::AppFolder;
using driver::fileListSection;
using driver::Tavrel;
using Strings = std::vector<std::string>;

const std::string kDefaults = driver::iniText(1, 0, 12, 1, 1);
const char kNoFile[] = "<no file>";

std::string iniOf(const AppFolder& folder) { return folder.readIni().value_or(kNoFile); }

TEST(Startup, SecondStartEndsAtOnceAndLeavesTheFirstRunning)
{
    AppFolder folder("second"), other("second-copy");
    const std::string ini = kDefaults + fileListSection({"C:\\first.bmp"});
    folder.writeIni(ini);
    Tavrel first(folder);
    ASSERT_TRUE(driver::waitWallpapers(folder, 1));
    for (const AppFolder* second : {&folder, &other}) {
        const ULONGLONG begin = GetTickCount64();
        EXPECT_EQ(0u, driver::runAndWait("\"" + second->exe() + "\"", second->path(), 10000).value_or(99));
        EXPECT_LT(GetTickCount64() - begin, 5000u);
        EXPECT_TRUE(first.running());
    }
    EXPECT_EQ(1u, driver::wallpapersSet(folder).size()) << "no second wallpaper change";
    EXPECT_FALSE(other.readIni().has_value()) << "the second start wrote a settings file";
    EXPECT_EQ(ini, iniOf(folder)) << "touched while running";
    EXPECT_EQ(0u, first.exit().value_or(99));
}

// Exit saves; WM_ENDSESSION saves only when the session really ends, and a
// kill after it cannot undo that. Missing and out-of-range options read as
// their defaults.
TEST(Startup, ExitAndSessionEndSaveTheSettings)
{
    const std::string file = "[SETTINGS]\r\nSHOWMODE=2\r\nALTETIME=20\r\n" + fileListSection({"C:\\A", "C:\\B", "C:\\C"});
    const std::string saved = "[SETTINGS]\r\nSHOWMODE=2\r\nALTETIME=12\r\nSHOWORDER=0\r\nPREVIEW=1\r\nAUTORUN=1\r\n" +
                              fileListSection({"C:\\B", "C:\\C", "C:\\A"});
    const struct {
        const char* name;
        std::string initial;
        int sessionEnds;  // -1: Exit from the menu
        std::string expected;
    } rows[] = {
        {"no file, Exit", kNoFile, -1, kDefaults},
        {"no file, session ends", kNoFile, TRUE, kDefaults},
        {"no file, session goes on", kNoFile, FALSE, kNoFile},
        {"a file, session ends", file, TRUE, saved},
        {"a file, session goes on", file, FALSE, file},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppFolder folder("endsession");
        if (row.initial != kNoFile)
            folder.writeIni(row.initial);
        Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        ASSERT_TRUE(row.initial == kNoFile || driver::waitWallpapers(folder, 1));
        if (row.sessionEnds < 0) {
            EXPECT_EQ(0u, app.exit().value_or(99));
        } else {
            EXPECT_EQ(1, app.send(WM_QUERYENDSESSION, 0, 0));
            app.send(WM_ENDSESSION, row.sessionEnds, 0);
            EXPECT_EQ(row.expected, iniOf(folder));
            app.kill();
        }
        EXPECT_EQ(row.expected, iniOf(folder));
    }
}

Strings numbered(int n)
{
    Strings paths;
    for (int i = 0; i < n; ++i)
        paths.push_back("D:\\\xCD\xBC\xC6\xAC\\IMG_" + std::to_string(i) + ".jpg");
    return paths;
}

// Always: it runs, its dialog opens and shows the first rows' pictures, Exit
// gives 0, and the file is a complete new one with the list expected.
TEST(BadInput, SettingsFilesAndPictures)
{
    const std::string a260 = "C:\\" + std::string(253, 'x') + ".bmp", a300 = "C:\\" + std::string(293, 'y') + ".bmp";
    std::string garbage(4096, '\0');
    for (size_t i = 0, state = 12345; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((state = state * 214013u + 2531011u) >> 16);
    Strings many = numbered(100000), rotated = many, broken;  // the first shown at the start
    std::rotate(rotated.begin(), rotated.begin() + 1, rotated.end());
    for (const char* name : {"missing.bmp", "empty.bmp", "truncated.bmp", "text.jpg", "garbage.gif"})
        broken.push_back("C:\\tavrel-e2e\\broken\\" + std::string(name));
    const struct {
        const char* name;
        std::string ini;
        Strings list;  // saved, when there is no scan
    } rows[] = {
        {"binary garbage", garbage, {}},
        {"100 KB lines", "[SETTINGS]\r\nSHOWMODE=" + std::string(100 * 1024, '7') + "\r\n[FILELIST]\r\n0=" +
                             std::string(100 * 1024, 'z') + "\r\n1=C:\\a.bmp\r\n", {"C:\\a.bmp"}},
        {"260- and 300-byte paths", driver::iniText(1, 0, 19, 1, 0, {a260, a300, "C:\\b.bmp"}), {"C:\\b.bmp"}},
        {"100,000 entries", driver::iniText(1, 0, 19, 1, 0, many), rotated},
        {"broken pictures", driver::iniText(1, 0, 19, 1, 0, broken), {broken[1], broken[2], broken[3], broken[4], broken[0]}},
    };
    CreateDirectoryA("C:\\tavrel-e2e\\broken", nullptr);
    driver::writeFileBytes(broken[1], "");
    driver::writeFileBytes(broken[2], std::string("BM\x36\x10\0\0\0\0\0\0\x36\0\0\0\x28\0", 16));
    driver::writeFileBytes(broken[3], "this is not a picture\r\n");
    driver::writeFileBytes(broken[4], garbage);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppFolder folder("bad-ini", row.list.empty());  // pictures to fall back to
        folder.writeIni(row.ini);
        {
            Tavrel app(folder);
            EXPECT_TRUE(driver::waitWallpapers(folder, 1, 15000));
            app.command(32771);  // Settings
            HWND dialog = driver::waitShown(app.pid(), driver::kDialogClass);
            ASSERT_NE(nullptr, dialog);
            HWND box = GetDlgItem(dialog, 1000);
            for (LRESULT i = 0, n = SendMessageA(box, LB_GETCOUNT, 0, 0); i < n && i < 6; ++i) {
                SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1000, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
            }
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            EXPECT_TRUE(driver::waitGone(dialog));
            EXPECT_EQ(0u, app.exit(30000).value_or(99));
        }
        const std::string saved = iniOf(folder);
        EXPECT_EQ("\r\n", saved.substr(saved.size() - 2)) << "the last line ended";
        for (const char* key : {"SHOWMODE", "SHOWORDER", "ALTETIME", "PREVIEW", "AUTORUN"})
            EXPECT_NE(~0u, GetPrivateProfileIntA("SETTINGS", key, -1, folder.ini().c_str())) << key;
        if (!row.list.empty()) {
            EXPECT_EQ(fileListSection(row.list), saved.substr(std::min(saved.size(), saved.find("[FILELIST]"))));
        }
    }
    driver::removeTree("C:\\tavrel-e2e\\broken");
}

// Killed from outside at different moments of a 100,000-entry save: the old
// file whole or the new one.
TEST(BadInput, SaveKilledAtAnyMomentLeavesAWholeFile)
{
    AppFolder folder("bad-kill");
    const std::string old = driver::iniText(1, 0, 19, 1, 0, numbered(100000));
    folder.writeIni(old);
    {
        Tavrel app(folder);
        app.post(WM_CLOSE);
        ASSERT_TRUE(app.waitExit(30000).has_value());
    }
    const std::string fresh = iniOf(folder);
    ASSERT_NE(old, fresh);
    int olds = 0, news = 0;
    for (DWORD delay : {0u, 100u, 200u, 300u, 450u, 700u}) {
        folder.writeIni(old);
        Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        app.post(WM_CLOSE);
        Sleep(delay);
        app.kill();
        const std::string now = iniOf(folder);
        EXPECT_TRUE(now == old || now == fresh) << "killed after " << delay << " ms: " << now.size() << " bytes";
        ++(now == old ? olds : news);
    }
    std::printf("kills that left the old file: %d, the new one: %d\n", olds, news);
}

}  // namespace
