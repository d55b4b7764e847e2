#include "driver.h"

#include <winternl.h>

#include <cstdio>
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
    if (length == 0 || length >= sizeof value)
        return {};
    return value;
}

int nextFolderNumber()
{
    static int counter = 0;
    return ++counter;
}

}  // namespace

std::string windowsPathOf(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string unixPathOf(const std::string& windowsPath)
{
    using ToUnix = char*(CDECL*)(const WCHAR*);
    static const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return {};
    WCHAR wide[MAX_PATH * 4];
    if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH * 4))
        return {};
    char* unix = toUnix(wide);
    if (!unix)
        return {};
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::string binDir()
{
    const std::string dir = environment("TAVREL_BIN_DIR");
    return dir.empty() ? std::string() : windowsPathOf(dir);
}

std::string artifactDir()
{
    std::string dir = environment("TAVREL_ARTIFACTS");
    dir = dir.empty() ? std::string("C:\\tavrel-artifacts") : windowsPathOf(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

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
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryA(path.c_str()) != 0;
}

bool copyTree(const std::string& from, const std::string& to)
{
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = copyTree(from + "\\" + name, to + "\\" + name) && ok;
        else
            ok = CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE) && ok;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

AppFolder::AppFolder(const std::string& name, bool withWallpapers)
{
    CreateDirectoryA("C:\\tavrel-e2e", nullptr);
    path_ = "C:\\tavrel-e2e\\" + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(nextFolderNumber());
    removeTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
    CopyFileA((binDir() + "\\Tavrel.exe").c_str(), exe().c_str(), FALSE);
    if (withWallpapers)
        copyTree(binDir() + "\\WallPaper", path_ + "\\WallPaper");
}

AppFolder::~AppFolder()
{
    if (environment("TAVREL_KEEP_FOLDERS").empty())
        removeTree(path_);
}

namespace {

// A Tavrel left over by an earlier, failed test would make the new one quit
// at once (one instance per desktop).
void endStrayInstances()
{
    for (HWND stray : windowsOf(0, "Tavrel", "TavrelClass")) {
        DWORD pid = 0;
        GetWindowThreadProcessId(stray, &pid);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process)
            continue;
        TerminateProcess(process, 98);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

}  // namespace

Tavrel::Tavrel(const AppFolder& folder, DWORD timeoutMs, const std::string& unixLocale)
{
    endStrayInstances();
    SetEnvironmentVariableA("TAVREL_STANDIN_LOG", folder.standinLog().c_str());
    if (!unixLocale.empty()) {
        // Wine takes the ANSI code page from the Unix locale, which a Windows
        // parent cannot change: start it from the Unix side and attach.
        char loader[MAX_PATH] = "wine";
        GetEnvironmentVariableA("WINELOADER", loader, sizeof loader);
        runUnix("cd '" + unixPathOf(folder.path()) + "' && LC_ALL=" + unixLocale + " LANG=" + unixLocale + " '" +
                loader + "' Tavrel.exe </dev/null >/dev/null 2>&1 &");
        HWND window = nullptr;
        waitUntil([&] { return (window = FindWindowA("TavrelClass", "Tavrel")) != nullptr; }, timeoutMs);
        if (window && GetWindowThreadProcessId(window, &pid_))
            process_ = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid_);
        window_ = process_ ? window : nullptr;
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
    window_ = waitForWindow(pid_, "Tavrel", "TavrelClass", timeoutMs);
}

Tavrel::~Tavrel()
{
    if (!process_)
        return;
    if (running() && !exit(10000))
        kill();
    CloseHandle(process_);
}

bool Tavrel::running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::string Tavrel::currentDirectory() const
{
    // The process parameters begin with 16 bytes and five handles; then the
    // current directory's path (the layout is the same in Wine and Windows).
    struct ParametersHead {
        BYTE reserved[16];
        PVOID handles[5];
        UNICODE_STRING currentDirectory;
    };
    using QueryFunction = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb = {};
    ParametersHead head = {};
    if (!query || query(process_, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !ReadProcessMemory(process_, basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !ReadProcessMemory(process_, peb.ProcessParameters, &head, sizeof head, nullptr))
        return "";
    std::wstring path(head.currentDirectory.Length / sizeof(wchar_t), L'\0');
    if (!ReadProcessMemory(process_, head.currentDirectory.Buffer, &path[0], head.currentDirectory.Length, nullptr))
        return "";
    if (path.size() > 3 && path.back() == L'\\')
        path.pop_back();  // kept with a backslash, reported without
    char ansi[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

void Tavrel::post(UINT message, WPARAM wParam, LPARAM lParam) const
{
    PostMessageA(window_, message, wParam, lParam);
}

LRESULT Tavrel::send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window_, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

std::optional<DWORD> Tavrel::waitExit(DWORD timeoutMs)
{
    if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::optional<DWORD> Tavrel::exit(DWORD timeoutMs)
{
    command(32773);  // the tray menu's Exit
    return waitExit(timeoutMs);
}

void Tavrel::kill()
{
    if (process_) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
}

std::optional<DWORD> runAndWait(const std::string& commandLine, const std::string& folder, DWORD timeoutMs)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return std::nullopt;
    CloseHandle(info.hThread);
    std::optional<DWORD> result;
    if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        result = code;
    } else {
        TerminateProcess(info.hProcess, 99);
    }
    CloseHandle(info.hProcess);
    return result;
}

namespace {

struct WindowQuery {
    DWORD pid;
    std::string title;
    std::string className;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM parameter)
{
    auto* query = reinterpret_cast<WindowQuery*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (query->pid && pid != query->pid)
        return TRUE;
    char text[512] = {};
    if (!query->title.empty()) {
        GetWindowTextA(window, text, sizeof text);
        if (query->title != text)
            return TRUE;
    }
    if (!query->className.empty()) {
        GetClassNameA(window, text, sizeof text);
        if (query->className != text)
            return TRUE;
    }
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

HWND waitForWindow(DWORD pid, const std::string& title, const std::string& className, DWORD timeoutMs)
{
    HWND window = nullptr;
    waitUntil(
        [&] {
            const std::vector<HWND> found = windowsOf(pid, title, className);
            window = found.empty() ? nullptr : found.front();
            return window != nullptr;
        },
        timeoutMs);
    return window;
}

bool waitGone(HWND window, DWORD timeoutMs)
{
    return waitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

std::vector<std::string> standinCalls(const AppFolder& folder)
{
    std::vector<std::string> calls;
    const std::optional<std::string> log = readFileBytes(folder.standinLog());
    if (!log)
        return calls;
    std::istringstream lines(*log);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t space = line.find(' ');
        calls.push_back(space == std::string::npos ? line : line.substr(space + 1));
    }
    return calls;
}

std::vector<std::string> wallpapersSet(const AppFolder& folder)
{
    std::vector<std::string> paths;
    const std::string marker = "SetWallpaper reserved=0 path=";
    for (const std::string& call : standinCalls(folder))
        if (call.compare(0, marker.size(), marker) == 0)
            paths.push_back(call.substr(marker.size()));
    return paths;
}

namespace {

// One argument as Windows splits command lines: quoted, with quotes and the
// backslashes before them escaped.
std::string quotedArgument(const std::string& text)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
        } else if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
            backslashes = 0;
        } else {
            quoted.append(backslashes, '\\');
            backslashes = 0;
        }
        if (c != '\\')
            quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

int nextUnixRun()
{
    static int counter = 0;
    return ++counter;
}

}  // namespace

std::optional<DWORD> runUnix(const std::string& commandLine, DWORD timeoutMs)
{
    // Wine starts Linux programs but hands back no process to wait for, so
    // the shell reports the end, and the exit code, through a file.
    char tempDir[MAX_PATH];
    if (!GetTempPathA(sizeof tempDir, tempDir))
        return std::nullopt;
    const std::string doneFile = std::string(tempDir) + "tavrel-unix-" + std::to_string(GetCurrentProcessId()) +
                                 "-" + std::to_string(nextUnixRun()) + ".done";
    DeleteFileA(doneFile.c_str());
    const std::string unixDone = unixPathOf(doneFile);
    if (unixDone.empty())
        return std::nullopt;
    const std::string script = "(" + commandLine + "); echo $? > '" + unixDone + ".tmp'; mv '" + unixDone + ".tmp' '" +
                               unixDone + "'";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = "/bin/sh -c " + quotedArgument(script);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return std::nullopt;
    if (info.hThread)
        CloseHandle(info.hThread);
    if (info.hProcess)
        CloseHandle(info.hProcess);
    std::optional<std::string> result;
    waitUntil([&] { return (result = readFileBytes(doneFile)).has_value(); }, timeoutMs, 20);
    DeleteFileA(doneFile.c_str());
    if (!result)
        return std::nullopt;
    return static_cast<DWORD>(std::strtoul(result->c_str(), nullptr, 10));
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
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(bits);
        shot.pixels.assign(pixels, pixels + static_cast<size_t>(shot.width) * shot.height);
        for (uint32_t& p : shot.pixels)
            p &= 0x00FFFFFF;
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

std::string Screenshot::save(const std::string& name) const
{
    const std::string path = artifactDir() + "\\" + name + ".bmp";
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    const DWORD imageSize = static_cast<DWORD>(pixels.size() * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageSize;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(reinterpret_cast<const char*>(pixels.data()), imageSize);
    writeFileBytes(path, bytes);
    const std::string unixBmp = unixPathOf(path);
    if (!unixBmp.empty()) {
        const std::string unixPng = unixBmp.substr(0, unixBmp.size() - 4) + ".png";
        runUnix("/usr/bin/convert \"" + unixBmp + "\" \"" + unixPng + "\"", 20000);
    }
    return path;
}

RECT taskbarRect()
{
    RECT rect = {};
    // Wine hides the taskbar while it has nothing to show.
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (taskbar && IsWindowVisible(taskbar))
        GetWindowRect(taskbar, &rect);
    return rect;
}

std::optional<RECT> findTrayIcon(const Screenshot& shot, int width)
{
    RECT bar = taskbarRect();
    const RECT screen = {0, 0, shot.width, shot.height};
    IntersectRect(&bar, &bar, &screen);
    if (bar.right - bar.left < width || bar.bottom <= bar.top)
        return std::nullopt;
    // The taskbar's own colour is the one most of it has.
    std::map<uint32_t, int> counts;
    std::pair<uint32_t, int> background = {0, 0};
    for (int y = bar.top; y < bar.bottom; ++y)
        for (int x = bar.left; x < bar.right; ++x)
            if (++counts[shot.at(x, y)] > background.second)
                background = {shot.at(x, y), counts[shot.at(x, y)]};
    RECT box = {};
    for (int y = bar.top; y < bar.bottom; ++y)
        for (int x = bar.right - width; x < bar.right; ++x)
            if (shot.at(x, y) != background.first) {
                const RECT pixel = {x, y, x + 1, y + 1};
                UnionRect(&box, &box, &pixel);
            }
    if (IsRectEmpty(&box))
        return std::nullopt;
    return box;
}

std::optional<RECT> waitForTrayIcon(bool present, DWORD timeoutMs)
{
    // Two equal looks in a row: a taskbar that has just been shown again may
    // not be painted yet.
    std::optional<RECT> found;
    std::optional<RECT> previous;
    waitUntil(
        [&] {
            previous = found;
            found = findTrayIcon(captureScreen());
            if (found.has_value() != present)
                return false;
            return !present || (previous && EqualRect(&*previous, &*found));
        },
        timeoutMs, 100);
    return found;
}

}  // namespace driver
