#include "settings/profile_writer.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/path_text.h"
#include "base/scoped_win.h"
#include "rotation/wallpaper_list.h"
#include "settings/profile_file.h"

namespace {

// Windows' profile functions read a file as Unicode only when it begins
// with FF FE; any other file is ANSI to them.
enum class Encoding { Ansi, Utf16Le };

// The characters the profile functions strip around values.
bool isProfileSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1a; }

// Scanners, indexers and sync clients open a file right after it changed,
// and backup programs lock a byte range of it; Windows refuses writes,
// reads of a locked range and replaces meanwhile. They let go soon; a
// logoff must not wait long.
constexpr DWORD kRefusalWaits[] = {10, 20, 40, 80, 150, 300};

bool isBriefRefusal(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// One step on the file, tried again while the file is briefly held.
template <typename Step>
bool waitingOutHolders(Step step, bool (*held)(DWORD) = isBriefRefusal)
{
    for (size_t attempt = 0;; ++attempt) {
        if (step())
            return true;
        if (!held(GetLastError()) || attempt == sizeof kRefusalWaits / sizeof kRefusalWaits[0])
            return false;
        Sleep(kRefusalWaits[attempt]);
    }
}

bool profileWrite(const char* section, const char* key, const char* value, const char* path)
{
    return waitingOutHolders([&] { return WritePrivateProfileStringA(section, key, value, path) != FALSE; });
}

bool fileExists(const char* path, DWORD* attributes)
{
    *attributes = GetFileAttributesA(path);
    return *attributes != INVALID_FILE_ATTRIBUTES;
}

bool readFromFile(HANDLE file, void* to, DWORD size, DWORD* got)
{
    return waitingOutHolders([&] { return ReadFile(file, to, size, got, nullptr) != FALSE; });
}

bool readWholeFile(const char* path, std::string& bytes)
{
    ScopedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
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

bool writeAll(HANDLE file, const void* data, size_t size)
{
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!waitingOutHolders([&] { return WriteFile(file, at, chunk, &written, nullptr) != FALSE; }) ||
            written != chunk)
            return false;
        at += chunk;
        size -= chunk;
    }
    return true;
}

// The old file's bytes, none when there is no file. A folder or a read-only
// file refuses the save, as it refuses the profile writes.
bool readOldFile(const char* path, std::string& bytes)
{
    DWORD attributes;
    if (!fileExists(path, &attributes))
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) && readWholeFile(path, bytes);
}

bool sectionPresent(const char* path, const char* section)
{
    std::vector<char> names(4096);
    for (;;) {
        const DWORD length = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), path);
        if (length + 2 < names.size() || names.size() > 0x1000000)
            break;
        names.assign(names.size() * 4, '\0');
    }
    for (const char* name = names.data(); *name && name < names.data() + names.size(); name += std::strlen(name) + 1) {
        if (lstrcmpiA(name, section) == 0)
            return true;
    }
    return false;
}

// Every section of that name goes, so that no stale key of a second one
// comes back at the next start. False while one is still there.
bool deleteSection(const char* path, const char* section)
{
    for (int round = 0; round < 64 && sectionPresent(path, section); ++round) {
        if (!profileWrite(section, nullptr, nullptr, path))
            return false;
    }
    return !sectionPresent(path, section);
}

Encoding encodingOf(const unsigned char* head, DWORD size)
{
    return size >= 2 && head[0] == 0xFF && head[1] == 0xFE ? Encoding::Utf16Le : Encoding::Ansi;
}

// A file that an editor saved as UTF-8 with a byte-order mark (or as
// big-endian UTF-16) reads as ANSI bytes on Windows: every Chinese path
// would turn into other characters. It becomes the Unicode form Windows
// reads, with nothing lost. False when `bytes` needs no change.
bool toWindowsUnicode(std::string& bytes)
{
    std::wstring text;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        const int length = static_cast<int>(bytes.size() - 3);
        text.resize(static_cast<size_t>(length));  // UTF-8 never takes fewer bytes than UTF-16 units
        text.resize(static_cast<size_t>(
            length ? MultiByteToWideChar(CP_UTF8, 0, bytes.data() + 3, length, &text[0], length) : 0));
    } else if (bytes.compare(0, 2, "\xFE\xFF") == 0) {
        const auto* units = reinterpret_cast<const unsigned char*>(bytes.data());
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(units[i] << 8 | units[i + 1]);
    } else {
        return false;
    }
    bytes.assign("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return true;
}

// Appends wide text to the file in the file's encoding.
class SectionAppender {
public:
    // Another program (a virus scanner) may have the file open meanwhile:
    // in place, the old list is gone by now, so the append must not stop.
    explicit SectionAppender(const char* path)
        : file_(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        ok_ = file_.valid() && inspect();
        text_.reserve(kChunk + 2 * kPathSize);
    }

    // Windows edits a file in place, so a last line typed without its line
    // end still has none when the profile writes are done.
    bool lastLineOpen() const { return lastLineOpen_; }

    void add(const wchar_t* text, size_t length)
    {
        text_.append(text, length);
        if (text_.size() >= kChunk)
            flush();
    }

    bool finish()
    {
        flush();
        return ok_ && FlushFileBuffers(file_.get());
    }

private:
    static constexpr size_t kChunk = 64 * 1024;

    // The encoding by the file's mark, whether the last character ends a
    // line, and the position at the end.
    bool inspect()
    {
        unsigned char head[3] = {};
        DWORD got = 0;
        LARGE_INTEGER size;
        if (!readFromFile(file_.get(), head, sizeof head, &got) || !GetFileSizeEx(file_.get(), &size))
            return false;
        encoding_ = encodingOf(head, got);
        const bool wide = encoding_ == Encoding::Utf16Le;
        const LONGLONG mark = wide ? 2 : 0;
        const DWORD unit = wide ? 2 : 1;
        if (size.QuadPart >= mark + unit) {
            LARGE_INTEGER last;
            last.QuadPart = size.QuadPart - unit;
            unsigned char tail[2] = {};
            if (!SetFilePointerEx(file_.get(), last, nullptr, FILE_BEGIN) ||
                !readFromFile(file_.get(), tail, unit, &got) || got != unit)
                return false;
            const unsigned lastChar = wide ? tail[0] | tail[1] << 8 : tail[0];
            lastLineOpen_ = lastChar != '\n';
        }
        LARGE_INTEGER none = {};
        return SetFilePointerEx(file_.get(), none, nullptr, FILE_END);
    }

    void flush()
    {
        if (!ok_ || text_.empty()) {
            text_.clear();
            return;
        }
        const int length = static_cast<int>(text_.size());
        if (encoding_ == Encoding::Utf16Le) {
            ok_ = writeAll(file_.get(), text_.data(), text_.size() * sizeof(wchar_t));
        } else {
            const int bytes = WideCharToMultiByte(CP_ACP, 0, text_.data(), length, nullptr, 0, nullptr, nullptr);
            bytes_.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
            ok_ = bytes > 0 &&
                  WideCharToMultiByte(CP_ACP, 0, text_.data(), length, &bytes_[0], bytes, nullptr, nullptr) == bytes &&
                  writeAll(file_.get(), bytes_.data(), bytes_.size());
        }
        text_.clear();
    }

    ScopedHandle file_;
    Encoding encoding_ = Encoding::Ansi;
    bool lastLineOpen_ = false;
    bool ok_ = false;
    std::wstring text_;
    std::string bytes_;
};

// The wide form the profile functions give an ANSI string (a lead byte
// takes the next byte, even the terminator, and a pair that is no character
// becomes the code page's default character). Valid text takes one call.
int profileWide(const char* text, wchar_t* out, int outSize)
{
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, out, outSize);
    if (length > 0)
        return length - 1;
    CPINFOEXA info;
    const wchar_t fallback = GetCPInfoExA(CP_ACP, 0, &info) ? info.UnicodeDefaultChar : L'?';
    int written = 0;
    for (const char* at = text; *at && written < outSize - 1;) {
        const int width = IsDBCSLeadByte(static_cast<BYTE>(*at)) ? 2 : 1;
        if (width == 2 && at[1] == '\0')
            break;  // the pair with the terminator ends the string
        wchar_t c;
        const DWORD strict = width == 2 ? MB_ERR_INVALID_CHARS : 0;
        if (MultiByteToWideChar(CP_ACP, strict, at, width, &c, 1) != 1)
            c = fallback;
        out[written++] = c;
        at += width;
    }
    out[written] = L'\0';
    return written;
}

// Decimal digits of a non-negative number, as "%d" writes them.
int writeDecimal(wchar_t* out, int value)
{
    wchar_t digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = 0; i < count; ++i)
        out[i] = digits[count - 1 - i];
    return count;
}

// One "key=value" line as the per-key writes leave it: the value is taken
// through the wide form, loses its leading blanks when written and, unless
// it is the last line, its trailing blanks when the next write reads the
// file back.
void addListLine(SectionAppender& out, int index, const char* path, bool last)
{
    wchar_t line[16 + kPathSize];
    int keyLength = writeDecimal(line, index);
    line[keyLength++] = L'=';
    wchar_t* value = line + keyLength;
    const int length = profileWide(path, value, kPathSize);
    int begin = 0;
    while (begin < length && isProfileSpace(value[begin]))
        ++begin;
    int end = length;
    while (!last && end > begin && isProfileSpace(value[end - 1]))
        --end;
    std::memmove(value, value + begin, static_cast<size_t>(end - begin) * sizeof(wchar_t));
    int total = keyLength + (end - begin);
    line[total++] = L'\r';
    line[total++] = L'\n';
    out.add(line, static_cast<size_t>(total));
}

bool appendList(const char* target, const char* listSection, WallpaperList& list)
{
    SectionAppender out(target);
    // The header starts a line of its own, whatever the file ended with.
    if (out.lastLineOpen())
        out.add(L"\r\n", 2);
    wchar_t header[64] = L"[";
    const int nameLength = MultiByteToWideChar(CP_ACP, 0, listSection, -1, header + 1, 60);
    if (nameLength <= 1)
        return false;
    std::memcpy(header + nameLength, L"]\r\n", 3 * sizeof(wchar_t));
    out.add(header, static_cast<size_t>(nameLength + 3));
    const int32_t n = list.count();
    for (int32_t i = 0; i < n; ++i) {
        addListLine(out, static_cast<int>(i), list.current(), i == n - 1);
        list.advance();
    }
    return out.finish();
}

bool settingsReadBack(const char* path, const char* section, const ProfileSetting* settings, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const UINT expected = settings[i].removed() ? static_cast<UINT>(-1) : static_cast<UINT>(settings[i].value);
        if (GetPrivateProfileIntA(section, settings[i].key, -1, path) != expected)
            return false;
    }
    return true;
}

// The steps give the copy, or the file itself, the bytes the per-key writes
// would give it, in time linear in the list. False unless every step took.
bool writeSteps(const char* target, const char* section, const ProfileSetting* settings, size_t settingCount,
                const char* listSection, WallpaperList& list, bool inPlace)
{
    // The old list goes first, so that the other writes handle a small file.
    // While any of it is left nothing else is written: a new list after it
    // would never be read.
    if (!deleteSection(target, listSection))
        return false;
    bool written = true;
    for (size_t i = 0; i < settingCount && written; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(settings[i].value));
        written = profileWrite(section, settings[i].key, settings[i].removed() ? nullptr : text, target);
    }
    if (written && !inPlace && !list.isEmpty()) {
        // The first key written makes the platform rewrite the file in its
        // own layout even when nothing else changed; a key set and removed
        // does the same here. (Not in place, where a key left behind would
        // stand before the new list.)
        written = profileWrite(listSection, "0", "-", target) && deleteSection(target, listSection);
    }
    // Hand the file back to the disk and out of the platform's cache (this
    // call reports failure whatever happens).
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, target);
    written = written && settingsReadBack(target, section, settings, settingCount);
    if (!written && !inPlace)
        return false;
    // In place the old list is gone by now: the new one is written whatever
    // else failed, so the file never goes without one.
    const bool listWritten = list.isEmpty() || appendList(target, listSection, list);
    return written && listWritten;
}

// The file's bytes in the encoding Windows reads (see toWindowsUnicode),
// written back in place when they had to change.
bool keepInWindowsEncoding(const char* path)
{
    std::string bytes;
    if (!readOldFile(path, bytes))
        return false;
    if (!toWindowsUnicode(bytes))
        return true;
    ScopedHandle file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && writeAll(file.get(), bytes.data(), bytes.size()) && SetEndOfFile(file.get());
}

// The copy and the lock are named after the file, never in the 8.3 shape:
// on Windows such a name can also be another file's short name.
bool besideFile(const char* path, const char* suffix, char (&out)[kPathSize])
{
    return copyText(out, sizeof out, path) && appendText(out, sizeof out, suffix);
}

// Two saves of one file at once (two users of one program folder logging
// off together) take turns: the lock is a file that exists only while its
// handle is open, so a killed save leaves none.
class SaveLock {
public:
    explicit SaveLock(const char* path)
    {
        char name[kPathSize];
        if (!besideFile(path, ".lock", name))
            return;
        for (size_t attempt = 0;; ++attempt) {
            lock_ = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            if (lock_ != INVALID_HANDLE_VALUE)
                return;
            const DWORD error = GetLastError();
            // Left by a save on a system that went down: it has no holder.
            if (error == ERROR_FILE_EXISTS && DeleteFileA(name))
                continue;
            // Worth a wait only while another save's lock is there: a folder
            // that takes no new files (Program Files, a write-protected
            // stick, Controlled folder access, which notifies the user at
            // each try) refuses every time.
            if (attempt == kWaits || !lockFileThere(name))
                break;
            Sleep(kWait);
        }
        // No file can be made there at all: then no other save can lock out
        // this one either, and only the file itself is written.
        unlockedAlone_ = !lockFileThere(name);
    }
    ~SaveLock()
    {
        if (lock_ != INVALID_HANDLE_VALUE)
            CloseHandle(lock_);
    }
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;

    bool held() const { return lock_ != INVALID_HANDLE_VALUE; }
    bool nobodyElseCanLock() const { return unlockedAlone_; }

private:
    static bool lockFileThere(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

    static constexpr size_t kWaits = 40;
    static constexpr DWORD kWait = 50;
    HANDLE lock_ = INVALID_HANDLE_VALUE;
    bool unlockedAlone_ = false;
};

enum class Copy { Made, NotMade, Failed };

// The copy starts as the old file byte for byte (no attributes, no times),
// in the encoding Windows reads. One left by a killed save, under the lock,
// can only be this program's own. A copy that cannot be written whole is
// removed again.
Copy startCopy(const char* path, char (&copyPath)[kPathSize])
{
    std::string bytes;
    if (!readOldFile(path, bytes))
        return Copy::Failed;
    toWindowsUnicode(bytes);
    if (!besideFile(path, ".saving", copyPath))
        return Copy::NotMade;
    DeleteFileA(copyPath);
    bool written = false;
    {
        ScopedHandle copy(CreateFileA(copyPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!copy.valid())
            return Copy::NotMade;  // a folder of that name, or no room for a new file
        written = writeAll(copy.get(), bytes.data(), bytes.size());
    }
    if (written)
        return Copy::Made;
    DeleteFileA(copyPath);
    return Copy::Failed;
}

// While another program has the file open, Windows refuses to replace it
// (ReplaceFile leaves both files as they were where it cannot remove the old).
bool refusesReplace(DWORD error)
{
    return isBriefRefusal(error) || error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

bool moveCopyToFile(const char* copyPath, const char* path)
{
    return waitingOutHolders(
        [&] { return MoveFileExA(copyPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE; },
        refusesReplace);
}

// ReplaceFile keeps what the user set on the file (its permissions,
// attributes and streams), where a move makes a new file of the copy. The
// copy is moved where there is no file to replace (the first save, or one
// ReplaceFile moved away without putting the copy in its place) or the
// file system has no ReplaceFile.
bool replaceWithCopy(const char* copyPath, const char* path)
{
    DWORD error = ERROR_SUCCESS;
    const auto replace = [&] {
        return ReplaceFileA(path, copyPath, nullptr, 0, nullptr, nullptr) || (error = GetLastError(), false);
    };
    return waitingOutHolders(replace, refusesReplace) || (!refusesReplace(error) && moveCopyToFile(copyPath, path));
}

// A symbolic link (or another reparse point), or a file with other names (hard
// links): a new file in its place would part the name from the data the
// others show, so it is written in place.
bool isLinked(const char* path)
{
    DWORD attributes;
    if (fileExists(path, &attributes) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    ScopedHandle file(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    return file.valid() && GetFileInformationByHandle(file.get(), &info) && info.nNumberOfLinks > 1;
}

}  // namespace

bool writeProfileAtOnce(const ProfileFile& file, const char* section, const ProfileSetting* settings,
                        size_t settingCount, const char* listSection, WallpaperList& list)
{
    if (!file.hasPath())
        return false;
    const SaveLock lock(file.path());
    const bool alone = lock.held() || lock.nobodyElseCanLock();
    char copyPath[kPathSize];
    const Copy copy = !alone ? Copy::Failed : isLinked(file.path()) ? Copy::NotMade : startCopy(file.path(), copyPath);
    if (copy == Copy::Failed)
        return false;
    if (copy == Copy::Made) {
        if (!writeSteps(copyPath, section, settings, settingCount, listSection, list, false)) {
            DeleteFileA(copyPath);
            return false;
        }
        if (replaceWithCopy(copyPath, file.path()))
            return true;
        DeleteFileA(copyPath);
    }
    // A link, no copy beside the file, or none can take its place: the file
    // is written in place, as the profile functions write it (and as Windows
    // redirects it for a program it virtualises).
    return keepInWindowsEncoding(file.path()) &&
           writeSteps(file.path(), section, settings, settingCount, listSection, list, true);
}
