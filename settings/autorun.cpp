#include "settings/autorun.h"

#include <windows.h>

#include <cstring>

#include "base/module_path.h"
#include "base/path_text.h"
#include "base/scoped_win.h"

namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kValueName[] = "Tavrel";

// The command the shell runs at logon. A path with a space is quoted: the
// shell would otherwise try "C:\Program.exe" and the like first.
bool autoRunCommand(char (&command)[kPathSize + 2])
{
    char path[kPathSize];
    if (!executablePath(path, sizeof path))
        return false;
    if (!std::strchr(path, ' ')) {
        std::strcpy(command, path);
        return true;
    }
    command[0] = '"';
    const size_t length = std::strlen(path);
    std::memcpy(command + 1, path, length);
    command[length + 1] = '"';
    command[length + 2] = '\0';
    return true;
}

}  // namespace

void setAutoRun(int32_t enabled)
{
    ScopedRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS)
        return;
    if (enabled) {
        char command[kPathSize + 2];
        if (autoRunCommand(command)) {
            RegSetValueExA(key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                           static_cast<DWORD>(std::strlen(command) + 1));
        }
    } else {
        RegDeleteValueA(key.get(), kValueName);
    }
}
