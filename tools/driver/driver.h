#pragma once
// The end-to-end test driver: runs the real Tavrel.exe in a fresh folder of
// the test prefix and drives it from outside, as a user and Windows would.
// Its interface brings <windows.h>, <optional>, <string> and <vector> to the tests.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace driver {

using Strings = std::vector<std::string>;
constexpr WORD kSettings = 32771, kAbout = 32772, kExit = 32773, kNext = 32774, kPause = 32775;  // the tray menu's
constexpr WORD kPrevious = 32776, kNeverAgain = 32778;
constexpr const char *kDialogClass = "#32770", *kMenuClass = "#32768";
constexpr const char* kSettingsTitle = "\xC9\xE8\xD6\xC3";  // 设置

std::wstring wide(const std::string& utf8);
std::string utf8(const std::wstring& text);
// A path in the code page, in its long form (as a program started by it finds itself).
std::wstring longPath(const std::string& path);

std::optional<std::string> readFileBytes(const std::string& path);
bool writeFileBytes(const std::string& path, const std::string& bytes);
bool removeTree(const std::string& path);
// A picture written again by ImageMagick, after its `options`, as `format` (by default a 24-bit PNG).
bool convertPicture(const std::string& from, const std::string& to, const std::string& format = "PNG24",
                    const std::string& options = "");
// A command line run by /bin/sh on Linux; its exit code, or nothing on time-out.
std::optional<DWORD> runUnix(const std::string& commandLine, DWORD timeoutMs = 10000);
std::string unixPathOf(const std::string& windowsPath);  // through Wine's drives

template <typename Predicate>
bool waitUntil(Predicate done, DWORD timeoutMs = 10000, DWORD stepMs = 50)
{
    for (const ULONGLONG end = GetTickCount64() + timeoutMs; !done(); Sleep(stepMs))
        if (GetTickCount64() >= end)
            return false;
    return true;
}

// A fresh folder C:\tavrel-e2e\<name>-<n> with Tavrel.exe (and WallPaper when asked); removed at the end.
class AppFolder {
public:
    explicit AppFolder(const std::string& name, bool withWallpapers = false);
    ~AppFolder() { removeTree(path_); }
    AppFolder(const AppFolder&) = delete;
    AppFolder& operator=(const AppFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string exe() const { return path_ + "\\Tavrel.exe"; }
    std::string ini() const { return path_ + "\\Tavrel.ini"; }
    void writeIni(const std::string& bytes) const { writeFileBytes(ini(), bytes); }
    std::string readIni() const { return readFileBytes(ini()).value_or("<no file>"); }
    Strings standinCalls() const;   // the stand-in's log lines, without the pid
    Strings wallpapersSet() const;  // the paths it was given (UTF-8)
    bool waitWallpapers(size_t count, DWORD timeoutMs = 10000) const;

private:
    std::string path_;
};

// One Tavrel process, its stand-in logging into the folder.
class Tavrel {
public:
    explicit Tavrel(const AppFolder& folder);
    ~Tavrel();  // asks it to close; kills it if it will not
    Tavrel(const Tavrel&) = delete;
    Tavrel& operator=(const Tavrel&) = delete;
    HWND window() const { return window_; }
    DWORD pid() const { return pid_; }
    std::string currentDirectory() const;  // as GetCurrentDirectoryW would give it, in UTF-8
    void command(WORD id) const { PostMessageA(window_, WM_COMMAND, id, 0); }  // as the tray menu sends it
    void tick() const { PostMessageA(window_, WM_TIMER, 1000, 0); }             // the rotation timer
    std::optional<DWORD> waitExit(DWORD timeoutMs = 15000);                    // the exit code
    std::optional<DWORD> exit(DWORD timeoutMs = 15000) { return command(kExit), waitExit(timeoutMs); }
    void kill();
    // The tray command, then its dialog (About is the one titled ""), painted.
    HWND open(WORD command, const char* title) const;

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND window_ = nullptr;
};

// A settings file with the five options and, unless empty, the list.
std::string iniText(int showMode, int showOrder, int alteTime, int preview, int autoRun, const Strings& files = {});
std::string fileListSection(const Strings& files);
// 24 bits, two halves; the top quarter one colour across, when one is given (real pictures differ top to bottom).
std::string bmpBytes(int width, int height, COLORREF left, COLORREF right, COLORREF topBand = CLR_INVALID);

// Top-level windows of a process (0: any) whose title and class match ("": any);
// the first visible one of that class and (unless null) exact title.
std::vector<HWND> windowsOf(DWORD pid, const std::string& title = "", const std::string& className = "");
HWND waitShown(DWORD pid, const std::string& className, const char* title = nullptr, DWORD timeoutMs = 10000);
bool waitGone(HWND window, DWORD timeoutMs = 10000);
bool closeDialog(HWND dialog, int button = IDCANCEL);  // as the button would, and gone
// The program's other visible dialog than `dialog`, once shown.
HWND otherDialog(const Tavrel& app, HWND dialog);

// The tray menu opened by a right click on the icon, painted; or null.
HWND openTrayMenu(const Tavrel& app);
// The pointer rested on the icon until Wine's taskbar shows this tooltip (UTF-8).
bool waitTooltip(const std::string& text, DWORD timeoutMs = 3000);

// The rows of a dialog's list or combo box (Wine hands them across processes as UTF-16 only).
Strings rowsOf(HWND dialog, int id, UINT getCount = LB_GETCOUNT, UINT getText = LB_GETTEXT);
// Add, then each text typed into the file-open dialog's name box and Enter; the
// file types it offered, and the files it listed when the last text was typed.
Strings addThroughFileDialog(const Tavrel& app, HWND dialog, const Strings& typed, LRESULT* listed = nullptr,
                             int button = 1007);

// Real input through the X server, at desktop coordinates or a window's middle.
void xdotoolClick(int x, int y, int button = 1, int repeat = 1);
void clickMiddle(HWND window);
void xdotoolKey(const std::string& keys);

// The screen as GDI reads it, top-down; saved as a PNG in the artifacts folder.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    void save(const std::string& name) const;
};
Screenshot captureScreen();
// Wine's taskbar draws its icons at its right end, with no window each: the box of the pixels there unlike the bar.
std::optional<RECT> waitForTrayIcon(bool present, DWORD timeoutMs = 10000);

}  // namespace driver
