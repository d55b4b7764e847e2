#include "base/module_path.h"

#include <windows.h>

#include <cwchar>

bool executablePath(wchar_t* out, size_t count)
{
    if (count == 0)
        return false;
    out[0] = L'\0';
    const DWORD length = GetModuleFileNameW(nullptr, out, static_cast<DWORD>(count));
    // A full buffer means the name was cut (and maybe left unterminated).
    if (length == 0 || length >= count) {
        out[0] = L'\0';
        return false;
    }
    return true;
}

bool executableDirectory(wchar_t* out, size_t count)
{
    if (!executablePath(out, count))
        return false;
    if (wchar_t* lastBackslash = std::wcsrchr(out, L'\\'))
        *lastBackslash = L'\0';
    return true;
}
