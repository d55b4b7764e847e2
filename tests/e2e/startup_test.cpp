// The real program from outside: one instance per desktop, the settings file
// written at the close and at the end of the session from the list's cursor,
// and an executable folder too deep for the settings file. The file's rules
// themselves are proven in-process by settings_store_test.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using driver::AppFolder;
using driver::Tavrel;

const std::string kDefaults =
    "[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n";
const char kNoFile[] = "<no file>";
// "C:\图片\山水誠.jpg" in GBK (second byte of the last character 0x5C), and
// in UTF-8 as the stand-in logs it.
const std::string kGbkPath = "C:\\\xCD\xBC\xC6\xAC\\\xC9\xBD\xCB\xAE\xD5\x5C.jpg";
const std::string kGbkPathUtf8 = "C:\\\xE5\x9B\xBE\xE7\x89\x87\\\xE5\xB1\xB1\xE6\xB0\xB4\xE8\xAA\xA0.jpg";
constexpr UINT_PTR kRotationTimer = 1000;

std::string fileList(const std::vector<std::string>& paths)
{
    std::string section = "[FILELIST]\r\n";
    for (size_t i = 0; i < paths.size(); ++i)
        section += std::to_string(i) + "=" + paths[i] + "\r\n";
    return section;
}

std::string iniOf(const AppFolder& folder) { return folder.readIni().value_or(kNoFile); }

bool waitForWallpapers(const AppFolder& folder, size_t count)
{
    return driver::waitUntil([&] { return driver::wallpapersSet(folder).size() >= count; });
}

// A start while a window titled "Tavrel" exists ends at once with 0.
void expectRefusedStart(const AppFolder& folder)
{
    const ULONGLONG begin = GetTickCount64();
    const std::optional<DWORD> code = driver::runAndWait("\"" + folder.exe() + "\"", folder.path(), 10000);
    ASSERT_TRUE(code.has_value()) << "the second start did not end";
    EXPECT_EQ(0u, *code);
    EXPECT_LT(GetTickCount64() - begin, 5000u);
}

TEST(Startup, SecondStartEndsAtOnceAndLeavesTheFirstRunning)
{
    AppFolder folder("second"), other("second-copy");
    const std::string ini = kDefaults + fileList({"C:\\first.bmp"});
    folder.writeIni(ini);
    Tavrel first(folder);
    ASSERT_NE(nullptr, first.window());
    ASSERT_TRUE(waitForWallpapers(folder, 1));
    const size_t callsBefore = driver::standinCalls(folder).size();
    for (const AppFolder* second : {&folder, &other}) {
        SCOPED_TRACE(second->path());
        expectRefusedStart(*second);
        EXPECT_TRUE(first.running());
        EXPECT_EQ(1u, driver::windowsOf(0, "Tavrel", "TavrelClass").size());
    }
    EXPECT_EQ(callsBefore, driver::standinCalls(folder).size()) << "no second wallpaper change";
    EXPECT_FALSE(other.readIni().has_value()) << "the second start wrote a settings file";
    EXPECT_EQ(ini, iniOf(folder)) << "touched while running";
    EXPECT_EQ(0u, first.exit().value_or(99));
}

TEST(Startup, AnyWindowTitledTavrelPreventsTheStart)
{
    HWND foreign = CreateWindowExA(0, "STATIC", "Tavrel", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, foreign);
    AppFolder folder("foreign");
    const std::string ini = kDefaults + fileList({"C:\\a.bmp"});
    folder.writeIni(ini);
    expectRefusedStart(folder);
    DestroyWindow(foreign);
    EXPECT_TRUE(driver::standinCalls(folder).empty()) << "COM was used";
    EXPECT_EQ(ini, iniOf(folder));
}

// Exit saves; WM_ENDSESSION saves as the close does only when the session
// really ends, and whatever happens after it (a kill) cannot undo that.
TEST(Startup, ExitAndSessionEndSaveTheSettings)
{
    const std::string file = "[SETTINGS]\r\nSHOWMODE=2\r\n" + fileList({"C:\\A.bmp", "C:\\B.bmp", "C:\\C.bmp"});
    const std::string saved = "[SETTINGS]\r\nSHOWMODE=2\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n" +
                              fileList({"C:\\B.bmp", "C:\\C.bmp", "C:\\A.bmp"});
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
        if (row.initial != kNoFile) {
            ASSERT_TRUE(waitForWallpapers(folder, 1));
        }
        EXPECT_EQ(row.initial, iniOf(folder)) << "written before the close";
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

// Two runs on one file: the options validated, other sections and keys kept,
// the list read by key name, resumed where it stopped and saved from the
// cursor, a code page 936 path kept byte for byte.
TEST(Startup, ListPositionAndFileSurviveTwoRuns)
{
    AppFolder folder("position");
    folder.writeIni("[OTHER]\r\nX=1\r\n[SETTINGS]\r\nSHOWMODE=3\r\nSHOWORDER=0\r\nEXTRA=keep\r\nALTETIME=20\r\n"
                    "[FILELIST]\r\n1=C:\\Q.bmp\r\n00=X\r\n0=C:\\P.bmp\r\n01=Y\r\n2=" + kGbkPath + "\r\n4=C:\\gap.bmp\r\n"
                    "[TAIL]\r\nY=2\r\n");
    const std::string kept = "[OTHER]\r\nX=1\r\n[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nEXTRA=keep\r\nALTETIME=12\r\n"
                             "PREVIEW=1\r\nAUTORUN=1\r\n[TAIL]\r\nY=2\r\n";
    {
        Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        app.post(WM_TIMER, 999);  // not the rotation timer: ignored
        app.post(WM_TIMER, kRotationTimer);
        ASSERT_TRUE(waitForWallpapers(folder, 2));
        EXPECT_EQ(0u, app.exit().value_or(99));
    }
    EXPECT_EQ((std::vector<std::string>{"C:\\P.bmp", "C:\\Q.bmp"}), driver::wallpapersSet(folder));
    EXPECT_EQ(kept + fileList({kGbkPath, "C:\\P.bmp", "C:\\Q.bmp"}), iniOf(folder));
    {
        Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        ASSERT_TRUE(waitForWallpapers(folder, 3));
        app.post(WM_CLOSE);
        EXPECT_EQ(0u, app.waitExit().value_or(99)) << "exit code after WM_CLOSE";
    }
    EXPECT_EQ((std::vector<std::string>{"C:\\P.bmp", "C:\\Q.bmp", kGbkPathUtf8}), driver::wallpapersSet(folder));
    EXPECT_EQ(kept + fileList({"C:\\P.bmp", "C:\\Q.bmp", kGbkPath}), iniOf(folder));
}

// Paths of MAX_PATH and more need the wide functions, and an executable whose
// own path is that long cannot start: a short exe name makes the settings
// path the one that does not fit. The tree is built and checked from Linux.
TEST(Startup, FolderTooDeepForTheSettingsFileRunsWithDefaultsAndWritesNothing)
{
    const std::string file = "[SETTINGS]\r\nSHOWMODE=2\r\n" + fileList({"C:\\deep.bmp"});
    const std::string saved = "[SETTINGS]\r\nSHOWMODE=2\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n" +
                              fileList({"C:\\deep.bmp"});
    const struct {
        const char* name;
        size_t folderLength;
        const char* exeName;
        bool used;  // the settings file is read and written
    } rows[] = {
        {"settings path of 259 bytes", 248, "Tavrel.exe", true},
        {"settings path of 260 bytes", 249, "T.exe", false},
        {"settings path of 264 bytes", 253, "T.exe", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppFolder folder("deep");
        folder.writeIni(file);
        driver::writeFileBytes(folder.path() + "\\expected.ini", row.used ? saved : file);
        const std::string tree = driver::unixPathOf(folder.path()) + "/tree";
        std::string deep = folder.path() + "\\tree", rest;
        while (row.folderLength - deep.size() - rest.size() > 100)
            rest += "/" + std::string(60, 'd');
        rest += "/" + std::string(row.folderLength - deep.size() - rest.size() - 1, 'e');
        const std::string leaf = tree + rest;
        std::replace(rest.begin(), rest.end(), '/', '\\');
        deep += rest;
        ASSERT_EQ(row.folderLength, deep.size());
        const std::string here = driver::unixPathOf(folder.path());
        ASSERT_EQ(0u, driver::runUnix("mkdir -p '" + leaf + "' && cp '" + here + "/Tavrel.exe' '" + leaf + "/" +
                                      row.exeName + "' && cp '" + here + "/Tavrel.ini' '" + leaf + "/'")
                          .value_or(99));

        SetEnvironmentVariableA("TAVREL_STANDIN_LOG", folder.standinLog().c_str());
        const std::string exe = deep + "\\" + row.exeName;
        const std::wstring wideExe(exe.begin(), exe.end());
        std::wstring commandLine = L"\"" + wideExe + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        ASSERT_TRUE(CreateProcessW(wideExe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &info));
        CloseHandle(info.hThread);
        HWND window = driver::waitForWindow(info.dwProcessId, "Tavrel", "TavrelClass", 15000);
        EXPECT_NE(nullptr, window);
        PostMessageA(window, WM_CLOSE, 0, 0);
        DWORD code = 99;
        if (WaitForSingleObject(info.hProcess, 15000) != WAIT_OBJECT_0)
            TerminateProcess(info.hProcess, 99);
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
        EXPECT_EQ(0u, code);

        EXPECT_EQ(row.used ? std::vector<std::string>{"C:\\deep.bmp"} : std::vector<std::string>{},
                  driver::wallpapersSet(folder));
        // The file is as expected, nothing else was written in the tree, and
        // the tree goes (too deep for the folder's own clean-up).
        EXPECT_EQ(0u, driver::runUnix("cmp '" + leaf + "/Tavrel.ini' '" + here + "/expected.ini' && test $(find '" +
                                      tree + "' -type f | wc -l) -eq 2; r=$?; rm -rf '" + tree + "'; exit $r")
                          .value_or(99));
    }
}

}  // namespace
