#include "settings/list_appender.h"

#include <windows.h>

#include <vector>

#include "base/scoped_win.h"
#include "rotation/wallpaper_list.h"
#include "settings/ini_encoding.h"
#include "settings/settings_copy.h"

namespace {

// The characters the profile functions strip around values.
bool isProfileSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1a; }

// One "key=value" line as the per-key writes leave it: the value loses its
// leading blanks when written and, unless it is the last line, its trailing
// blanks when the next write reads the file back.
void addListLine(std::wstring& text, int index, const wchar_t* path, bool last)
{
    text += std::to_wstring(index);
    text += L'=';
    const wchar_t* begin = path;
    while (isProfileSpace(*begin))
        ++begin;
    const wchar_t* end = begin + std::char_traits<wchar_t>::length(begin);
    while (!last && end > begin && isProfileSpace(end[-1]))
        --end;
    text.append(begin, end);
    text += L"\r\n";
}

// The file's encoding by its mark, and whether its last character ends a
// line: Windows edits a file in place, so a last line typed without its line
// end still has none when the profile writes are done.
bool inspect(HANDLE file, IniEncoding& encoding, bool& lastLineOpen)
{
    unsigned char head[3] = {};
    DWORD got = 0;
    LARGE_INTEGER size;
    if (!readFromFile(file, head, sizeof head, &got) || !GetFileSizeEx(file, &size))
        return false;
    encoding = encodingOf(head, got);
    const bool wide = encoding == IniEncoding::Utf16Le;
    const LONGLONG mark = wide ? 2 : 0;
    const DWORD unit = wide ? 2 : 1;
    lastLineOpen = false;
    if (size.QuadPart >= mark + unit) {
        LARGE_INTEGER last;
        last.QuadPart = size.QuadPart - unit;
        unsigned char tail[2] = {};
        if (!SetFilePointerEx(file, last, nullptr, FILE_BEGIN) || !readFromFile(file, tail, unit, &got) ||
            got != unit)
            return false;
        lastLineOpen = (wide ? tail[0] | tail[1] << 8 : tail[0]) != '\n';
    }
    LARGE_INTEGER none = {};
    return SetFilePointerEx(file, none, nullptr, FILE_END);
}

}  // namespace

std::wstring listSectionText(const wchar_t* section, WallpaperList& list, bool folders)
{
    std::vector<const wchar_t*> rows;
    const int32_t n = list.count();
    rows.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i, list.advance())
        if (WallpaperList::isFolderRow(list.current()) == folders)
            rows.push_back(list.current());
    return sectionText(section, rows.data(), rows.size());
}

std::wstring sectionText(const wchar_t* section, const wchar_t* const* values, size_t count)
{
    if (count == 0)
        return std::wstring();
    std::wstring text = std::wstring(L"[") + section + L"]\r\n";
    text.reserve(text.size() + count * 48);
    for (size_t i = 0; i < count; ++i)
        addListLine(text, static_cast<int>(i), values[i], i == count - 1);
    return text;
}

bool appendSection(const wchar_t* path, const std::wstring& text)
{
    // Another program (a virus scanner) may have the file open meanwhile:
    // in place, the old list is gone by now, so the append must not stop.
    ScopedHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    IniEncoding encoding;
    bool lastLineOpen;
    std::string bytes;
    return file.valid() && inspect(file.get(), encoding, lastLineOpen) &&
           encodeText(encoding, lastLineOpen ? L"\r\n" + text : text, bytes) &&
           writeAll(file.get(), bytes.data(), bytes.size()) && FlushFileBuffers(file.get());
}
