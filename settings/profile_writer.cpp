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

bool writeWholeFile(const char* path, const std::string& bytes)
{
    ScopedHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && writeAll(file.get(), bytes.data(), bytes.size());
}

// The copy starts as the old file byte for byte (no attributes, no times);
// without an old file there is nothing to copy.
bool startCopy(const char* path, const char* copyPath)
{
    DeleteFileA(copyPath);
    DWORD attributes;
    if (!fileExists(path, &attributes))
        return GetLastError() == ERROR_FILE_NOT_FOUND && !fileExists(copyPath, &attributes);
    // A folder or a read-only file cannot be replaced by the profile writes either.
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return false;
    std::string bytes;
    return readWholeFile(path, bytes) && writeWholeFile(copyPath, bytes);
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

Encoding encodingOf(const char* path)
{
    ScopedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    unsigned char head[3] = {};
    DWORD got = 0;
    if (!file.valid() || !ReadFile(file.get(), head, sizeof head, &got, nullptr))
        return Encoding::Ansi;
    if (got >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF)
        return Encoding::Utf8;
    if (got >= 2 && head[0] == 0xFF && head[1] == 0xFE)
        return Encoding::Utf16Le;
    if (got >= 2 && head[0] == 0xFE && head[1] == 0xFF)
        return Encoding::Utf16Be;
    return Encoding::Ansi;
}

// Appends wide text to the file in the file's encoding.
class SectionAppender {
public:
    SectionAppender(const char* path, Encoding encoding)
        : file_(CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
          encoding_(encoding)
    {
        ok_ = file_.valid() && SetFilePointer(file_.get(), 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER;
        text_.reserve(kChunk + 2 * kPathSize);
    }

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
    Encoding encoding_;
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

bool appendList(const char* copyPath, const char* listSection, WallpaperList& list)
{
    SectionAppender out(copyPath, encodingOf(copyPath));
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

bool writeCopy(const char* copyPath, const char* section, const ProfileSetting* settings, size_t settingCount,
               const char* listSection, WallpaperList& list)
{
    // The old list goes first, so that the other writes handle a small file.
    deleteSection(copyPath, listSection);
    for (size_t i = 0; i < settingCount; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(settings[i].value));
        WritePrivateProfileStringA(section, settings[i].key, text, copyPath);
    }
    if (!list.isEmpty()) {
        // The first key written makes the platform rewrite the file in its
        // own layout even when nothing else changed; a key set and removed
        // does the same here.
        WritePrivateProfileStringA(listSection, "0", "-", copyPath);
        deleteSection(copyPath, listSection);
    }
    // Hand the copy back to the disk and out of the platform's cache.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, copyPath);
    if (!settingsReadBack(copyPath, section, settings, settingCount))
        return false;
    return list.isEmpty() || appendList(copyPath, listSection, list);
}

// The name of the copy: the file's own with ".new" for ".ini" (or added).
bool replacementPath(const char* path, char* out, size_t outSize)
{
    const size_t length = std::strlen(path);
    if (length >= 4 && lstrcmpiA(path + length - 4, ".ini") == 0) {
        if (!copyText(out, outSize, path))
            return false;
        std::memcpy(out + length - 4, ".new", 4);
        return true;
    }
    return copyText(out, outSize, path) && appendText(out, outSize, ".new");
}

}  // namespace

bool writeProfileAtOnce(const ProfileFile& file, const char* section, const ProfileSetting* settings,
                        size_t settingCount, const char* listSection, WallpaperList& list)
{
    char copyPath[kPathSize];
    if (!file.hasPath() || !replacementPath(file.path(), copyPath, sizeof copyPath))
        return false;
    if (!startCopy(file.path(), copyPath))
        return false;
    if (writeCopy(copyPath, section, settings, settingCount, listSection, list) &&
        MoveFileExA(copyPath, file.path(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(copyPath);
    return false;
}
