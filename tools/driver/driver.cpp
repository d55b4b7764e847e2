#include "driver.h"

#include <commctrl.h>
#include <winternl.h>

#include <algorithm>
#include <cstdlib>
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
    return "Z:" + (std::replace(unixPath.begin(), unixPath.end(), '/', '\\'), unixPath);
}

std::string serial()  // unique within this process
{
    static int counter = 0;
    return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
}

std::string binDir() { return windowsPathOf(environment("TAVREL_BIN_DIR")); }  // Tavrel.exe, WallPaper

bool start(std::string commandLine, const char* folder, PROCESS_INFORMATION& info)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    return true;
}

}  // namespace

// Through Wine's drives.
std::string unixPathOf(const std::string& windowsPath)
{
    using ToUnix = char*(CDECL*)(const WCHAR*);
    static const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH * 4];
    char* unix = toUnix && MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH * 4) ? toUnix(wide)
                                                                                                     : nullptr;
    const std::string result = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::wstring wide(const std::string& utf8)
{
    std::wstring text(utf8.size() + 1, L'\0');
    text.resize(static_cast<size_t>(std::max(
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text.data(), static_cast<int>(text.size())) - 1, 0)));
    return text;
}

std::string utf8(const std::wstring& text)
{
    std::string bytes(text.size() * 3 + 1, '\0');
    bytes.resize(static_cast<size_t>(std::max(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(),
                                                                  static_cast<int>(bytes.size()), nullptr, nullptr) - 1, 0)));
    return bytes;
}

std::wstring longPath(const std::string& path)
{
    WCHAR shortForm[MAX_PATH] = {}, full[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, shortForm, MAX_PATH);
    return GetLongPathNameW(shortForm, full, MAX_PATH) ? full : shortForm;
}

std::optional<std::string> readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();  // an empty file sets only the copy's failbit
    return in ? std::optional<std::string>(bytes.str()) : std::nullopt;
}

bool writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

bool convertPicture(const std::string& from, const std::string& to, const std::string& format,
                    const std::string& options)
{
    return runUnix("convert '" + unixPathOf(from) + "' " + options + " '" + format + ":" + unixPathOf(to) + "'")
               .value_or(1) == 0;
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
    const std::string base = std::string(temp) + "tavrel-unix-" + serial(), unixBase = unixPathOf(base);
    DeleteFileA((base + ".done").c_str());  // left by a run killed half way
    writeFileBytes(base + ".sh", "(" + commandLine + ")\necho $? > '" + unixBase + ".tmp'; mv '" + unixBase +
                                     ".tmp' '" + unixBase + ".done'\n");
    PROCESS_INFORMATION info = {};
    if (unixBase.empty() || !start("/bin/sh \"" + unixBase + ".sh\"", nullptr, info))
        return std::nullopt;
    CloseHandle(info.hProcess);
    std::optional<std::string> result;
    waitUntil([&] { return (result = readFileBytes(base + ".done")).has_value(); }, timeoutMs, 20);
    DeleteFileA((base + ".done").c_str());
    DeleteFileA((base + ".sh").c_str());
    return result ? std::optional<DWORD>(std::strtoul(result->c_str(), nullptr, 10)) : std::nullopt;
}

AppFolder::AppFolder(const std::string& name, bool withWallpapers)
{
    // Made in Unicode; a name beyond ASCII is known by its short name.
    WCHAR wide[MAX_PATH];
    char ansi[MAX_PATH];
    CreateDirectoryA("C:\\tavrel-e2e", nullptr);
    MultiByteToWideChar(CP_UTF8, 0, ("C:\\tavrel-e2e\\" + name + "-" + serial()).c_str(), -1, wide, MAX_PATH);
    CreateDirectoryW(wide, nullptr);
    if (std::any_of(name.begin(), name.end(), [](char c) { return c & 0x80; }))
        GetShortPathNameW(wide, wide, MAX_PATH);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, MAX_PATH, nullptr, nullptr);
    path_ = ansi;
    CopyFileA((binDir() + "\\Tavrel.exe").c_str(), exe().c_str(), FALSE);
    if (withWallpapers)
        runUnix("cp -r '" + unixPathOf(binDir() + "\\WallPaper") + "' '" + unixPathOf(path_) + "/'");
}

Strings AppFolder::standinCalls() const
{
    Strings calls;
    std::istringstream lines(readFileBytes(path_ + "\\standin.log").value_or(""));
    for (std::string line; std::getline(lines, line);)
        calls.push_back(line.substr(line.find(' ') + 1));
    return calls;
}

Strings AppFolder::wallpapersSet() const
{
    Strings paths;
    const std::string marker = "SetWallpaper reserved=0 path=";
    for (const std::string& call : standinCalls())
        if (call.compare(0, marker.size(), marker) == 0)
            paths.push_back(call.substr(marker.size()));
    return paths;
}

bool AppFolder::waitWallpapers(size_t count, DWORD timeoutMs) const
{
    return waitUntil([&] { return wallpapersSet().size() >= count; }, timeoutMs);
}

Tavrel::Tavrel(const AppFolder& folder)
{
    SetEnvironmentVariableA("TAVREL_STANDIN_LOG", (folder.path() + "\\standin.log").c_str());
    // By its long name, as a user starts it: the program finds itself so.
    std::wstring commandLine = L"\"" + longPath(folder.exe()) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, longPath(folder.path()).c_str(),
                       &startup, &info))
        CloseHandle(info.hThread), process_ = info.hProcess, pid_ = info.dwProcessId;
    waitUntil([&] {
        const std::vector<HWND> found = windowsOf(pid_, "Tavrel", "TavrelClass");
        return (window_ = found.empty() ? nullptr : found[0]) != nullptr;
    }, 15000);
}

Tavrel::~Tavrel()
{
    if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT && !exit(10000))
        kill();
    if (process_)
        CloseHandle(process_);
}

std::string Tavrel::currentDirectory() const
{
    // The process parameters begin with 16 bytes and five handles; then the
    // current directory's path (the layout is the same in Wine and Windows).
    struct { BYTE reserved[16]; PVOID handles[5]; UNICODE_STRING currentDirectory; } head = {};
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb = {};
    WCHAR path[1024] = {};
    if (NtQueryInformationProcess(process_, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !ReadProcessMemory(process_, basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !ReadProcessMemory(process_, peb.ProcessParameters, &head, sizeof head, nullptr) ||
        !ReadProcessMemory(process_, head.currentDirectory.Buffer, path,
                           std::min<size_t>(head.currentDirectory.Length, sizeof path - 2), nullptr))
        return "";
    const std::string text = utf8(path);
    return text.size() > 3 && text.back() == '\\' ? text.substr(0, text.size() - 1) : text;  // kept with one
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
    if (TerminateProcess(process_, 99))
        WaitForSingleObject(process_, 5000);
}

HWND Tavrel::open(WORD id, const char* title) const
{
    command(id);
    HWND dialog = waitShown(pid_, kDialogClass, title);
    Sleep(300);  // let the first paint finish before looking or clicking
    return dialog;
}

HWND openTrayMenu(const Tavrel& app)
{
    const auto icon = waitForTrayIcon(true);
    if (!icon)
        return nullptr;
    xdotoolClick((icon->left + icon->right) / 2, (icon->top + icon->bottom) / 2, 3);
    HWND menu = waitShown(app.pid(), kMenuClass);
    Sleep(300);
    return menu;
}

bool waitTooltip(const std::string& text, DWORD timeoutMs)
{
    const auto icon = waitForTrayIcon(true);
    if (!icon)
        return false;
    runUnix("/usr/bin/xdotool mousemove " + std::to_string(icon->left + 8) + " " + std::to_string(icon->top + 8));
    return waitUntil([&] {
        WCHAR shown[128] = {};
        for (HWND tip : windowsOf(0, "", "tooltips_class32"))  // Wine's taskbar's, asked for their texts
            if (SendMessageTimeoutW(tip, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(shown), SMTO_NORMAL, 1000, nullptr) &&
                utf8(shown) == text)
                return true;
        return false;
    }, timeoutMs);
}

Strings rowsOf(HWND dialog, int id, UINT getCount, UINT getText)
{
    Strings rows;
    for (LRESULT i = 0, n = SendDlgItemMessageW(dialog, id, getCount, 0, 0); i < n; ++i) {
        WCHAR row[600] = {};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(GetDlgItem(dialog, id), getText, i, reinterpret_cast<LPARAM>(row), SMTO_NORMAL, 5000,
                            &ignored);
        rows.push_back(utf8(row));
    }
    return rows;
}

static BOOL CALLBACK findEdit(HWND child, LPARAM found)  // the visible one, at any depth
{
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Edit") == 0 && IsWindowVisible(child))
        *reinterpret_cast<HWND*>(found) = child;
    return *reinterpret_cast<HWND*>(found) == nullptr;
}

Strings addThroughFileDialog(const Tavrel& app, HWND dialog, const Strings& typed, LRESULT* listed, int button)
{
    clickMiddle(GetDlgItem(dialog, button));  // Add, or another that opens such a dialog
    HWND fileDialog = otherDialog(app, dialog), edit = nullptr;  // and its one visible edit box
    if (!waitUntil([&] {
            EnumChildWindows(fileDialog, findEdit, reinterpret_cast<LPARAM>(&edit));
            return edit != nullptr;
        }))
        return {};
    const Strings fileTypes = rowsOf(fileDialog, 0x470, CB_GETCOUNT, CB_GETLBTEXT);  // cmb1
    for (const std::string& text : typed) {
        if (listed)
            *listed = SendMessageA(FindWindowExA(FindWindowExA(fileDialog, nullptr, "SHELLDLL_DefView", nullptr), nullptr,
                                                 "SysListView32", nullptr), LVM_GETITEMCOUNT, 0, 0);
        clickMiddle(edit);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide(text).c_str()), SMTO_NORMAL, 5000,
                            &ignored);
        xdotoolKey("Return");
        Sleep(300);
    }
    return waitGone(fileDialog) ? fileTypes : Strings{};
}

std::string bmpBytes(int width, int height, COLORREF left, COLORREF right, COLORREF topBand)
{
    const int stride = (width * 3 + 3) & ~3;
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file = {0x4D42, offset + stride * height, 0, 0, offset};
    const BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string row(stride, '\0'), bytes = std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                                           std::string(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = 0; y < height; ++y, bytes += row)  // from the bottom up
        for (int x = 0; x < width * 3; ++x)         // blue, green, red
            row[x] = static_cast<char>((topBand != CLR_INVALID && y >= height - height / 4 ? topBand
                                        : x < width / 2 * 3                             ? left
                                                                                        : right) >> (16 - 8 * (x % 3)));
    return bytes;
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

std::vector<HWND> windowsOf(DWORD pid, const std::string& title, const std::string& className)
{
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, className.empty() ? nullptr : className.c_str(),
                                                        title.empty() ? nullptr : title.c_str()));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (!pid || owner == pid)
            found.push_back(window);
    }
    return found;
}

HWND waitShown(DWORD pid, const std::string& className, const char* title, DWORD timeoutMs)
{
    HWND found = nullptr;
    waitUntil([&] {
        for (HWND window : windowsOf(pid, title ? title : "", className))
            if (IsWindowVisible(window) && (!title || GetWindowTextLengthA(window) == lstrlenA(title)))
                return (found = window) != nullptr;
        return false;
    }, timeoutMs);
    return found;
}

bool waitGone(HWND window, DWORD timeoutMs) { return waitUntil([&] { return !IsWindow(window); }, timeoutMs); }

bool closeDialog(HWND dialog, int button)
{
    PostMessageA(dialog, WM_COMMAND, button, 0);
    return waitGone(dialog);
}

HWND otherDialog(const Tavrel& app, HWND dialog)
{
    HWND found = nullptr;
    waitUntil([&] {
        for (HWND window : windowsOf(app.pid(), "", kDialogClass))
            found = window != dialog && IsWindowVisible(window) ? window : found;
        return found != nullptr;
    });
    return found;
}

void xdotoolClick(int x, int y, int button, int repeat)
{
    // One xdotool run, so that the click cannot overtake the move.
    runUnix("/usr/bin/xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 click --repeat " +
            std::to_string(repeat) + " " + std::to_string(button));
}

void clickMiddle(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    xdotoolClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
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
    for (COLORREF& p : shot.pixels)  // from 0x00RRGGBB
        p = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

void Screenshot::save(const std::string& name) const
{
    const std::string folder = environment("TAVREL_ARTIFACTS"), raw = folder + "/" + name + ".rgba";
    runUnix("mkdir -p '" + folder + "'");
    writeFileBytes(windowsPathOf(raw), std::string(reinterpret_cast<const char*>(pixels.data()), pixels.size() * 4));
    runUnix("convert -size " + std::to_string(width) + "x" + std::to_string(height) + " -depth 8 'rgba:" + raw +
            "' -alpha off '" + folder + "/" + name + ".png' && rm '" + raw + "'", 20000);
}

static std::optional<RECT> findTrayIcon(const Screenshot& shot)
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
    std::map<COLORREF, int> counts;  // the taskbar's own colour is the one most of it has
    std::pair<COLORREF, int> background = {0, 0};
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
    waitUntil([&] {
        previous = found;
        found = findTrayIcon(captureScreen());
        return found.has_value() == present && (!present || (previous && EqualRect(&*previous, &*found)));
    }, timeoutMs, 100);
    return found;
}

}  // namespace driver
