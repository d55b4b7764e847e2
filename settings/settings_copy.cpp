#include "settings/settings_copy.h"

#include "base/scoped_win.h"
#include "settings/brief_refusal.h"
#include "settings/ini_encoding.h"

namespace {

bool readWholeFile(const wchar_t* path, std::string& bytes)
{
    ScopedHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x40000000)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    return bytes.empty() ||
           (ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
}

// The copy and the lock are named after the file, never in the 8.3 shape:
// on Windows such a name can also be another file's short name.
bool besideFile(const wchar_t* path, const wchar_t* suffix, wchar_t (&out)[kPathSize])
{
    return copyText(out, kPathSize, path) && appendText(out, kPathSize, suffix);
}

}  // namespace

bool writeAll(HANDLE file, const void* data, size_t size)
{
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, at, chunk, &written, nullptr) || written != chunk)
            return false;
        at += chunk;
        size -= chunk;
    }
    return true;
}

bool readOldFile(const wchar_t* path, std::string& bytes)
{
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) && readWholeFile(path, bytes);
}

bool keepInWindowsEncoding(const wchar_t* path, bool unicodeNeeded)
{
    std::string bytes;
    if (!readOldFile(path, bytes))
        return false;
    if (!toWindowsUnicode(bytes, unicodeNeeded))
        return true;
    ScopedHandle file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && writeAll(file.get(), bytes.data(), bytes.size()) && SetEndOfFile(file.get());
}

SaveLock::SaveLock(const wchar_t* path)
{
    wchar_t name[kPathSize];
    if (!besideFile(path, L".lock", name))
        return;
    constexpr size_t kWaits = 40;
    constexpr DWORD kWait = 50;
    for (size_t attempt = 0;; ++attempt) {
        lock_ = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (lock_ != INVALID_HANDLE_VALUE)
            return;
        const DWORD error = GetLastError();
        // Left by a save on a system that went down: it has no holder.
        if (error == ERROR_FILE_EXISTS && DeleteFileW(name))
            continue;
        if (attempt == kWaits)
            break;
        Sleep(kWait);
    }
    unlockedAlone_ = GetFileAttributesW(name) == INVALID_FILE_ATTRIBUTES;
}

SaveLock::~SaveLock()
{
    if (lock_ != INVALID_HANDLE_VALUE)
        CloseHandle(lock_);
}

// One left by a killed save, under the lock, can only be this program's own.
Copy startCopy(const wchar_t* path, bool unicodeNeeded, wchar_t (&copyPath)[kPathSize])
{
    std::string bytes;
    if (!readOldFile(path, bytes))
        return Copy::Failed;
    toWindowsUnicode(bytes, unicodeNeeded);
    if (!besideFile(path, L".saving", copyPath))
        return Copy::NotMade;
    DeleteFileW(copyPath);
    bool written = false;
    {
        ScopedHandle copy(CreateFileW(copyPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!copy.valid())
            return Copy::NotMade;  // a folder of that name, or no room for a new file
        written = writeAll(copy.get(), bytes.data(), bytes.size());
    }
    if (written)
        return Copy::Made;
    DeleteFileW(copyPath);
    return Copy::Failed;
}

// While another program has the file open, Windows refuses to replace it.
bool replaceWithCopy(const wchar_t* copyPath, const wchar_t* path)
{
    return retriedWhileHeld(
        [&] { return MoveFileExW(copyPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE; },
        [](DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED; });
}
