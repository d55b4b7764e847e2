#include "base/ansi_path.h"

#include <windows.h>

bool ansiName(const wchar_t* wide, char* out, size_t size)
{
    if (size == 0)
        return false;
    // No best fit: "ā" read as "a" would name another file.
    BOOL lossy = FALSE;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, out, static_cast<int>(size), nullptr, &lossy) ==
            0 ||
        lossy) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool ansiPath(const wchar_t* path, char* out, size_t size)
{
    if (ansiName(path, out, size))
        return true;
    wchar_t shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameW(path, shortPath, MAX_PATH);
    return length > 0 && length < MAX_PATH && ansiName(shortPath, out, size);
}

bool widePath(const char* path, wchar_t* out, size_t count)
{
    return count > 0 && MultiByteToWideChar(CP_ACP, 0, path, -1, out, static_cast<int>(count)) > 0;
}
