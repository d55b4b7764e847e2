#include "settings/settings_copy.h"

#include "base/scoped_win.h"
#include "settings/brief_refusal.h"
#include "settings/ini_encoding.h"

namespace {

bool lockFileThere(const wchar_t* name) { return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES; }

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
           (readFromFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got) && got == bytes.size());
}

// The copy and the lock are named after the file, never in the 8.3 shape:
// on Windows such a name can also be another file's short name.
bool besideFile(const wchar_t* path, const wchar_t* suffix, wchar_t (&out)[kPathSize])
{
    return copyText(out, kPathSize, path) && appendText(out, kPathSize, suffix);
}

// While another program has the file open, Windows refuses to replace it
// (ReplaceFile leaves both files as they were where it cannot remove the old).
bool refusesReplace(DWORD error)
{
    return isBriefRefusal(error) || error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

bool moveCopyToFile(const wchar_t* copyPath, const wchar_t* path)
{
    return retriedWhileHeld(
        [&] { return MoveFileExW(copyPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE; },
        refusesReplace);
}

}  // namespace

bool readFromFile(HANDLE file, void* to, DWORD size, DWORD* got)
{
    return retriedWhileHeld([&] { return ReadFile(file, to, size, got, nullptr) != FALSE; });
}

bool writeAll(HANDLE file, const void* data, size_t size)
{
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!retriedWhileHeld([&] { return WriteFile(file, at, chunk, &written, nullptr) != FALSE; }) ||
            written != chunk)
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
        // Worth a wait only while another save's lock is there: a folder
        // that takes no new files (Program Files, a write-protected stick,
        // Controlled folder access, which notifies the user at each try)
        // refuses every time.
        if (attempt == kWaits || !lockFileThere(name))
            break;
        Sleep(kWait);
    }
    unlockedAlone_ = !lockFileThere(name);
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

// ReplaceFile keeps what the user set on the file (its permissions,
// attributes and streams), where a move makes a new file of the copy. The
// copy is moved where there is no file to replace (the first save, or one
// ReplaceFile moved away without putting the copy in its place) or the file
// system has no ReplaceFile.
bool replaceWithCopy(const wchar_t* copyPath, const wchar_t* path)
{
    DWORD error = ERROR_SUCCESS;
    const auto replace = [&] {
        return ReplaceFileW(path, copyPath, nullptr, 0, nullptr, nullptr) || (error = GetLastError(), false);
    };
    return retriedWhileHeld(replace, refusesReplace) || (!refusesReplace(error) && moveCopyToFile(copyPath, path));
}

bool isLinked(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    ScopedHandle file(CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    return file.valid() && GetFileInformationByHandle(file.get(), &info) && info.nNumberOfLinks > 1;
}
