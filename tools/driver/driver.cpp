#include "driver.h"

#include <winternl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace driver {

namespace {

std::string environment(const char* name)
{
    char value[1024];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length == 0 || length >= sizeof value ? std::string() : value;
}

std::string windowsPathOf(std::string unixPath)
{
    for (char& c : unixPath)
        c = c == '/' ? '\\' : c;
    return "Z:" + unixPath;
}

int serial()
{
    static int counter = 0;
    return ++counter;
}

}  // namespace

std::string unixPathOf(const std::string& windowsPath)
{
    using ToUnix = char*(CDECL*)(const WCHAR*);
    static const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH * 4];
    char* unix = toUnix && MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH * 4)
                     ? toUnix(wide)
                     : nullptr;
    const std::string result = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::string binDir() { return windowsPathOf(environment("TAVREL_BIN_DIR")); }

std::optional<std::string> readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool removeTree(const std::string& path)
{
    const std::string unix = unixPathOf(path);
    return unix.size() > 5 && runUnix("rm -rf '" + unix + "'").value_or(1) == 0;
}

std::optional<DWORD> runUnix(const std::string& commandLine, DWORD timeoutMs)
{
    // Wine starts Linux programs but hands back no process to wait for, so
    // the script reports its end, and the exit code, through a file.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string base = std::string(temp) + "tavrel-unix-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(serial()), done = base + ".done";
    const std::string unixBase = unixPathOf(base);
    writeFileBytes(base + ".sh", "(" + commandLine + ")\necho $? > '" + unixBase + ".tmp'; mv '" + unixBase +
                                     ".tmp' '" + unixBase + ".done'\n");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = "/bin/sh \"" + unixBase + ".sh\"";
    if (unixBase.empty() ||
        !CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return std::nullopt;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    std::optional<std::string> result;
    waitUntil([&] { return (result = readFileBytes(done)).has_value(); }, timeoutMs, 20);
    DeleteFileA(done.c_str());
    DeleteFileA((base + ".sh").c_str());
    return result ? std::optional<DWORD>(std::strtoul(result->c_str(), nullptr, 10)) : std::nullopt;
}

std::optional<DWORD> runAndWait(const std::string& commandLine, const std::string& folder, DWORD timeoutMs)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info))
        return std::nullopt;
    CloseHandle(info.hThread);
    DWORD code = 0;
    const bool ended = WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
    ended ? GetExitCodeProcess(info.hProcess, &code) : TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hProcess);
    return ended ? std::optional<DWORD>(code) : std::nullopt;
}

AppFolder::AppFolder(const std::string& name, bool withWallpapers)
    : path_("C:\\tavrel-e2e\\" + name + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial()))
{
    CreateDirectoryA("C:\\tavrel-e2e", nullptr);
    CreateDirectoryA(path_.c_str(), nullptr);
    CopyFileA((binDir() + "\\Tavrel.exe").c_str(), exe().c_str(), FALSE);
    if (withWallpapers)
        runUnix("cp -r '" + unixPathOf(binDir() + "\\WallPaper") + "' '" + unixPathOf(path_) + "/'");
}

Tavrel::Tavrel(const AppFolder& folder, DWORD timeoutMs, const std::string& unixLocale)
{
    // A Tavrel left over by an earlier, failed test would make this one quit
    // at once (one instance per desktop).
    for (HWND stray : windowsOf(0, "Tavrel", "TavrelClass")) {
        DWORD pid = 0;
        GetWindowThreadProcessId(stray, &pid);
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(process, 98);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    SetEnvironmentVariableA("TAVREL_STANDIN_LOG", folder.standinLog().c_str());
    if (!unixLocale.empty()) {
        // Wine takes the ANSI code page from the Unix locale, which a Windows
        // parent cannot change: start it from the Unix side and attach.
        const std::string loader = environment("WINELOADER").empty() ? "wine" : environment("WINELOADER");
        runUnix("cd '" + unixPathOf(folder.path()) + "' && LC_ALL=" + unixLocale + " LANG=" + unixLocale + " '" +
                loader + "' Tavrel.exe </dev/null >/dev/null 2>&1 &");
        waitUntil([&] { return (window_ = FindWindowA("TavrelClass", "Tavrel")) != nullptr; }, timeoutMs);
        if (window_ && GetWindowThreadProcessId(window_, &pid_))
            process_ = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid_);
        return;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + folder.exe() + "\"";
    if (!CreateProcessA(folder.exe().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.path().c_str(), &startup, &info))
        return;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    waitUntil(
        [&] {
            const std::vector<HWND> found = windowsOf(pid_, "Tavrel", "TavrelClass");
            return (window_ = found.empty() ? nullptr : found[0]) != nullptr;
        },
        timeoutMs);
}

Tavrel::~Tavrel()
{
    if (running() && !exit(10000))
        kill();
    if (process_)
        CloseHandle(process_);
}

std::string Tavrel::currentDirectory() const
{
    // The process parameters begin with 16 bytes and five handles; then the
    // current directory's path (the layout is the same in Wine and Windows).
    struct ParametersHead {
        BYTE reserved[16];
        PVOID handles[5];
        UNICODE_STRING currentDirectory;
    };
    using Query = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb = {};
    ParametersHead head = {};
    WCHAR path[1024] = {};
    if (!query || query(process_, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !ReadProcessMemory(process_, basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !ReadProcessMemory(process_, peb.ProcessParameters, &head, sizeof head, nullptr) ||
        !ReadProcessMemory(process_, head.currentDirectory.Buffer, path,
                           std::min<size_t>(head.currentDirectory.Length, sizeof path - 2), nullptr))
        return "";
    char ansi[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, path, -1, ansi, sizeof ansi, nullptr, nullptr);
    std::string text = ansi;
    return text.size() > 3 && text.back() == '\\' ? text.substr(0, text.size() - 1) : text;  // kept with one
}

LRESULT Tavrel::send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window_, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

std::optional<DWORD> Tavrel::waitExit(DWORD timeoutMs)
{
    DWORD code = 0;
    if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0 || !GetExitCodeProcess(process_, &code))
        return std::nullopt;
    return code;
}

void Tavrel::kill()
{
    if (process_ && TerminateProcess(process_, 99))
        WaitForSingleObject(process_, 5000);
}

std::string fileListSection(const Strings& files)
{
    std::string text = "[FILELIST]\r\n";
    for (size_t i = 0; i < files.size(); ++i)
        text += std::to_string(i) + "=" + files[i] + "\r\n";
    return text;
}

std::string iniText(int showMode, int showOrder, int alteTime, int preview, int autoRun, const Strings& files)
{
    return "[SETTINGS]\r\nSHOWMODE=" + std::to_string(showMode) + "\r\nSHOWORDER=" + std::to_string(showOrder) +
           "\r\nALTETIME=" + std::to_string(alteTime) + "\r\nPREVIEW=" + std::to_string(preview) +
           "\r\nAUTORUN=" + std::to_string(autoRun) + "\r\n" + (files.empty() ? "" : fileListSection(files));
}

Strings savedList(const AppFolder& folder)
{
    Strings paths;
    char value[MAX_PATH];
    while (GetPrivateProfileStringA("FILELIST", std::to_string(paths.size()).c_str(), "", value, sizeof value,
                                    folder.ini().c_str()) > 0)
        paths.push_back(value);
    return paths;
}

namespace {

struct WindowQuery {
    DWORD pid;
    std::string title, className;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM parameter)
{
    auto* query = reinterpret_cast<WindowQuery*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char title[512] = {}, className[512] = {};
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, className, sizeof className);
    if ((!query->pid || pid == query->pid) && (query->title.empty() || query->title == title) &&
        (query->className.empty() || query->className == className))
        query->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> windowsOf(DWORD pid, const std::string& title, const std::string& className)
{
    WindowQuery query{pid, title, className, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND waitShown(DWORD pid, const std::string& className, const char* title, DWORD timeoutMs)
{
    HWND found = nullptr;
    waitUntil(
        [&] {
            for (HWND window : windowsOf(pid, "", className)) {
                char text[128] = {};
                GetWindowTextA(window, text, sizeof text);
                if (IsWindowVisible(window) && (!title || std::strcmp(title, text) == 0))
                    return (found = window) != nullptr;
            }
            return false;
        },
        timeoutMs);
    return found;
}

bool waitGone(HWND window, DWORD timeoutMs)
{
    return waitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

Strings standinCalls(const AppFolder& folder)
{
    Strings calls;
    std::istringstream lines(readFileBytes(folder.standinLog()).value_or(""));
    for (std::string line; std::getline(lines, line);)
        calls.push_back(line.substr(line.find(' ') + 1));
    return calls;
}

Strings wallpapersSet(const AppFolder& folder)
{
    Strings paths;
    const std::string marker = "SetWallpaper reserved=0 path=";
    for (const std::string& call : standinCalls(folder))
        if (call.compare(0, marker.size(), marker) == 0)
            paths.push_back(call.substr(marker.size()));
    return paths;
}

bool waitWallpapers(const AppFolder& folder, size_t count, DWORD timeoutMs)
{
    return waitUntil([&] { return wallpapersSet(folder).size() >= count; }, timeoutMs);
}

void xdotoolClick(int x, int y, int button, int repeat)
{
    // One xdotool run, so that the click cannot overtake the move.
    runUnix("/usr/bin/xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 click --repeat " +
            std::to_string(repeat) + " " + std::to_string(button));
}

void xdotoolKey(const std::string& keys) { runUnix("/usr/bin/xdotool key " + keys); }

Screenshot captureScreen()
{
    Screenshot shot;
    shot.width = GetSystemMetrics(SM_CXSCREEN);
    shot.height = GetSystemMetrics(SM_CYSCREEN);
    shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(memory, bitmap, 0, shot.height, shot.pixels.data(), &info, DIB_RGB_COLORS);
    for (uint32_t& p : shot.pixels)
        p &= 0x00FFFFFF;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

void Screenshot::save(const std::string& name) const
{
    const std::string folder = environment("TAVREL_ARTIFACTS");
    runUnix("mkdir -p '" + folder + "'");
    const std::string raw = folder + "/" + name + ".bgra";
    writeFileBytes(windowsPathOf(raw), std::string(reinterpret_cast<const char*>(pixels.data()), pixels.size() * 4));
    runUnix("convert -size " + std::to_string(width) + "x" + std::to_string(height) + " -depth 8 'bgra:" + raw +
                "' -alpha off '" + folder + "/" + name + ".png' && rm '" + raw + "'",
            20000);
}

std::optional<RECT> findTrayIcon(const Screenshot& shot)
{
    // Wine hides the taskbar while it has nothing to show.
    RECT bar = {};
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    const RECT screen = {0, 0, shot.width, shot.height};
    if (taskbar && IsWindowVisible(taskbar))
        GetWindowRect(taskbar, &bar);
    IntersectRect(&bar, &bar, &screen);
    if (bar.right - bar.left < 64 || bar.bottom <= bar.top)
        return std::nullopt;
    std::map<uint32_t, int> counts;  // the taskbar's own colour is the one most of it has
    std::pair<uint32_t, int> background = {0, 0};
    for (int y = bar.top; y < bar.bottom; ++y)
        for (int x = bar.left; x < bar.right; ++x)
            if (++counts[shot.at(x, y)] > background.second)
                background = {shot.at(x, y), counts[shot.at(x, y)]};
    RECT box = {};
    for (int y = bar.top; y < bar.bottom; ++y)
        for (int x = bar.right - 64; x < bar.right; ++x)
            if (shot.at(x, y) != background.first) {
                const RECT pixel = {x, y, x + 1, y + 1};
                UnionRect(&box, &box, &pixel);
            }
    return IsRectEmpty(&box) ? std::nullopt : std::optional<RECT>(box);
}

std::optional<RECT> waitForTrayIcon(bool present, DWORD timeoutMs)
{
    // Two equal looks in a row: a taskbar just shown again may not be painted yet.
    std::optional<RECT> found, previous;
    waitUntil(
        [&] {
            previous = found;
            found = findTrayIcon(captureScreen());
            return found.has_value() == present && (!present || (previous && EqualRect(&*previous, &*found)));
        },
        timeoutMs, 100);
    return found;
}

}  // namespace driver
