// The real program rotating the wallpaper: what it hands the Active Desktop
// stand-in at start and on every tick, which default folder it scans, and
// what the Wine desktop shows in each style.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using Paths = std::vector<std::string>;

// Twelve hours between real ticks: only the posted ones count.
std::string iniText(int showMode, int showOrder, const Paths& files)
{
    std::string text = "[SETTINGS]\r\nSHOWMODE=" + std::to_string(showMode) + "\r\nSHOWORDER=" +
                       std::to_string(showOrder) + "\r\nALTETIME=19\r\nPREVIEW=1\r\nAUTORUN=0\r\n";
    if (!files.empty())
        text += "[FILELIST]\r\n";
    for (size_t i = 0; i < files.size(); ++i)
        text += std::to_string(i) + "=" + files[i] + "\r\n";
    return text;
}

// The stand-in logs UTF-8; the program's paths are code page 936.
std::string utf8(const std::string& ansi)
{
    std::wstring wide(ansi.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &wide[0], static_cast<int>(wide.size())));
    std::string out(wide.size() * 4 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &out[0], static_cast<int>(out.size()), nullptr,
                                   nullptr));
    out.resize(out.empty() ? 0 : out.size() - 1);
    return out;
}

size_t countCalls(const driver::AppFolder& folder, const std::string& prefix)
{
    const Paths calls = driver::standinCalls(folder);
    return static_cast<size_t>(
        std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

// Waits until `n` whole changes (ending with their Release) are logged.
bool waitForChanges(const driver::AppFolder& folder, size_t n)
{
    return driver::waitUntil([&] { return countCalls(folder, "Release") >= n; }, 10000);
}

void tick(const driver::Tavrel& app, int times = 1)
{
    for (int i = 0; i < times; ++i)
        app.post(WM_TIMER, 1000, 0);
}

// The saved FILELIST, key "0" first; as sorted UTF-8 when asked.
Paths savedList(const driver::AppFolder& folder, bool sortedUtf8 = false)
{
    Paths paths;
    char value[MAX_PATH];
    while (GetPrivateProfileStringA("FILELIST", std::to_string(paths.size()).c_str(), "", value, sizeof value,
                                    folder.ini().c_str()) > 0)
        paths.push_back(sortedUtf8 ? utf8(value) : value);
    if (sortedUtf8)
        std::sort(paths.begin(), paths.end());
    return paths;
}

// The default wallpapers of one size as the build's manifest names them (UTF-8).
Paths shippedWallpapers(const driver::AppFolder& folder, const std::string& size)
{
    Paths paths;
    std::istringstream lines(driver::readFileBytes(driver::binDir() + "\\WallPaper\\manifest.txt").value_or(""));
    for (std::string line; std::getline(lines, line);) {
        std::string path = folder.path() + "\\WallPaper\\" + line.substr(0, line.find('\t'));
        std::replace(path.begin(), path.end(), '/', '\\');
        if (line.rfind(size + "/", 0) == 0)
            paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// The first picture at start, then one per posted tick; saved from the cursor.
TEST(Rotation, FirstWallpaperAtStartThenOnePerTick)
{
    struct Row {
        const char* name;
        int showOrder;
        std::vector<int> files, shown, saved;  // indexes into the list
    };
    const Row rows[] = {
        {"sequential", 0, {0, 1, 2}, {0, 1, 2, 0}, {1, 2, 0}},
        {"random with two entries alternates", 1, {0, 1}, {1, 0, 1, 0}, {0, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // The stand-in logs paths whether or not the files are there.
        driver::AppFolder folder("rotate-order");
        const std::string pictures = folder.path() + "\\";
        const Paths all = {pictures + "dawn.bmp", pictures + "\xC9\xBD\xCB\xAE.jpg",  // "山水.jpg"
                           pictures + "more\\waves.gif"};
        const auto pick = [&](const std::vector<int>& indexes, bool asUtf8) {
            Paths paths;
            for (int i : indexes)
                paths.push_back(asUtf8 ? utf8(all[i]) : all[i]);
            return paths;
        };
        folder.writeIni(iniText(1, row.showOrder, pick(row.files, false)));
        driver::Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        ASSERT_TRUE(waitForChanges(folder, 1));
        EXPECT_EQ(pick({row.shown[0]}, true), driver::wallpapersSet(folder));
        tick(app, 3);
        ASSERT_TRUE(waitForChanges(folder, 4));
        EXPECT_EQ(pick(row.shown, true), driver::wallpapersSet(folder));
        ASSERT_EQ(0u, app.exit().value_or(99));
        EXPECT_EQ(pick(row.saved, false), savedList(folder));
    }
}

// Saved once from a multiple selection in a drive's root: the shell takes
// two backslashes after the drive and then shows nothing, so it gets one.
TEST(Rotation, DoubledSeparatorAfterTheDriveReachesTheShellAsOne)
{
    driver::AppFolder folder("rotate-root");
    const std::string single = folder.path() + "\\root.bmp";  // C:\tavrel-e2e\...
    const std::string doubled = single.substr(0, 3) + "\\" + single.substr(3);
    folder.writeIni(iniText(1, 0, {doubled, "\\\\server\\share\\a.bmp"}));
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    tick(app);
    ASSERT_TRUE(waitForChanges(folder, 2));
    EXPECT_EQ((Paths{single, "\\\\server\\share\\a.bmp"}), driver::wallpapersSet(folder));
    ASSERT_EQ(0u, app.exit().value_or(99));
    EXPECT_EQ((Paths{doubled, "\\\\server\\share\\a.bmp"}), savedList(folder)) << "the list keeps its text";
}

// No WallPaper folder beside the program and no list in the file.
TEST(Rotation, EmptyListNeverCreatesTheObject)
{
    driver::AppFolder folder("rotate-empty");
    folder.writeIni(iniText(2, 0, {}));
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    tick(app, 2);
    // Exit is queued behind the ticks, so they have run when it ends.
    ASSERT_EQ(0u, app.exit().value_or(99));
    EXPECT_EQ(0u, countCalls(folder, "Create"));
    EXPECT_TRUE(savedList(folder).empty());
}

// The prefix's desktop is 1024 wide: WallPaper\1024_768 is scanned; the
// list is saved at the close and read, not scanned, at the next start.
TEST(Rotation, ScreenWidth1024ScansItsFolderOnceAndKeepsTheList)
{
    ASSERT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
    driver::AppFolder folder("rotate-1024", true);
    const Paths shipped = shippedWallpapers(folder, "1024_768");
    ASSERT_EQ(4u, shipped.size());
    Paths saved;
    {
        driver::Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        ASSERT_TRUE(waitForChanges(folder, 1));
        EXPECT_EQ(folder.path(), app.currentDirectory()) << "the scan leaves no folder in use";
        ASSERT_EQ(0u, app.exit().value_or(99));
        EXPECT_EQ(shipped, savedList(folder, true));
        saved = savedList(folder);
        // Shown at start, then saved from the one after it.
        EXPECT_EQ(Paths{utf8(saved.back())}, driver::wallpapersSet(folder));
    }
    ASSERT_TRUE(driver::removeTree(folder.path() + "\\WallPaper"));
    driver::Tavrel again(folder);
    ASSERT_NE(nullptr, again.window());
    ASSERT_TRUE(waitForChanges(folder, 2));
    EXPECT_EQ(utf8(saved[0]), driver::wallpapersSet(folder)[1]);
    ASSERT_EQ(0u, again.exit().value_or(99));
    EXPECT_EQ(shipped, savedList(folder, true));
}

BOOL CALLBACK findTavrel(HWND window, LPARAM found)
{
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    if (std::string(text) != "Tavrel")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Any other width scans WallPaper\800_600: the prefix's desktop is fixed, so
// the program runs on a second Wine desktop of 800 x 600.
TEST(Rotation, OtherScreenWidthScans800Folder)
{
    driver::AppFolder folder("rotate-800", true);
    const Paths shipped = shippedWallpapers(folder, "800_600");
    ASSERT_EQ(4u, shipped.size());
    SetEnvironmentVariableA("TAVREL_STANDIN_LOG", folder.standinLog().c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION explorer = {};
    std::string line = "C:\\windows\\explorer.exe /desktop=tavrel800,800x600 \"" + folder.exe() + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.path().c_str(),
                               &startup, &explorer));
    CloseHandle(explorer.hThread);
    std::unique_ptr<void, void (*)(HANDLE)> stop(explorer.hProcess, [](HANDLE process) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    });
    ASSERT_TRUE(waitForChanges(folder, 1)) << "the program did not start on the second desktop";
    const Paths set = driver::wallpapersSet(folder);
    ASSERT_EQ(1u, set.size());
    EXPECT_NE(shipped.end(), std::find(shipped.begin(), shipped.end(), set[0])) << set[0];

    // Its main window is on that desktop's own list.
    HWND window = nullptr;
    HDESK desktop = OpenDesktopA("tavrel800", 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    ASSERT_NE(nullptr, desktop);
    EnumDesktopWindows(desktop, findTavrel, reinterpret_cast<LPARAM>(&window));
    CloseDesktop(desktop);
    ASSERT_NE(nullptr, window);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    ASSERT_NE(nullptr, process);
    PostMessageA(window, WM_COMMAND, 32773, 0);  // Exit
    const bool ended = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(process, 99);
    CloseHandle(process);
    ASSERT_TRUE(ended);
    EXPECT_EQ(shipped, savedList(folder, true));
}

// The Wine desktop after three ticks in each style, with the 256 x 256 tile
// picture (red field, yellow centre) on the 1024 x 768 screen.
struct Probe {
    int x;
    int y;
    uint32_t colour;
};
constexpr uint32_t kRed = 0xBA2834;
constexpr uint32_t kYellow = 0xFFD678;
constexpr uint32_t kBlack = 0x000000;

bool closeTo(uint32_t actual, uint32_t expected)
{
    return std::abs(driver::red(actual) - driver::red(expected)) <= 24 &&
           std::abs(driver::green(actual) - driver::green(expected)) <= 24 &&
           std::abs(driver::blue(actual) - driver::blue(expected)) <= 24;
}

bool matches(const driver::Screenshot& shot, const std::vector<Probe>& probes)
{
    return shot.width == 1024 && shot.height == 768 && std::all_of(probes.begin(), probes.end(), [&](const Probe& p) {
               return closeTo(shot.at(p.x, p.y), p.colour);
           });
}

TEST(Rotation, DesktopShowsEachStyle)
{
    struct Row {
        int showMode;
        const char* name;
        std::vector<Probe> probes;
    };
    const Row rows[] = {
        // Repeats every 256 from the top left corner.
        {0, "tiled", {{5, 5, kRed}, {128, 128, kYellow}, {640, 384, kYellow}, {773, 517, kRed}}},
        // At (384,256) on black.
        {1, "centred", {{5, 5, kBlack}, {512, 384, kYellow}, {404, 276, kRed}, {640, 384, kBlack}}},
        // Four times wide and three times high.
        {2, "stretched", {{40, 30, kRed}, {512, 384, kYellow}, {128, 128, kRed}, {1000, 30, kRed}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        driver::AppFolder folder(std::string("rotate-") + row.name, true);
        const std::string pictures = folder.path() + "\\WallPaper\\800_600\\";
        folder.writeIni(iniText(row.showMode, 0,
                                {pictures + "tile_red.bmp", pictures + "dawn.bmp", pictures + "more\\waves.gif"}));
        driver::Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        // Another picture first, so that the tile at the end is not left over.
        tick(app, 2);
        ASSERT_TRUE(waitForChanges(folder, 3));
        EXPECT_TRUE(driver::waitUntil([&] { return !matches(driver::captureScreen(), row.probes); }, 10000, 200));
        tick(app);
        ASSERT_TRUE(waitForChanges(folder, 4));
        ASSERT_EQ(pictures + "tile_red.bmp", driver::wallpapersSet(folder).back());
        // Wine's desktop repaints on its own time: wait for the picture.
        driver::Screenshot shot;
        const bool shown = driver::waitUntil([&] { return matches(shot = driver::captureScreen(), row.probes); },
                                             10000, 200);
        shot.save(std::string("rotation-") + row.name);
        EXPECT_TRUE(shown);
        ASSERT_EQ(1024, shot.width);
        ASSERT_EQ(768, shot.height);
        for (const Probe& probe : row.probes)
            EXPECT_PRED2(closeTo, shot.at(probe.x, probe.y), probe.colour) << "at " << probe.x << "," << probe.y;
        ASSERT_EQ(0u, app.exit().value_or(99));
    }
}

}  // namespace
