#include "settings/list_appender.h"

#include <windows.h>

#include <string>

#include "base/path_text.h"
#include "base/scoped_win.h"
#include "rotation/wallpaper_list.h"
#include "settings/ini_encoding.h"
#include "settings/settings_copy.h"

namespace {

// The characters the profile functions strip around values.
bool isProfileSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1a; }

// Appends wide text to the file in the file's encoding.
class SectionAppender {
public:
    // Another program (a virus scanner) may have the file open meanwhile:
    // in place, the old list is gone by now, so the append must not stop.
    explicit SectionAppender(const wchar_t* path)
        : file_(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
        const bool wide = encoding_ == IniEncoding::Utf16Le;
        const LONGLONG mark = wide ? 2 : 0;
        const DWORD unit = wide ? 2 : 1;
        if (size.QuadPart >= mark + unit) {
            LARGE_INTEGER last;
            last.QuadPart = size.QuadPart - unit;
            unsigned char tail[2] = {};
            if (!SetFilePointerEx(file_.get(), last, nullptr, FILE_BEGIN) ||
                !ReadFile(file_.get(), tail, unit, &got, nullptr) || got != unit)
                return false;
            const unsigned lastChar = wide ? tail[0] | tail[1] << 8 : tail[0];
            lastLineOpen_ = lastChar != '\n';
        }
        LARGE_INTEGER none = {};
        return SetFilePointerEx(file_.get(), none, nullptr, FILE_END);
    }

    void flush()
    {
        ok_ = ok_ && encodeText(encoding_, text_, bytes_) && writeAll(file_.get(), bytes_.data(), bytes_.size());
        text_.clear();
    }

    ScopedHandle file_;
    IniEncoding encoding_ = IniEncoding::Ansi;
    bool lastLineOpen_ = false;
    bool ok_ = false;
    std::wstring text_;
    std::string bytes_;
};

// One "key=value" line as the per-key writes leave it: the value loses its
// leading blanks when written and, unless it is the last line, its trailing
// blanks when the next write reads the file back.
void addListLine(SectionAppender& out, int index, const wchar_t* path, bool last)
{
    std::wstring line = std::to_wstring(index) + L'=';
    const wchar_t* begin = path;
    while (isProfileSpace(*begin))
        ++begin;
    const wchar_t* end = begin + std::char_traits<wchar_t>::length(begin);
    while (!last && end > begin && isProfileSpace(end[-1]))
        --end;
    line.append(begin, end);
    line += L"\r\n";
    out.add(line.data(), line.size());
}

}  // namespace

bool appendListSection(const wchar_t* path, const wchar_t* section, WallpaperList& list)
{
    SectionAppender out(path);
    // The header starts a line of its own, whatever the file ended with.
    if (out.lastLineOpen())
        out.add(L"\r\n", 2);
    const std::wstring header = std::wstring(L"[") + section + L"]\r\n";
    out.add(header.data(), header.size());
    const int32_t n = list.count();
    for (int32_t i = 0; i < n; ++i) {
        addListLine(out, static_cast<int>(i), list.current(), i == n - 1);
        list.advance();
    }
    return out.finish();
}
