#include "settings/folder_scan.h"

#include <windows.h>

#include <cwchar>

#include "base/ansi_path.h"
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

// Folder, backslash and name; false when that would not fit a list entry or
// the name has no ANSI form, nor a short one. A name is read within its
// buffer only: Wine may leave a long one without a terminator.
bool buildEntryPath(char (&out)[kPathSize], const char* folder, const WIN32_FIND_DATAW& found)
{
    char name[kPathSize];
    const size_t longLength = wcsnlen(found.cFileName, MAX_PATH);
    const size_t shortLength = wcsnlen(found.cAlternateFileName, 14);
    if (longLength == 0 || longLength >= MAX_PATH || shortLength >= 14)
        return false;
    if (!ansiName(found.cFileName, name, sizeof name) &&
        (shortLength == 0 || !ansiName(found.cAlternateFileName, name, sizeof name)))
        return false;
    return copyText(out, sizeof out, folder) && appendText(out, sizeof out, "\\") &&
           appendText(out, sizeof out, name);
}

// Appends every file below `folder` but hidden and system ones (an absolute path without a trailing
// backslash), depth first, in the order the search yields them. Leaves the
// current directory at the last folder entered.
void scanWallpaperFolder(const char* folder)
{
    wchar_t wideFolder[kPathSize];
    if (!widePath(folder, wideFolder, kPathSize) || !SetCurrentDirectoryW(wideFolder))
        return;
    WIN32_FIND_DATAW found;
    // The search is bound to this folder now, so entering a subfolder later
    // does not disturb it.
    ScopedFindHandle search(FindFirstFileW(L"*.*", &found));
    if (!search.valid())
        return;
    do {
        char path[kPathSize];
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
    char folder[kPathSize];
    if (!executableDirectory(folder, sizeof folder))
        return;
    const char* subfolder =
        GetSystemMetrics(SM_CXSCREEN) == 1024 ? "\\WallPaper\\1024_768" : "\\WallPaper\\800_600";
    if (!appendText(folder, sizeof folder, subfolder))
        return;
    ScopedCurrentDirectory keep;
    scanWallpaperFolder(folder);
}
