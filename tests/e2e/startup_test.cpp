// The real program from outside: one instance per desktop, the settings file
// written at the close (and at the end of the session) from the list's
// cursor, and an executable folder too deep for the settings file.

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

const char kDefaults[] =
    "[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n";

// "C:\图片\山水誠.jpg" in GBK (the last character's second byte is 0x5C) and
// as the stand-in logs it, in UTF-8.
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

std::string iniOf(const AppFolder& folder) { return folder.readIni().value_or("<no file>"); }

// Waits until the program has handed `count` wallpapers to the shell.
bool waitForWallpapers(const AppFolder& folder, size_t count)
{
    return driver::waitUntil([&] { return driver::wallpapersSet(folder).size() >= count; }, 10000);
}

TEST(Startup, SecondStartEndsAtOnceAndLeavesTheFirstRunning)
{
    AppFolder folder("second");
    folder.writeIni(std::string(kDefaults) + fileList({"C:\\first.bmp"}));
    Tavrel first(folder);
    ASSERT_NE(nullptr, first.window());
    ASSERT_TRUE(waitForWallpapers(folder, 1));
    const size_t callsBefore = driver::standinCalls(folder).size();

    AppFolder other("second-copy");
    struct Row {
        const char* name;
        const AppFolder& folder;
    } rows[] = {{"same executable", folder}, {"copy in another folder", other}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ULONGLONG begin = GetTickCount64();
        const std::optional<DWORD> code =
            driver::runAndWait("\"" + row.folder.exe() + "\"", row.folder.path(), 10000);
        ASSERT_TRUE(code.has_value()) << "the second start did not end";
        EXPECT_EQ(0u, *code);
        EXPECT_LT(GetTickCount64() - begin, 5000u);
        EXPECT_TRUE(first.running());
        EXPECT_EQ(1u, driver::windowsOf(0, "Tavrel", "TavrelClass").size());
    }
    EXPECT_EQ(callsBefore, driver::standinCalls(folder).size()) << "no second wallpaper change";
    EXPECT_FALSE(other.readIni().has_value()) << "the second start wrote a settings file";
    EXPECT_EQ(std::string(kDefaults) + fileList({"C:\\first.bmp"}), iniOf(folder)) << "touched while running";

    // The first one still answers and saves at its close.
    const std::optional<DWORD> code = first.exit();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(0u, *code);
}

LRESULT CALLBACK foreignWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(Startup, AnyWindowTitledTavrelPreventsTheStart)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = foreignWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SomeOtherProgram";
    RegisterClassA(&windowClass);
    HWND foreign = CreateWindowExA(0, "SomeOtherProgram", "Tavrel", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                   nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, foreign);

    AppFolder folder("foreign");
    folder.writeIni(std::string(kDefaults) + fileList({"C:\\a.bmp"}));
    const ULONGLONG begin = GetTickCount64();
    const std::optional<DWORD> code = driver::runAndWait("\"" + folder.exe() + "\"", folder.path(), 10000);
    DestroyWindow(foreign);

    ASSERT_TRUE(code.has_value()) << "the start was not refused";
    EXPECT_EQ(0u, *code);
    EXPECT_LT(GetTickCount64() - begin, 5000u);
    EXPECT_TRUE(driver::standinCalls(folder).empty()) << "COM was used";
    EXPECT_EQ(std::string(kDefaults) + fileList({"C:\\a.bmp"}), iniOf(folder));
}

TEST(Startup, FirstRunWithoutFileWritesTheDefaultsAtExit)
{
    AppFolder folder("defaults");
    Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    EXPECT_FALSE(folder.readIni().has_value()) << "written before the close";
    const std::optional<DWORD> code = app.exit();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(0u, *code);
    EXPECT_EQ(kDefaults, iniOf(folder));
}

// One file with a bit of everything the load validates or ignores; after one
// start and Exit only the options and the list are rewritten.
TEST(Startup, LoadValidatesAndSaveRewritesOnlyOptionsAndList)
{
    AppFolder folder("mixed");
    folder.writeIni("[OTHER]\r\nX=1\r\n"
                    "[SETTINGS]\r\nSHOWMODE=3\r\nSHOWORDER=2\r\nEXTRA=keep\r\nALTETIME=20\r\nPREVIEW=5\r\n"
                    "[FILELIST]\r\n1=B\r\n00=X\r\n0=" + kGbkPath + "\r\n01=Y\r\n3=D\r\n"
                    "[TAIL]\r\nY=2\r\n");
    Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    ASSERT_TRUE(waitForWallpapers(folder, 1));
    EXPECT_EQ(std::vector<std::string>{kGbkPathUtf8}, driver::wallpapersSet(folder));
    const std::optional<DWORD> code = app.exit();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(0u, *code);
    EXPECT_EQ("[OTHER]\r\nX=1\r\n"
              "[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nEXTRA=keep\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n"
              "[TAIL]\r\nY=2\r\n"
              "[FILELIST]\r\n0=B\r\n1=" + kGbkPath + "\r\n",
              iniOf(folder));
}

// The values of the FILELIST section, in file order.
std::vector<std::string> savedList(const std::string& ini)
{
    std::vector<std::string> values;
    const std::string header = "[FILELIST]\r\n";
    size_t at = ini.find(header);
    if (at == std::string::npos)
        return values;
    at += header.size();
    while (at < ini.size() && ini[at] != '[') {
        const size_t end = ini.find("\r\n", at);
        const std::string line = ini.substr(at, end - at);
        values.push_back(line.substr(line.find('=') + 1));
        at = end == std::string::npos ? ini.size() : end + 2;
    }
    return values;
}

// An empty key "0" ends the list before it starts: the pictures beside the
// executable take its place, and the later keys are gone after the save.
TEST(Startup, EmptyFirstEntryFallsBackToTheWallpaperFolder)
{
    AppFolder folder("fallback", true);
    folder.writeIni(std::string(kDefaults) + "[FILELIST]\r\n0=\r\n1=C:\\B.bmp\r\n");
    Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    ASSERT_TRUE(waitForWallpapers(folder, 1));
    const std::string scanned = folder.path() + "\\WallPaper\\1024_768\\";
    EXPECT_EQ(0u, driver::wallpapersSet(folder).front().rfind(scanned, 0)) << driver::wallpapersSet(folder).front();
    const std::optional<DWORD> code = app.exit();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(0u, *code);
    const std::vector<std::string> saved = savedList(iniOf(folder));
    EXPECT_EQ(4u, saved.size()) << iniOf(folder);
    for (const std::string& path : saved)
        EXPECT_EQ(0u, path.rfind(scanned, 0)) << path;
}

// Sequential order resumes where it stopped: the first wallpaper of a start
// is the one that would have come next.
TEST(Startup, ListPositionSurvivesTwoRuns)
{
    AppFolder folder("position");
    folder.writeIni(std::string(kDefaults) + fileList({"C:\\P.bmp", "C:\\Q.bmp", "C:\\R.bmp", "C:\\S.bmp", "C:\\T.bmp"}));
    {
        Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        app.post(WM_TIMER, 999);  // not the rotation timer: ignored
        app.post(WM_TIMER, kRotationTimer);
        ASSERT_TRUE(waitForWallpapers(folder, 2));
        const std::optional<DWORD> code = app.exit();
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(0u, *code);
    }
    EXPECT_EQ((std::vector<std::string>{"C:\\P.bmp", "C:\\Q.bmp"}), driver::wallpapersSet(folder));
    EXPECT_EQ(std::string(kDefaults) + fileList({"C:\\R.bmp", "C:\\S.bmp", "C:\\T.bmp", "C:\\P.bmp", "C:\\Q.bmp"}),
              iniOf(folder));
    {
        Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        ASSERT_TRUE(waitForWallpapers(folder, 3));
        app.post(WM_CLOSE);
        const std::optional<DWORD> code = app.waitExit();
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(0u, *code) << "exit code after WM_CLOSE";
    }
    EXPECT_EQ("C:\\R.bmp", driver::wallpapersSet(folder).back());
    EXPECT_EQ(std::string(kDefaults) + fileList({"C:\\S.bmp", "C:\\T.bmp", "C:\\P.bmp", "C:\\Q.bmp", "C:\\R.bmp"}),
              iniOf(folder));
}

TEST(Startup, SessionEndSavesLikeTheCloseOnlyWhenItReallyEnds)
{
    const std::string initial = "[SETTINGS]\r\nSHOWMODE=2\r\n" + fileList({"C:\\A.bmp", "C:\\B.bmp", "C:\\C.bmp"});
    struct Row {
        const char* name;
        WPARAM sessionEnds;
        std::string expected;
    } rows[] = {
        {"session ends", TRUE,
         "[SETTINGS]\r\nSHOWMODE=2\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n" +
             fileList({"C:\\B.bmp", "C:\\C.bmp", "C:\\A.bmp"})},
        {"session goes on", FALSE, initial},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AppFolder folder("endsession");
        folder.writeIni(initial);
        Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        ASSERT_TRUE(waitForWallpapers(folder, 1));
        EXPECT_EQ(1, app.send(WM_QUERYENDSESSION, 0, 0));
        app.send(WM_ENDSESSION, row.sessionEnds, 0);
        EXPECT_EQ(row.expected, iniOf(folder));
        // Whatever the process does next, only the session end may have saved.
        app.kill();
        EXPECT_EQ(row.expected, iniOf(folder));
    }
}

TEST(Startup, SessionEndWithoutFileCreatesItOnlyWhenItReallyEnds)
{
    for (const WPARAM sessionEnds : {FALSE, TRUE}) {
        SCOPED_TRACE(sessionEnds ? "session ends" : "session goes on");
        AppFolder folder("endsession-nofile");
        Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        app.send(WM_ENDSESSION, sessionEnds, 0);
        app.kill();
        if (sessionEnds) {
            EXPECT_EQ(kDefaults, iniOf(folder));
        } else {
            EXPECT_FALSE(folder.readIni().has_value());
        }
    }
}

// Paths of MAX_PATH and more need the wide functions. An executable whose own
// path is that long cannot be started at all, so a short executable name
// makes the settings path the one that does not fit.
std::wstring wide(const std::string& text)
{
    std::wstring result(text.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &result[0], static_cast<int>(result.size()));
    result.resize(length > 0 ? static_cast<size_t>(length) - 1 : 0);
    return result;
}

// `base` followed by nested folders, `length` characters in all.
std::wstring makeDeepFolder(const std::string& base, size_t length)
{
    std::wstring path = wide(base);
    CreateDirectoryW(path.c_str(), nullptr);
    while (length - path.size() > 100) {
        path += L"\\" + std::wstring(60, L'd');
        CreateDirectoryW(path.c_str(), nullptr);
    }
    path += L"\\" + std::wstring(length - path.size() - 1, L'e');
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

std::optional<std::string> readWide(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

bool writeWide(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return written == bytes.size();
}

// Every file below `path`, removing the tree when asked.
std::vector<std::wstring> filesBelow(const std::wstring& path, bool remove)
{
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                for (const std::wstring& file : filesBelow(child, remove))
                    files.push_back(file);
            } else {
                files.push_back(name);
                if (remove)
                    DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    if (remove)
        RemoveDirectoryW(path.c_str());
    return files;
}

struct DeepTree {
    std::wstring root;
    ~DeepTree() { filesBelow(root, true); }
};

// Starts the executable, closes its main window, returns its exit code.
std::optional<DWORD> runAndClose(const std::wstring& exe, const AppFolder& logFolder)
{
    SetEnvironmentVariableA("TAVREL_STANDIN_LOG", logFolder.standinLog().c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "CreateProcessW failed with " << GetLastError();
        return std::nullopt;
    }
    CloseHandle(info.hThread);
    std::optional<DWORD> result;
    HWND window = driver::waitForWindow(info.dwProcessId, "Tavrel", "TavrelClass", 15000);
    if (window) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        DWORD code = 0;
        if (WaitForSingleObject(info.hProcess, 15000) == WAIT_OBJECT_0 && GetExitCodeProcess(info.hProcess, &code))
            result = code;
    }
    if (!result)
        TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hProcess);
    return result;
}

TEST(Startup, FolderTooDeepForTheSettingsFileRunsWithDefaultsAndWritesNothing)
{
    const std::string file = "[SETTINGS]\r\nSHOWMODE=2\r\n" + fileList({"C:\\deep.bmp"});
    struct Row {
        const char* name;
        size_t folderLength;
        const wchar_t* exeName;
        bool used;  // the settings file is read and written
    } rows[] = {
        {"settings path of 259 bytes", 248, L"Tavrel.exe", true},
        {"settings path of 260 bytes", 249, L"T.exe", false},
        {"settings path of 264 bytes", 253, L"T.exe", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AppFolder folder("deep");
        // Declared after the folder so that it goes first: the folder's own
        // clean-up cannot reach that deep.
        const DeepTree tree{wide(folder.path() + "\\tree")};
        const std::wstring deep = makeDeepFolder(folder.path() + "\\tree", row.folderLength);
        ASSERT_EQ(row.folderLength, deep.size());
        const std::wstring exe = deep + L"\\" + row.exeName;
        ASSERT_TRUE(CopyFileW(wide(folder.exe()).c_str(), exe.c_str(), FALSE));
        ASSERT_TRUE(writeWide(deep + L"\\Tavrel.ini", file));

        const std::optional<DWORD> code = runAndClose(exe, folder);
        ASSERT_TRUE(code.has_value()) << "did not start or did not end";
        EXPECT_EQ(0u, *code);
        if (row.used) {
            EXPECT_EQ(std::vector<std::string>{"C:\\deep.bmp"}, driver::wallpapersSet(folder));
            EXPECT_EQ("[SETTINGS]\r\nSHOWMODE=2\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n" +
                          fileList({"C:\\deep.bmp"}),
                      readWide(deep + L"\\Tavrel.ini").value_or("<no file>"));
        } else {
            EXPECT_TRUE(driver::wallpapersSet(folder).empty()) << "the settings file was read";
            EXPECT_EQ(file, readWide(deep + L"\\Tavrel.ini").value_or("<no file>"));
        }
        std::vector<std::wstring> files = filesBelow(tree.root, false);
        std::sort(files.begin(), files.end());
        EXPECT_EQ((std::vector<std::wstring>{row.exeName, L"Tavrel.ini"}), files)
            << "a file was written somewhere in the tree";
    }
}

}  // namespace
