#include "settings/autorun.h"

#include <windows.h>

#include <cwchar>

#include "base/module_path.h"
#include "base/path_text.h"
#include "base/scoped_win.h"

namespace {

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kValueName[] = L"Tavrel";
// Windows 8 and later keep here, under the same name, what Task Manager and
// the Settings app made of a Run value: binary, its first byte odd when the
// start was turned off (3, then the time of it), even when on (2).
const wchar_t kApprovedKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// The command the shell runs at logon. A path with a space is quoted: the
// shell would otherwise try "C:\Program.exe" and the like first.
bool autoRunCommand(wchar_t (&command)[kPathSize + 2])
{
    wchar_t path[kPathSize];
    if (!executablePath(path, kPathSize))
        return false;
    if (!std::wcschr(path, L' '))
        return copyText(command, kPathSize + 2, path);
    command[0] = L'"';
    const size_t length = std::wcslen(path);
    std::wmemcpy(command + 1, path, length);
    command[length + 1] = L'"';
    command[length + 2] = L'\0';
    return true;
}

bool runValuePresent()
{
    ScopedRegKey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, key.receive()) == ERROR_SUCCESS &&
           RegQueryValueExW(key.get(), kValueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace

int32_t setAutoRun(int32_t enabled)
{
    ScopedRegKey key;
    // A new profile may have no Run key yet; only what the change needs is asked for.
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.receive(), nullptr) ==
        ERROR_SUCCESS) {
        wchar_t command[kPathSize + 2];
        if (!enabled)
            RegDeleteValueW(key.get(), kValueName);
        else if (autoRunCommand(command))
            RegSetValueExW(key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                           static_cast<DWORD>((std::wcslen(command) + 1) * sizeof(wchar_t)));
    }
    // Ticked again, the program starts at logon again; unticked, no mark is
    // left behind. No mark counts as on.
    ScopedRegKey approved;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kApprovedKey, 0, KEY_SET_VALUE, approved.receive()) == ERROR_SUCCESS)
        RegDeleteValueW(approved.get(), kValueName);
    // What holds now, whatever the calls answered: a security program may
    // refuse the change, or undo it.
    return runValuePresent() && !autoRunTurnedOff() ? 1 : 0;
}

bool autoRunTurnedOff()
{
    ScopedRegKey key;
    BYTE mark[64];  // 12 bytes so far
    DWORD type = 0, size = sizeof mark;
    return RegOpenKeyExW(HKEY_CURRENT_USER, kApprovedKey, 0, KEY_QUERY_VALUE, key.receive()) == ERROR_SUCCESS &&
           RegQueryValueExW(key.get(), kValueName, nullptr, &type, mark, &size) == ERROR_SUCCESS &&
           type == REG_BINARY && size > 0 && (mark[0] & 1) != 0;
}
