// The real program's start and end: the settings saved at Exit and at the session's end, one instance, bad input.

#include <gtest/gtest.h>

#include <process.h>

#include <algorithm>

#include "driver.h"

namespace {

using driver::Strings;

const std::string kDefaults = driver::iniText(1, 0, 12, 1, 1), kNoFile = "<no file>";

// Exit saves; WM_ENDSESSION only when the session really ends, and a kill after it undoes nothing. Missing and
// out-of-range options read as their defaults, the bounds as they were. A second start ends at once; an Explorer
// window titled Tavrel stops none.
TEST(Startup, ExitAndSessionEndSaveTheSettings)
{
    HWND explorer = CreateWindowExA(0, "STATIC", "Tavrel", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    const std::string file =
        "[SETTINGS]\r\nSHOWMODE=6\r\nALTETIME=20\r\n" + driver::fileListSection({"C:\\A", "C:\\B", "C:\\C"});
    const std::string saved = "[SETTINGS]\r\nSHOWMODE=1\r\nALTETIME=12\r\nSHOWORDER=0\r\nPREVIEW=1\r\nAUTORUN=1\r\n" +
                              driver::fileListSection({"C:\\B", "C:\\C", "C:\\A"});
    const struct { const char* name; std::string initial; int sessionEnds; std::string expected; } rows[] = {
        {"no file, Exit", kNoFile, -1, kDefaults},  // -1: Exit from the menu
        {"no file, session goes on", kNoFile, FALSE, kNoFile},
        {"a file, session ends", file, TRUE, saved},
        {"every option at its highest, Exit", driver::iniText(5, 1, 19, 1, 1, {"C:\\A"}), -1,
         driver::iniText(5, 1, 19, 1, 1, {"C:\\A"})},
        {"every option at its lowest, Exit", driver::iniText(0, 0, 0, 0, 0, {"C:\\A"}), -1,
         driver::iniText(0, 0, 0, 0, 0, {"C:\\A"})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        driver::AppFolder folder("endsession");
        if (row.initial != kNoFile)
            folder.writeIni(row.initial);
        driver::Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        ASSERT_TRUE(row.initial == kNoFile || folder.waitWallpapers(1));
        if (&row == rows + 1) {  // and the second start writes no file
            EXPECT_EQ(0, _spawnl(_P_WAIT, folder.exe().c_str(), "Tavrel.exe", nullptr)) << "the second start";
        }
        if (row.sessionEnds < 0) {
            EXPECT_EQ(0u, app.exit().value_or(99));
        } else {
            SendMessageA(app.window(), WM_QUERYENDSESSION, 0, 0);  // as Windows asks first
            SendMessageA(app.window(), WM_ENDSESSION, row.sessionEnds, 0);
            EXPECT_EQ(row.expected, folder.readIni());
            app.kill();
        }
        EXPECT_EQ(row.expected, folder.readIni());
    }
    DestroyWindow(explorer);
}

// It runs, its dialog shows the first rows' pictures, Exit gives 0, and the file saved is whole, its list expected.
TEST(BadInput, SettingsFilesAndPictures)
{
    std::string garbage(4096, '\0');
    for (size_t i = 0, state = 12345; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((state = state * 214013u + 2531011u) >> 16);
    Strings many, broken;
    for (int i = 0; i < 100000; ++i)
        many.push_back("D:\\\xCD\xBC\xC6\xAC\\IMG_" + std::to_string(i) + ".jpg");
    for (const char* name : {"missing.bmp", "empty.bmp", "truncated.bmp", "text.jpg", "garbage.gif"})
        broken.push_back("C:\\tavrel-e2e\\broken\\" + std::string(name));
    Strings rotated = many;  // the first was shown at the start
    std::rotate(rotated.begin(), rotated.begin() + 1, rotated.end());
    // No list: the default folder scanned. The options saved: SHOWMODE SHOWORDER ALTETIME PREVIEW AUTORUN.
    const struct { const char* name; std::string ini; Strings list; std::vector<int> saved; } rows[] = {
        {"binary garbage", garbage, {}, {1, 0, 12, 1, 1}},
        {"100 KB lines", "[SETTINGS]\r\nSHOWMODE=" + std::string(100 * 1024, '7') + "\r\n[FILELIST]\r\n0=" +
                             std::string(100 * 1024, 'z') + "\r\n1=C:\\a.bmp\r\n", {"C:\\a.bmp"}, {1, 0, 12, 1, 1}},
        {"100,000 entries", driver::iniText(1, 0, 19, 1, 0, many), rotated, {1, 0, 19, 1, 0}},
        {"broken pictures", driver::iniText(2, 0, 19, 1, 0, broken),
         {broken[1], broken[2], broken[3], broken[4], broken[0]}, {2, 0, 19, 1, 0}},
    };
    CreateDirectoryA("C:\\tavrel-e2e\\broken", nullptr);
    driver::writeFileBytes(broken[1], "");
    driver::writeFileBytes(broken[2], std::string("BM\x36\x10\0\0\0\0\0\0\x36\0\0\0\x28\0", 16));
    driver::writeFileBytes(broken[3], "this is not a picture\r\n");
    driver::writeFileBytes(broken[4], garbage);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        driver::AppFolder folder("bad-ini", row.list.empty());
        folder.writeIni(row.ini);
        {
            driver::Tavrel app(folder);
            EXPECT_TRUE(folder.waitWallpapers(1, 15000));
            HWND dialog = app.open(driver::kSettings, driver::kSettingsTitle);
            ASSERT_NE(nullptr, dialog);
            for (int row = 0; row < 6; ++row) {  // each shown in the preview
                SendDlgItemMessageA(dialog, 1000, LB_SETCURSEL, row, 0);
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1000, LBN_SELCHANGE), (LPARAM)GetDlgItem(dialog, 1000));
            }
            EXPECT_TRUE(driver::closeDialog(dialog));
            EXPECT_EQ(0u, app.exit(30000).value_or(99));
        }
        const std::string saved = folder.readIni();
        std::vector<int> options;
        for (const char* key : {"SHOWMODE", "SHOWORDER", "ALTETIME", "PREVIEW", "AUTORUN"})
            options.push_back(static_cast<int>(GetPrivateProfileIntA("SETTINGS", key, -1, folder.ini().c_str())));
        EXPECT_EQ(row.saved, options);
        if (!row.list.empty()) {
            EXPECT_EQ(driver::fileListSection(row.list), saved.substr(std::min(saved.size(), saved.find("[FILELIST]"))));
        }
    }
    driver::removeTree("C:\\tavrel-e2e\\broken");
}

}  // namespace
