#include "rotation/disk_pictures.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "base/path_text.h"
#include "base/scoped_win.h"

namespace {

bool isDotEntry(const wchar_t* name) { return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0; }

// Thumbs.db and desktop.ini are hidden system files, and a hidden picture
// is one the user put away.
bool isHiddenOrSystem(DWORD attributes) { return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0; }

// Without the short names, and in larger pieces, from Windows 7 on; Vista
// refuses both (ERROR_INVALID_PARAMETER) and lists the standard way.
HANDLE findFirst(const std::wstring& pattern, WIN32_FIND_DATAW& found)
{
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    if (search != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER)
        return search;
    return FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &found, FindExSearchNameMatch, nullptr, 0);
}

// Adds the pictures of `relative` (below the folder, "" or ending in a
// backslash) and its subfolders, depth first. Only paths the shell can take
// are kept, which also ends a folder that links back to itself. False when
// the folder cannot be listed.
bool readBelow(FolderPictures& pictures, std::wstring& relative)
{
    WIN32_FIND_DATAW found;
    ScopedFindHandle search(findFirst(pictures.folder() + relative + L"*", found));
    if (!search.valid())
        return false;
    const size_t base = relative.size();
    do {
        // Wine may leave a long name without its terminator.
        const size_t length = wcsnlen(found.cFileName, MAX_PATH);
        if (length == 0 || length >= MAX_PATH || isDotEntry(found.cFileName) ||
            isHiddenOrSystem(found.dwFileAttributes) ||
            pictures.folder().size() + base + length + 1 >= static_cast<size_t>(kPathSize))
            continue;
        relative.append(found.cFileName, length);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            relative += L'\\';
            readBelow(pictures, relative);
        } else if (isPictureName(relative.c_str(), relative.size())) {
            pictures.add(relative.c_str(), relative.size());
        }
        relative.resize(base);
    } while (FindNextFileW(search.get(), &found));
    return true;
}

}  // namespace

bool DiskPictures::readFolder(FolderPictures& pictures)
{
    std::wstring relative;
    return readBelow(pictures, relative);
}

bool DiskPictures::exists(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
