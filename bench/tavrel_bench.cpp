// Load, save and settings-dialog timings for long picture lists, with the
// per-key profile calls beside them, and the preview of camera-sized photos.
// Prints tables; run it under Wine:
//   tavrel_bench.exe [sizes...] [--per-key sizes...] [--preview-only]

#include <windows.h>
#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/scoped_win.h"
#include "import_slot.h"
#include "res/resource.h"
#include "rotation/disk_pictures.h"
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
    HWND dialog = CreateDialogParamW(appInstance, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, settingsDialogProc, 0);
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
    showSettings = ShowSettings{1, 0, 12, 1, 1, 1};

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
    per_key::save(std::wstring(ini.begin(), ini.end()).c_str(), ShowSettings{1, 0, 12, 1, 1, 1}, wallpaperList);
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

// Every picture the preview decodes ends in one of these two calls.
IMPORT_SLOT(OleLoadPicturePath, 24);
IMPORT_SLOT(OleCreatePictureIndirect, 16);
int decodes = 0;

HRESULT WINAPI countedLoadPath(LPOLESTR path, LPUNKNOWN caller, DWORD reserved, OLE_COLOR colour, REFIID iid,
                               LPVOID* out)
{
    const HRESULT result = OleLoadPicturePath_real(path, caller, reserved, colour, iid, out);
    decodes += result == S_OK;
    return result;
}

HRESULT WINAPI countedCreatePicture(LPPICTDESC description, REFIID iid, BOOL own, LPVOID* out)
{
    const HRESULT result = OleCreatePictureIndirect_real(description, iid, own, out);
    decodes += result == S_OK;
    return result;
}

// A camera's photo, near enough: smooth gradients with a little grain,
// written by the Imaging Component's encoder for `container`.
bool writePhoto(const std::wstring& path, REFGUID container, UINT width, UINT height)
{
    ScopedCom<IWICImagingFactory> factory;
    ScopedCom<IWICStream> stream;
    ScopedCom<IWICBitmapEncoder> encoder;
    ScopedCom<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.receiveVoid())) ||
        FAILED(factory->CreateStream(stream.receive())) ||
        FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
        FAILED(factory->CreateEncoder(container, nullptr, encoder.receive())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.receive(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(width, height)) || FAILED(frame->SetPixelFormat(&format)))
        return false;
    const UINT stride = width * 3, band = 64;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * band);
    unsigned grain = 12345;
    for (UINT top = 0; top < height; top += band) {
        const UINT rows = height - top < band ? height - top : band;
        for (UINT y = 0; y < rows; ++y)
            for (UINT x = 0; x < width; ++x) {
                grain = grain * 214013 + 2531011;
                const int noise = static_cast<int>((grain >> 16) & 15) - 8;
                BYTE* p = &pixels[static_cast<size_t>(y) * stride + x * 3];
                p[0] = static_cast<BYTE>(std::min(255, std::max(0, static_cast<int>(x * 200 / width) + 30 + noise)));
                p[1] = static_cast<BYTE>(std::min(255, std::max(0, static_cast<int>((top + y) * 180 / height) + 40 + noise)));
                p[2] = static_cast<BYTE>(std::min(255, std::max(0, static_cast<int>((x + top + y) % 512 / 3) + 60 + noise)));
            }
        if (FAILED(frame->WritePixels(rows, stride, stride * rows, pixels.data())))
            return false;
    }
    return SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

void pumpMessages()
{
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Messages handled until a picture decoded after `decodedBefore` is drawn
// with `row` selected; the seconds from `start`, or -1 after a minute.
double drawnAfter(const SettingsDialogState& state, int decodedBefore, double start, int row)
{
    const HWND area = GetDlgItem(state.dialogWindow, IDC_PREVIEW_AREA);
    while (nowSeconds() - start < 60) {
        pumpMessages();
        if (decodes > decodedBefore && state.picture && !GetUpdateRect(area, nullptr, FALSE) &&
            SendDlgItemMessageA(state.dialogWindow, IDC_FILELIST, LB_GETCURSEL, 0, 0) == row)
            return nowSeconds() - start;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return -1;
}

// The row selected as a click selects it.
void selectRow(const SettingsDialogState& state, int row)
{
    const HWND list = GetDlgItem(state.dialogWindow, IDC_FILELIST);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageA(state.dialogWindow, WM_COMMAND, MAKEWPARAM(IDC_FILELIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void settle(double seconds)
{
    for (const double end = nowSeconds() + seconds; nowSeconds() < end; Sleep(5))
        pumpMessages();
}

// One photo selected, a while after a row that shows nothing: the time
// until it is drawn (the median of five), and the private bytes it holds
// while shown.
void benchOneSelection(SettingsDialogState& state, const char* name, int row)
{
    std::vector<double> seconds;
    double held = 0;
    while (seconds.size() < 5) {
        selectRow(state, 0);
        settle(1.5);
        const SIZE_T before = memory().PagefileUsage;
        const int decodedBefore = decodes;
        const double start = nowSeconds();
        selectRow(state, row);
        seconds.push_back(drawnAfter(state, decodedBefore, start, row));
        held = (static_cast<double>(memory().PagefileUsage) - static_cast<double>(before)) / 1048576.0;
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%-8s  %8.3f  %9.1f\n", name, seconds[2], held);
    std::fflush(stdout);
}

// Twenty rows passed with the down arrow held, as Windows repeats it by
// default: once, then every 33 ms after half a second.
void benchKeyHeld(SettingsDialogState& state, int firstRow)
{
    selectRow(state, firstRow);
    drawnAfter(state, decodes, nowSeconds(), firstRow);
    settle(1.5);
    const HWND list = GetDlgItem(state.dialogWindow, IDC_FILELIST);
    const int decodedBefore = decodes;
    const double start = nowSeconds();
    for (int key = 0; key < 20; ++key) {
        const double due = start + (key == 0 ? 0.0 : 0.5 + 0.033 * (key - 1));
        while (nowSeconds() < due) {
            pumpMessages();
            Sleep(1);
        }
        PostMessageA(list, WM_KEYDOWN, VK_DOWN, 0x01500001 | (key ? 0x40000000 : 0));
    }
    PostMessageA(list, WM_KEYUP, VK_DOWN, 0xC1500001);
    const double drawn = drawnAfter(state, decodedBefore, start, firstRow + 20);
    std::printf("%7d  %8.3f\n", decodes - decodedBefore, drawn);
    std::fflush(stdout);
}

void benchPreview(const std::string& folder)
{
    const std::wstring wideFolder(folder.begin(), folder.end());
    if (!writePhoto(wideFolder + L"\\photo.jpg", GUID_ContainerFormatJpeg, 6000, 4000) ||
        !writePhoto(wideFolder + L"\\photo.png", GUID_ContainerFormatPng, 6000, 4000)) {
        std::printf("\nThe photos could not be written.\n");
        return;
    }
    ImportRedirect loads(OleLoadPicturePath_slot, countedLoadPath);
    ImportRedirect creates(OleCreatePictureIndirect_slot, countedCreatePicture);

    // Row 0 shows nothing; then the two photos and a folder of 21 photos.
    wallpaperList.clear();
    wallpaperList.append((wideFolder + L"\\missing.jpg").c_str());
    wallpaperList.append((wideFolder + L"\\photo.jpg").c_str());
    wallpaperList.append((wideFolder + L"\\photo.png").c_str());
    for (int i = 0; i < 21; ++i)
        wallpaperList.append((wideFolder + L"\\photo.jpg").c_str());
    SettingsDialogState state;
    state.settings = ShowSettings{2, 0, 12, 1, 0, 1};  // stretched: every pixel of the photo is drawn
    activeSettingsDialog = &state;
    HWND dialog = CreateDialogParamW(appInstance, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, settingsDialogProc, 0);
    if (dialog) {
        ShowWindow(dialog, SW_SHOW);
        settle(0.5);
        std::printf("\nPreview of a 6000 x 4000 photo (median seconds from the selection to the drawn preview;\n"
                    "MiB held)\n");
        std::printf("%-8s  %8s  %9s\n", "picture", "shown", "held MiB");
        benchOneSelection(state, "JPEG", 1);
        benchOneSelection(state, "PNG", 2);
        std::printf("\nTwenty rows of JPEG photos passed with the key held (seconds from the first key to the last\n"
                    "row drawn)\n%7s  %8s\n", "decodes", "drawn");
        benchKeyHeld(state, 3);
        DestroyWindow(dialog);
    }
    activeSettingsDialog = nullptr;
    wallpaperList.clear();
    DeleteFileW((wideFolder + L"\\photo.jpg").c_str());
    DeleteFileW((wideFolder + L"\\photo.png").c_str());
}

// A camera's library: folders of a thousand photos each (empty files), made
// once and kept for later runs, since making them takes a while.
std::wstring libraryFolder(int n)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::wstring root = std::wstring(temp, temp + std::strlen(temp)) + L"tavrel-library-" + std::to_wstring(n) + L"\\";
    const std::wstring done = root + L"complete";
    if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES)
        return root;
    CreateDirectoryW(root.c_str(), nullptr);
    for (int i = 0; i < n; ++i) {
        wchar_t path[kPathSize];
        std::swprintf(path, kPathSize, L"%ls%04d", root.c_str(), i / 1000);
        if (i % 1000 == 0)
            CreateDirectoryW(path, nullptr);
        std::swprintf(path, kPathSize, L"%ls%04d\\IMG_%08d.jpg", root.c_str(), i / 1000, i);
        CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    }
    CloseHandle(CreateFileW(done.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    return root;
}

// A list of one folder: the first step reads it (at start, and at each pass
// in sequence; on the disk's thread, waited for), a later step does not; a
// shuffled step looks at every picture.
void benchFolderRead(int n, DiskPictures& disk)
{
    const std::wstring root = libraryFolder(n);
    wallpaperList.clear();
    wallpaperList.append(root.c_str());
    const auto none = [](const wchar_t*) { return false; };
    const SIZE_T before = memory().PagefileUsage;
    double start = nowSeconds();
    const bool found = wallpaperList.nextPicture(kInSequence, disk, none) != nullptr;
    const double read = nowSeconds() - start;
    const SIZE_T after = memory().PagefileUsage;
    wallpaperList.passPicture(kInSequence);
    start = nowSeconds();
    wallpaperList.nextPicture(kInSequence, disk, none);
    const double step = nowSeconds() - start;
    start = nowSeconds();
    wallpaperList.nextPicture(kShuffled, disk, none);
    const double shuffled = nowSeconds() - start;
    std::printf("%8d  %8.3f  %8.4f  %8.3f  %9.1f  %11.1f\n", found ? n : -1, read, step, shuffled,
                static_cast<double>(after - before) / n, memory().PeakPagefileUsage / 1048576.0);
    wallpaperList.clear();
}

}  // namespace

int main(int argc, char** argv)
{
    appInstance = GetModuleHandleA(nullptr);
    CoInitialize(nullptr);
    std::vector<int> sizes, perKeySizes;
    bool perKey = false, previewOnly = false, folderOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--preview-only") == 0)
            previewOnly = true;
        else if (std::strcmp(argv[i], "--folder-only") == 0)
            folderOnly = true;
        else if (std::strcmp(argv[i], "--per-key") == 0)
            perKey = true;
        else
            (perKey ? perKeySizes : sizes).push_back(std::atoi(argv[i]));
    }
    if (sizes.empty())
        sizes = {1000, 10000, 100000};
    if (!perKey)
        perKeySizes = {1000, 4000, 16000};

    const std::string folder = benchFolder();
    if (!previewOnly) {
        std::printf("A folder of the list (seconds; its pictures' cost in private bytes each)\n");
        std::printf("%8s  %8s  %8s  %8s  %9s  %11s\n", "pictures", "read", "step", "shuffled", "bytes/pic",
                    "peak MiB");
        DiskPictures disk;  // as the main window keeps it, over every step
        for (int n : sizes)
            benchFolderRead(n, disk);
        std::printf("\n");
    }
    if (!previewOnly && !folderOnly) {
        std::printf("One section read, one-piece save (seconds; list %s)\n", "cost in private bytes per entry");
        std::printf("%8s  %8s  %8s  %9s  %7s  %9s  %11s\n", "entries", "load", "save", "dialog", "rows",
                    "bytes/ent", "peak MiB");
        for (int n : sizes)
            benchOneRead(folder + "\\Tavrel.ini", n);

        std::printf("\nPer-key profile calls (seconds)\n%8s  %8s  %8s\n", "entries", "load", "save");
        for (int n : perKeySizes)
            benchPerKey(folder + "\\perkey.ini", n);
    }
    if (!folderOnly)
        benchPreview(folder);

    wallpaperList.clear();
    DeleteFileA((folder + "\\Tavrel.ini").c_str());
    DeleteFileA((folder + "\\perkey.ini").c_str());
    RemoveDirectoryA(folder.c_str());
    CoUninitialize();
    return 0;
}
