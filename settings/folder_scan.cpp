#include "settings/folder_scan.h"

#include <windows.h>

#include <cwchar>

#include "base/globals.h"
#include "base/module_path.h"
#include "base/path_text.h"
#include "base/scoped_win.h"
#include "rotation/wallpaper_list.h"

namespace {

bool isDotEntry(const wchar_t* name)
{
    return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

// Thumbs.db and desktop.ini, which Windows keeps in picture folders, are
// hidden system files, not pictures.
bool isHiddenOrSystem(DWORD attributes) { return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0; }

// Folder, backslash and name; false when that would not fit a list entry.
// A name is read within its buffer only: Wine may leave a long one without
// a terminator.
bool buildEntryPath(wchar_t (&out)[kPathSize], const wchar_t* folder, const WIN32_FIND_DATAW& found)
{
    const size_t length = wcsnlen(found.cFileName, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    return copyText(out, kPathSize, folder) && appendText(out, kPathSize, L"\\") &&
           appendText(out, kPathSize, found.cFileName);
}

// Appends every file below `folder` but hidden and system ones (an absolute
// path without a trailing backslash), depth first, in the order the search
// yields them. Leaves the current directory at the last folder entered.
void scanWallpaperFolder(const wchar_t* folder)
{
    if (!SetCurrentDirectoryW(folder))
        return;
    WIN32_FIND_DATAW found;
    // The search is bound to this folder now, so entering a subfolder later
    // does not disturb it.
    ScopedFindHandle search(FindFirstFileW(L"*.*", &found));
    if (!search.valid())
        return;
    do {
        wchar_t path[kPathSize];
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A name that does not fit ends the descent too, so a folder
            // that links back to itself cannot recurse forever.
            if (!isDotEntry(found.cFileName) && buildEntryPath(path, folder, found))
                scanWallpaperFolder(path);
        } else if (!isHiddenOrSystem(found.dwFileAttributes) && buildEntryPath(path, folder, found)) {
            wallpaperList.append(path);
        }
    } while (FindNextFileW(search.get(), &found));
}

}  // namespace

void scanDefaultWallpaperFolder()
{
    wchar_t folder[kPathSize];
    if (!executableDirectory(folder, kPathSize))
        return;
    const wchar_t* subfolder =
        GetSystemMetrics(SM_CXSCREEN) == 1024 ? L"\\WallPaper\\1024_768" : L"\\WallPaper\\800_600";
    if (!appendText(folder, kPathSize, subfolder))
        return;
    ScopedCurrentDirectory keep;
    scanWallpaperFolder(folder);
}
