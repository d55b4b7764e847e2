#include "base/module_path.h"

#include <windows.h>

#include <cstring>

bool executablePath(char* out, size_t size)
{
    if (size == 0)
        return false;
    const DWORD length = GetModuleFileNameA(nullptr, out, static_cast<DWORD>(size));
    // A full buffer means the name was cut (and maybe left unterminated).
    if (length == 0 || length >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
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
