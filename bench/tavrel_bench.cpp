// Load, save and settings-dialog timings for long picture lists, with the
// per-key profile calls beside them. Prints a table; run it under Wine:
//   tavrel_bench.exe [sizes...] [--per-key sizes...]

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "base/globals.h"
#include "res/resource.h"
#include "rotation/wallpaper_list.h"
#include "settings/profile_file.h"
#include "per_key_profile.h"
#include "settings/settings_store.h"
#include "ui/settings_dialog.h"

namespace {

double nowSeconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

PROCESS_MEMORY_COUNTERS_EX memory()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return counters;
}

// Paths of a photo library: a Chinese folder (图片) and numbered names.
std::wstring picturePath(int i)
{
    wchar_t path[kPathSize];
    std::swprintf(path, kPathSize, L"D:\\\u56fe\u7247\\%04d\\IMG_%08d.jpg", i / 1000, i);
    return path;
}

void fillList(int n)
{
    wallpaperList.clear();
    for (int i = 0; i < n; ++i)
        wallpaperList.append(picturePath(i).c_str());
}

// A file left by an earlier run: the platform keeps its parse of files it
// has not just seen written.
void ageFile(const char* path)
{
    HANDLE file = CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    ULARGE_INTEGER value{{time.dwLowDateTime, time.dwHighDateTime}};
    value.QuadPart -= 3600ULL * 10000000ULL;
    time.dwLowDateTime = value.LowPart;
    time.dwHighDateTime = value.HighPart;
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

// The settings dialog made as the tray command makes it, but modeless, so
// that its WM_INITDIALOG (which fills the list box) can be timed.
double dialogSeconds(int* rows)
{
    SettingsDialogState state;
    state.settings = showSettings;
    activeSettingsDialog = &state;
    const double start = nowSeconds();
    HWND dialog = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, settingsDialogProc, 0);
    const double seconds = nowSeconds() - start;
    *rows = dialog ? static_cast<int>(SendDlgItemMessageA(dialog, IDC_FILELIST, LB_GETCOUNT, 0, 0)) : -1;
    if (dialog)
        DestroyWindow(dialog);
    activeSettingsDialog = nullptr;
    return seconds;
}

void benchOneRead(const std::string& ini, int n)
{
    profileFile.setPath(std::wstring(ini.begin(), ini.end()).c_str());
    DeleteFileA(ini.c_str());
    showSettings = ShowSettings{1, 0, 12, 1, 1};

    wallpaperList.clear();
    const SIZE_T before = memory().PagefileUsage;
    fillList(n);
    const SIZE_T after = memory().PagefileUsage;

    double start = nowSeconds();
    saveSettings();
    const double save = nowSeconds() - start;

    ageFile(ini.c_str());
    wallpaperList.clear();
    start = nowSeconds();
    loadSettings();
    const double load = nowSeconds() - start;
    const int loaded = wallpaperList.count();

    int rows = 0;
    const double dialog = dialogSeconds(&rows);

    std::printf("%8d  %8.3f  %8.3f  %9.3f  %7d  %9.1f  %11.1f\n", n, load, save, dialog, loaded == n ? rows : -1,
                static_cast<double>(after - before) / n, memory().PeakPagefileUsage / 1048576.0);
    std::fflush(stdout);
}

void benchPerKey(const std::string& ini, int n)
{
    DeleteFileA(ini.c_str());
    fillList(n);
    double start = nowSeconds();
    per_key::save(std::wstring(ini.begin(), ini.end()).c_str(), ShowSettings{1, 0, 12, 1, 1}, wallpaperList);
    const double save = nowSeconds() - start;
    ageFile(ini.c_str());
    start = nowSeconds();
    const size_t loaded = per_key::readList(std::wstring(ini.begin(), ini.end()).c_str()).size();
    const double load = nowSeconds() - start;
    std::printf("%8d  %8.3f  %8.3f  %s\n", n, load, save, loaded == static_cast<size_t>(n) ? "" : "(count differs)");
    std::fflush(stdout);
}

std::string benchFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "tavrel-bench";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

int main(int argc, char** argv)
{
    appInstance = GetModuleHandleA(nullptr);
    std::vector<int> sizes, perKeySizes;
    bool perKey = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--per-key") == 0)
            perKey = true;
        else
            (perKey ? perKeySizes : sizes).push_back(std::atoi(argv[i]));
    }
    if (sizes.empty())
        sizes = {1000, 10000, 100000};
    if (!perKey)
        perKeySizes = {1000, 4000, 16000};

    const std::string folder = benchFolder();
    std::printf("One section read, one-piece save (seconds; list %s)\n", "cost in private bytes per entry");
    std::printf("%8s  %8s  %8s  %9s  %7s  %9s  %11s\n", "entries", "load", "save", "dialog", "rows", "bytes/ent",
                "peak MiB");
    for (int n : sizes)
        benchOneRead(folder + "\\Tavrel.ini", n);

    std::printf("\nPer-key profile calls (seconds)\n%8s  %8s  %8s\n", "entries", "load", "save");
    for (int n : perKeySizes)
        benchPerKey(folder + "\\perkey.ini", n);

    wallpaperList.clear();
    DeleteFileA((folder + "\\Tavrel.ini").c_str());
    DeleteFileA((folder + "\\perkey.ini").c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
