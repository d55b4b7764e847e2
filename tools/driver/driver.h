#pragma once
// The end-to-end test driver: runs the real Tavrel.exe in a fresh folder of
// the test prefix and drives it from outside, as a user and Windows would.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace driver {

// Windows path of a Unix path (through Wine's Z: drive), and back.
std::string windowsPathOf(const std::string& unixPath);
std::string unixPathOf(const std::string& windowsPath);

// Folders handed to the tests by ctest's environment.
std::string binDir();        // where Tavrel.exe and its WallPaper folder lie
std::string artifactDir();   // screenshots and logs worth keeping

std::optional<std::string> readFileBytes(const std::string& path);
bool writeFileBytes(const std::string& path, const std::string& bytes);
bool removeTree(const std::string& path);
bool copyTree(const std::string& from, const std::string& to);

// A fresh folder C:\tavrel-e2e\<name>-<n> holding a copy of Tavrel.exe (and
// the WallPaper folder when asked). Removed at the end unless the test failed.
class AppFolder {
public:
    explicit AppFolder(const std::string& name, bool withWallpapers = false);
    ~AppFolder();
    AppFolder(const AppFolder&) = delete;
    AppFolder& operator=(const AppFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string exe() const { return path_ + "\\Tavrel.exe"; }
    std::string ini() const { return path_ + "\\Tavrel.ini"; }
    std::string standinLog() const { return path_ + "\\standin.log"; }

    void writeIni(const std::string& bytes) const { writeFileBytes(ini(), bytes); }
    std::optional<std::string> readIni() const { return readFileBytes(ini()); }

private:
    std::string path_;
};

// One Tavrel process. Its environment names the folder's stand-in log.
class Tavrel {
public:
    // Starts the exe and waits for its main window ("Tavrel", TavrelClass);
    // with a Unix locale (say "C.UTF-8"), under that locale's code page.
    explicit Tavrel(const AppFolder& folder, DWORD timeoutMs = 15000, const std::string& unixLocale = "");
    ~Tavrel();  // asks it to close; kills it if it will not
    Tavrel(const Tavrel&) = delete;
    Tavrel& operator=(const Tavrel&) = delete;

    HWND window() const { return window_; }
    DWORD pid() const { return pid_; }
    HANDLE process() const { return process_; }
    bool running() const;
    // The process's current directory, as GetCurrentDirectory would give it.
    std::string currentDirectory() const;

    void post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // A menu command as the tray menu sends it (posted, as a click would be).
    void command(WORD id) const { post(WM_COMMAND, id, 0); }

    // Waits for the process to end; its exit code, or nothing on time-out.
    std::optional<DWORD> waitExit(DWORD timeoutMs = 15000);
    // Exit as the tray menu's Exit does; the exit code.
    std::optional<DWORD> exit(DWORD timeoutMs = 15000);
    void kill();

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND window_ = nullptr;
};

// Starts a program and waits for it; its exit code, or nothing on time-out.
std::optional<DWORD> runAndWait(const std::string& commandLine, const std::string& folder, DWORD timeoutMs);

// Top-level windows of a process (visible or not) whose title and class
// match; empty strings match anything.
std::vector<HWND> windowsOf(DWORD pid, const std::string& title = "", const std::string& className = "");
// Polls until `windowsOf` finds one; null on time-out.
HWND waitForWindow(DWORD pid, const std::string& title, const std::string& className, DWORD timeoutMs = 10000);
// Polls until the window is gone.
bool waitGone(HWND window, DWORD timeoutMs = 10000);
// The dialog class "#32770".
constexpr const char* kDialogClass = "#32770";

// Waits until `done` returns true, pumping nothing; false on time-out.
template <typename Predicate>
bool waitUntil(Predicate done, DWORD timeoutMs = 10000, DWORD stepMs = 50)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done())
            return true;
        if (GetTickCount64() >= end)
            return false;
        Sleep(stepMs);
    }
}

// The stand-in's log, line by line ("<pid> <Method> ...", without the pid).
std::vector<std::string> standinCalls(const AppFolder& folder);
// The paths given to SetWallpaper, in order.
std::vector<std::string> wallpapersSet(const AppFolder& folder);

// Runs a command line through /bin/sh on the Linux side (Wine starts Unix
// executables too) and waits for it: its exit code, or nothing on time-out.
std::optional<DWORD> runUnix(const std::string& commandLine, DWORD timeoutMs = 10000);
// A real mouse click through the X server at desktop coordinates.
void xdotoolClick(int x, int y, int button = 1, int repeat = 1);
void xdotoolKey(const std::string& keys);

// The screen as 32-bit BGRA pixels, top-down, as GDI reads it.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Writes a BMP into artifactDir() and a PNG next to it when convert exists.
    std::string save(const std::string& name) const;
};
Screenshot captureScreen();

inline int red(uint32_t c) { return (c >> 16) & 0xFF; }
inline int green(uint32_t c) { return (c >> 8) & 0xFF; }
inline int blue(uint32_t c) { return c & 0xFF; }

// The notification area of Wine's taskbar ("Shell_TrayWnd"), which draws its
// icons itself at its right end, without a window per icon. Empty while the
// taskbar is hidden (Wine hides it when it has nothing to show).
RECT taskbarRect();
// The box of the pixels in the taskbar's right end (the last `width` pixels)
// that differ from the taskbar's own colour; nothing when there are none.
std::optional<RECT> findTrayIcon(const Screenshot& shot, int width = 64);
// Polls until an icon is there (present) or gone (!present); the box found.
std::optional<RECT> waitForTrayIcon(bool present, DWORD timeoutMs = 10000);

}  // namespace driver
