#include "base/module_path.h"

#include <windows.h>

#include <cstring>

#include "base/ansi_path.h"

bool executablePath(char* out, size_t size)
{
    if (size == 0)
        return false;
    out[0] = '\0';
    // In Unicode: a folder named outside the code page comes back from the
    // ANSI call with '?' in it, and Tavrel.ini would never be found.
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    // A full buffer means the name was cut (and maybe left unterminated).
    return length > 0 && length < MAX_PATH && ansiPath(path, out, size);
}

bool executableDirectory(char* out, size_t size)
{
    if (!executablePath(out, size))
        return false;
    char* lastBackslash = std::strrchr(out, '\\');
    if (lastBackslash)
        *lastBackslash = '\0';
    return true;
}
