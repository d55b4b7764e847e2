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

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

// The characters the profile functions strip around values.
bool isProfileSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1a; }

bool fileExists(const char* path, DWORD* attributes)
{
    *attributes = GetFileAttributesA(path);
    return *attributes != INVALID_FILE_ATTRIBUTES;
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
           (ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
}

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
// comes back at the next start.
void deleteSection(const char* path, const char* section)
{
    for (int round = 0; round < 64 && sectionPresent(path, section); ++round)
        WritePrivateProfileStringA(section, nullptr, nullptr, path);
}

Encoding encodingOf(const unsigned char* head, DWORD size)
{
    if (size >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF)
        return Encoding::Utf8;
    if (size >= 2 && head[0] == 0xFF && head[1] == 0xFE)
        return Encoding::Utf16Le;
    if (size >= 2 && head[0] == 0xFE && head[1] == 0xFF)
        return Encoding::Utf16Be;
    return Encoding::Ansi;
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
        if (!ReadFile(file_.get(), head, sizeof head, &got, nullptr) || !GetFileSizeEx(file_.get(), &size))
            return false;
        encoding_ = encodingOf(head, got);
        const bool wide = encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be;
        const LONGLONG mark = encoding_ == Encoding::Utf8 ? 3 : wide ? 2 : 0;
        const DWORD unit = wide ? 2 : 1;
        if (size.QuadPart >= mark + unit) {
            LARGE_INTEGER last;
            last.QuadPart = size.QuadPart - unit;
            unsigned char tail[2] = {};
            if (!SetFilePointerEx(file_.get(), last, nullptr, FILE_BEGIN) ||
                !ReadFile(file_.get(), tail, unit, &got, nullptr) || got != unit)
                return false;
            unsigned lastChar = tail[0];
            if (encoding_ == Encoding::Utf16Le)
                lastChar |= tail[1] << 8;
            if (encoding_ == Encoding::Utf16Be)
                lastChar = lastChar << 8 | tail[1];
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
        switch (encoding_) {
        case Encoding::Ansi:
        case Encoding::Utf8: {
            const UINT codePage = encoding_ == Encoding::Ansi ? CP_ACP : CP_UTF8;
            const int bytes = WideCharToMultiByte(codePage, 0, text_.data(), length, nullptr, 0, nullptr, nullptr);
            bytes_.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
            ok_ = bytes > 0 &&
                  WideCharToMultiByte(codePage, 0, text_.data(), length, &bytes_[0], bytes, nullptr, nullptr) == bytes &&
                  writeAll(file_.get(), bytes_.data(), bytes_.size());
            break;
        }
        case Encoding::Utf16Le:
            ok_ = writeAll(file_.get(), text_.data(), text_.size() * sizeof(wchar_t));
            break;
        case Encoding::Utf16Be:
            for (wchar_t& c : text_)
                c = static_cast<wchar_t>(((c & 0xFF) << 8) | ((c >> 8) & 0xFF));
            ok_ = writeAll(file_.get(), text_.data(), text_.size() * sizeof(wchar_t));
            break;
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
        if (GetPrivateProfileIntA(section, settings[i].key, -1, path) != static_cast<UINT>(settings[i].value))
            return false;
    }
    return true;
}

// The steps give the copy, or the file itself, the bytes the per-key writes
// would give it, in time linear in the list.
bool writeSteps(const char* target, const char* section, const ProfileSetting* settings, size_t settingCount,
                const char* listSection, WallpaperList& list)
{
    // The old list goes first, so that the other writes handle a small file.
    deleteSection(target, listSection);
    for (size_t i = 0; i < settingCount; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(settings[i].value));
        WritePrivateProfileStringA(section, settings[i].key, text, target);
    }
    if (!list.isEmpty()) {
        // The first key written makes the platform rewrite the file in its
        // own layout even when nothing else changed; a key set and removed
        // does the same here.
        WritePrivateProfileStringA(listSection, "0", "-", target);
        deleteSection(target, listSection);
    }
    // Hand the file back to the disk and out of the platform's cache.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, target);
    if (!settingsReadBack(target, section, settings, settingCount))
        return false;
    return list.isEmpty() || appendList(target, listSection, list);
}

// The names of the copy: the file's own with ".new" for ".ini" (or added),
// then numbered ones ("~1.new", ...) for when something holds that name.
constexpr int kCopyNames = 4;

bool copyName(const char* path, int attempt, char* out, size_t outSize)
{
    const size_t length = std::strlen(path);
    const size_t stem = length >= 4 && lstrcmpiA(path + length - 4, ".ini") == 0 ? length - 4 : length;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, attempt == 0 ? ".new" : "~%d.new", attempt);
    if (stem >= outSize)
        return false;
    std::memcpy(out, path, stem);
    out[stem] = '\0';
    return appendText(out, outSize, suffix);
}

enum class Copy { Made, NotMade, Failed };

// The copy starts as the old file byte for byte (no attributes, no times).
// A copy that cannot be written whole is removed again.
Copy startCopy(const char* path, char* copyPath)
{
    std::string bytes;
    if (!readOldFile(path, bytes))
        return Copy::Failed;
    for (int attempt = 0; attempt < kCopyNames && copyName(path, attempt, copyPath, kPathSize); ++attempt) {
        DeleteFileA(copyPath);  // left by a save that was killed
        bool written = false;
        {
            ScopedHandle copy(
                CreateFileA(copyPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!copy.valid())
                continue;  // a folder, or a file another program holds
            written = writeAll(copy.get(), bytes.data(), bytes.size());
        }
        if (written)
            return Copy::Made;
        DeleteFileA(copyPath);
        return Copy::Failed;
    }
    return Copy::NotMade;
}

// While another program has the file open (a virus scanner, the indexer, a
// sync client: most often right after it changed), Windows refuses to
// replace it. Such a program lets go soon; a logoff must not wait long.
constexpr DWORD kReplaceWaits[] = {10, 20, 40, 80, 150, 300};

bool replaceWithCopy(const char* copyPath, const char* path)
{
    for (size_t attempt = 0;; ++attempt) {
        if (MoveFileExA(copyPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
            attempt == sizeof kReplaceWaits / sizeof kReplaceWaits[0])
            return false;
        Sleep(kReplaceWaits[attempt]);
    }
}

}  // namespace

bool writeProfileAtOnce(const ProfileFile& file, const char* section, const ProfileSetting* settings,
                        size_t settingCount, const char* listSection, WallpaperList& list)
{
    char copyPath[kPathSize];
    const Copy copy = file.hasPath() ? startCopy(file.path(), copyPath) : Copy::Failed;
    if (copy == Copy::Failed)
        return false;
    if (copy == Copy::Made) {
        if (!writeSteps(copyPath, section, settings, settingCount, listSection, list)) {
            DeleteFileA(copyPath);
            return false;
        }
        if (replaceWithCopy(copyPath, file.path()))
            return true;
        DeleteFileA(copyPath);
    }
    // No copy beside the file, or none can take its place: the file is
    // written in place, as the profile functions write it (and as Windows
    // redirects it for a program it virtualises).
    return writeSteps(file.path(), section, settings, settingCount, listSection, list);
}
