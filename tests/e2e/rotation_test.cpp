// The real program rotating the wallpaper: what it hands the Active Desktop
// stand-in at start and on every tick, which default folder it scans, and
// what the Wine desktop shows in each style.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using Paths = std::vector<std::string>;

constexpr WPARAM kRotationTimer = 1000;
constexpr WORD kExitCommand = 32773;

// Twelve hours between real ticks: only the posted ones count.
std::string iniText(int showMode, int showOrder, const Paths& files)
{
    std::string text = "[SETTINGS]\r\nSHOWMODE=" + std::to_string(showMode) +
                       "\r\nSHOWORDER=" + std::to_string(showOrder) +
                       "\r\nALTETIME=19\r\nPREVIEW=1\r\nAUTORUN=0\r\n";
    if (!files.empty()) {
        text += "[FILELIST]\r\n";
        for (size_t i = 0; i < files.size(); ++i)
            text += std::to_string(i) + "=" + files[i] + "\r\n";
    }
    return text;
}

std::string convert(const std::string& text, UINT from, UINT to)
{
    if (text.empty())
        return text;
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(from, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    if (n <= 0)
        return {};
    std::string out(static_cast<size_t>(n) * 4, '\0');
    const int m = WideCharToMultiByte(to, 0, wide.c_str(), -1, &out[0], static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(m > 0 ? m - 1 : 0);
    return out;
}
// The stand-in logs UTF-8; the program's paths are code page 936.
std::string utf8(const std::string& ansi) { return convert(ansi, CP_ACP, CP_UTF8); }

size_t countCalls(const driver::AppFolder& folder, const std::string& prefix)
{
    const std::vector<std::string> calls = driver::standinCalls(folder);
    return static_cast<size_t>(std::count_if(calls.begin(), calls.end(), [&](const std::string& call) {
        return call.compare(0, prefix.size(), prefix) == 0;
    }));
}

// Waits until `n` whole changes (ending with their Release) are logged.
bool waitForChanges(const driver::AppFolder& folder, size_t n)
{
    return driver::waitUntil([&] { return countCalls(folder, "Release") >= n; }, 10000);
}

void tick(const driver::Tavrel& app, int times = 1)
{
    for (int i = 0; i < times; ++i)
        app.post(WM_TIMER, kRotationTimer, 0);
}

// The FILELIST of the saved settings file, key "0" first.
Paths savedList(const driver::AppFolder& folder)
{
    Paths paths;
    for (int n = 0;; ++n) {
        char value[MAX_PATH] = {};
        GetPrivateProfileStringA("FILELIST", std::to_string(n).c_str(), "", value, sizeof value,
                                 folder.ini().c_str());
        if (!value[0])
            return paths;
        paths.push_back(value);
    }
}

// The default wallpapers of one size as the build's manifest names them.
Paths shippedWallpapers(const driver::AppFolder& folder, const std::string& size)
{
    Paths paths;
    const auto manifest = driver::readFileBytes(driver::binDir() + "\\WallPaper\\manifest.txt");
    if (!manifest)
        return paths;
    std::istringstream lines(*manifest);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string relative = line.substr(0, line.find('\t'));
        if (relative.compare(0, size.size() + 1, size + "/") != 0)
            continue;
        std::string path = folder.path() + "\\WallPaper\\" + relative;
        std::replace(path.begin(), path.end(), '/', '\\');
        paths.push_back(path);  // UTF-8, as the manifest is
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

Paths sortedUtf8(const Paths& ansiPaths)
{
    Paths paths;
    for (const std::string& path : ansiPaths)
        paths.push_back(utf8(path));
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(Rotation, FirstWallpaperAtStartThenEveryTickInOrder)
{
    driver::AppFolder folder("rotate-seq", true);
    const std::string pictures = folder.path() + "\\WallPaper\\800_600\\";
    const Paths files = {pictures + "dawn.bmp", pictures + "\xC9\xBD\xCB\xAE.jpg",  // "山水.jpg"
                         pictures + "more\\waves.gif"};
    folder.writeIni(iniText(1, 0, files));
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());

    ASSERT_TRUE(waitForChanges(folder, 1));
    const std::vector<std::string> first = driver::standinCalls(folder);
    ASSERT_EQ(6u, first.size());
    EXPECT_EQ("Create", first[0]);
    EXPECT_EQ("SetDesktopItemOptions dwSize=12 fEnableComponents=1 fActiveDesktop=1 reserved=0", first[1]);
    EXPECT_EQ("SetWallpaperOptions dwSize=8 dwStyle=0 reserved=0", first[2]);
    EXPECT_EQ("SetWallpaper reserved=0 path=" + files[0], first[3]);
    EXPECT_EQ(0u, first[4].find("ApplyChanges flags=7 "));
    EXPECT_EQ("Release refs=0", first[5]);

    tick(app, 3);
    ASSERT_TRUE(waitForChanges(folder, 4));
    EXPECT_EQ((Paths{files[0], utf8(files[1]), files[2], files[0]}), driver::wallpapersSet(folder));

    // A tick of another timer changes nothing: the next real tick goes on
    // from the second picture.
    app.post(WM_TIMER, 999, 0);
    tick(app);
    ASSERT_TRUE(waitForChanges(folder, 5));
    ASSERT_EQ(0u, app.exit().value_or(99));
    EXPECT_EQ(5u, countCalls(folder, "Create"));
    EXPECT_EQ(utf8(files[1]), driver::wallpapersSet(folder).back());
    // Saved from the cursor: the third picture comes next.
    EXPECT_EQ((Paths{files[2], files[0], files[1]}), savedList(folder));
}

TEST(Rotation, RandomOrderWithTwoPicturesAlternates)
{
    driver::AppFolder folder("rotate-random");
    const Paths files = {folder.path() + "\\one.bmp", folder.path() + "\\two.bmp"};
    folder.writeIni(iniText(0, 1, files));
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    tick(app, 3);
    ASSERT_TRUE(waitForChanges(folder, 4));
    EXPECT_EQ((Paths{files[1], files[0], files[1], files[0]}), driver::wallpapersSet(folder));
    EXPECT_EQ(4u, countCalls(folder, "SetWallpaperOptions dwSize=8 dwStyle=1 "));
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
        ASSERT_EQ(0u, app.exit().value_or(99));
        saved = savedList(folder);
        EXPECT_EQ(shipped, sortedUtf8(saved));
        ASSERT_EQ(1u, driver::wallpapersSet(folder).size());
        // The first picture was shown at start; the list was saved from the
        // one after it.
        EXPECT_EQ(utf8(saved.back()), driver::wallpapersSet(folder)[0]);
    }

    ASSERT_TRUE(driver::removeTree(folder.path() + "\\WallPaper"));
    driver::Tavrel again(folder);
    ASSERT_NE(nullptr, again.window());
    ASSERT_TRUE(waitForChanges(folder, 2));
    EXPECT_EQ(utf8(saved[0]), driver::wallpapersSet(folder)[1]);
    ASSERT_EQ(0u, again.exit().value_or(99));
    EXPECT_EQ(shipped, sortedUtf8(savedList(folder)));
}

// Any other width scans WallPaper\800_600. The prefix's desktop is fixed, so
// the program runs on a second Wine desktop of 800 x 600 of its own.
class OtherDesktop {
public:
    OtherDesktop(const driver::AppFolder& folder, const std::string& name, const std::string& size)
        : name_(name)
    {
        SetEnvironmentVariableA("TAVREL_STANDIN_LOG", folder.standinLog().c_str());
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        std::string line = "C:\\windows\\explorer.exe /desktop=" + name + "," + size + " \"" + folder.exe() + "\"";
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.path().c_str(),
                           &startup, &info)) {
            CloseHandle(info.hThread);
            explorer_ = info.hProcess;
        }
    }
    ~OtherDesktop()
    {
        if (explorer_) {
            TerminateProcess(explorer_, 0);
            WaitForSingleObject(explorer_, 5000);
            CloseHandle(explorer_);
        }
    }
    OtherDesktop(const OtherDesktop&) = delete;
    OtherDesktop& operator=(const OtherDesktop&) = delete;

    bool started() const { return explorer_ != nullptr; }

    // The program's main window there, found on that desktop's own list.
    HWND findWindow(const char* title) const
    {
        HDESK desktop = OpenDesktopA(name_.c_str(), 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
        if (!desktop)
            return nullptr;
        Query query{title, nullptr};
        EnumDesktopWindows(desktop, collect, reinterpret_cast<LPARAM>(&query));
        CloseDesktop(desktop);
        return query.found;
    }

private:
    struct Query {
        const char* title;
        HWND found;
    };
    static BOOL CALLBACK collect(HWND window, LPARAM parameter)
    {
        auto* query = reinterpret_cast<Query*>(parameter);
        char text[64] = {};
        GetWindowTextA(window, text, sizeof text);
        if (std::string(text) != query->title)
            return TRUE;
        query->found = window;
        return FALSE;
    }

    std::string name_;
    HANDLE explorer_ = nullptr;
};

TEST(Rotation, OtherScreenWidthScans800Folder)
{
    driver::AppFolder folder("rotate-800", true);
    const Paths shipped = shippedWallpapers(folder, "800_600");
    ASSERT_EQ(4u, shipped.size());
    OtherDesktop desktop(folder, "tavrel800", "800x600");
    ASSERT_TRUE(desktop.started());
    ASSERT_TRUE(waitForChanges(folder, 1)) << "the program did not start on the second desktop";
    const Paths set = driver::wallpapersSet(folder);
    ASSERT_EQ(1u, set.size());
    EXPECT_NE(shipped.end(), std::find(shipped.begin(), shipped.end(), set[0])) << set[0];

    HWND window = desktop.findWindow("Tavrel");
    ASSERT_NE(nullptr, window);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    ASSERT_NE(nullptr, process);
    PostMessageA(window, WM_COMMAND, kExitCommand, 0);
    const bool ended = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(process, 99);
    CloseHandle(process);
    ASSERT_TRUE(ended);
    EXPECT_EQ(shipped, sortedUtf8(savedList(folder)));
}

// What the Wine desktop shows after three ticks, in each style, with the
// 256 x 256 tile picture (red field, yellow centre) on the 1024 x 768
// screen: the stand-in draws it the way the shell would.
struct Probe {
    int x;
    int y;
    uint32_t colour;
};
constexpr uint32_t kRed = 0xBA2834;     // the tile's field, (186,40,52)
constexpr uint32_t kYellow = 0xFFD678;  // the tile's centre, (255,214,120)
constexpr uint32_t kBlack = 0x000000;

bool closeTo(uint32_t actual, uint32_t expected)
{
    return std::abs(driver::red(actual) - driver::red(expected)) <= 24 &&
           std::abs(driver::green(actual) - driver::green(expected)) <= 24 &&
           std::abs(driver::blue(actual) - driver::blue(expected)) <= 24;
}

bool matches(const driver::Screenshot& shot, const std::vector<Probe>& probes)
{
    if (shot.width != 1024 || shot.height != 768)
        return false;
    for (const Probe& probe : probes)
        if (!closeTo(shot.at(probe.x, probe.y), probe.colour))
            return false;
    return true;
}

TEST(Rotation, DesktopShowsEachStyle)
{
    struct Row {
        int showMode;
        const char* name;
        std::vector<Probe> probes;
    };
    const Row rows[] = {
        // Tiled from the top left corner: the pattern repeats every 256.
        {0, "tiled", {{5, 5, kRed}, {128, 128, kYellow}, {640, 384, kYellow}, {773, 517, kRed}}},
        // Centred at (384,256) on black.
        {1, "centred", {{5, 5, kBlack}, {512, 384, kYellow}, {404, 276, kRed}, {640, 384, kBlack}}},
        // Stretched four times wide and three times high.
        {2, "stretched", {{40, 30, kRed}, {512, 384, kYellow}, {128, 128, kRed}, {1000, 30, kRed}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        driver::AppFolder folder(std::string("rotate-") + row.name, true);
        const std::string pictures = folder.path() + "\\WallPaper\\800_600\\";
        // Three ticks bring the tile back.
        folder.writeIni(iniText(row.showMode, 0,
                                {pictures + "tile_red.bmp", pictures + "dawn.bmp", pictures + "more\\waves.gif"}));
        driver::Tavrel app(folder);
        ASSERT_NE(nullptr, app.window());
        // Two ticks show another picture first, so that what the screen
        // shows at the end cannot be left over from before.
        tick(app, 2);
        ASSERT_TRUE(waitForChanges(folder, 3));
        driver::Screenshot shot;
        EXPECT_TRUE(driver::waitUntil(
            [&] { return !matches(driver::captureScreen(), row.probes); }, 10000, 200));
        tick(app);
        ASSERT_TRUE(waitForChanges(folder, 4));
        ASSERT_EQ(pictures + "tile_red.bmp", driver::wallpapersSet(folder).back());
        EXPECT_EQ(4u, countCalls(folder, "ApplyChanges flags=7 drawn=1"));
        EXPECT_EQ(4u, countCalls(folder, "SetWallpaperOptions dwSize=8 dwStyle=" +
                                             std::to_string(row.showMode == 0 ? 1 : row.showMode == 1 ? 0 : 2)));

        // Wine's desktop repaints on its own time: wait for the picture.
        const bool shown = driver::waitUntil(
            [&] {
                shot = driver::captureScreen();
                return matches(shot, row.probes);
            },
            10000, 200);
        shot.save(std::string("rotation-") + row.name);
        ASSERT_EQ(1024, shot.width);
        ASSERT_EQ(768, shot.height);
        for (const Probe& probe : row.probes) {
            SCOPED_TRACE("at " + std::to_string(probe.x) + "," + std::to_string(probe.y));
            EXPECT_PRED2(closeTo, shot.at(probe.x, probe.y), probe.colour);
        }
        EXPECT_TRUE(shown);
        ASSERT_EQ(0u, app.exit().value_or(99));
    }
}

}  // namespace
