#include "settings/filelist_section.h"

#include <cstdint>
#include <cwchar>
#include <limits>
#include <string>
#include <vector>

#include "base/path_text.h"

namespace {

struct Line {
    const wchar_t* key;
    size_t keyLength;
    const wchar_t* value;  // null when the line has no '='
    size_t valueLength;
};

constexpr size_t kNoLine = std::numeric_limits<size_t>::max();

// The blanks a per-key read drops around keys and values.
bool isProfileBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1a; }

// Windows may hand the section's lines back as they were typed; per-key
// reads match "0 = A" as key "0", value "A" all the same.
void trim(const wchar_t*& text, size_t& length)
{
    while (length > 0 && isProfileBlank(text[0]))
        ++text, --length;
    while (length > 0 && isProfileBlank(text[length - 1]))
        --length;
}

// The number a key names when it is written the way the list's keys are
// ("%d" of a non-negative number: no sign, no leading zero), else nothing.
bool keyNumber(const wchar_t* key, size_t length, size_t limit, size_t* number)
{
    if (length == 0 || length > 10 || (length > 1 && key[0] == L'0'))
        return false;
    uint64_t value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (key[i] < L'0' || key[i] > L'9')
            return false;
        value = value * 10 + static_cast<uint64_t>(key[i] - L'0');
    }
    // Lookups stop at the first gap, so no key at or beyond the number of
    // lines is ever reached.
    if (value >= limit)
        return false;
    *number = static_cast<size_t>(value);
    return true;
}

std::vector<Line> splitLines(const wchar_t* section, size_t size)
{
    std::vector<Line> lines;
    size_t at = 0;
    while (at < size && section[at] != L'\0') {
        const wchar_t* nul = std::wmemchr(section + at, L'\0', size - at);
        const size_t length = nul ? static_cast<size_t>(nul - (section + at)) : size - at;
        const wchar_t* text = section + at;
        const wchar_t* equals = std::wmemchr(text, L'=', length);
        Line line{text, length, nullptr, 0};
        if (equals) {
            line.keyLength = static_cast<size_t>(equals - text);
            line.value = text + line.keyLength + 1;
            line.valueLength = length - line.keyLength - 1;
            trim(line.value, line.valueLength);
        }
        trim(line.key, line.keyLength);
        lines.push_back(line);
        at += length + 1;
    }
    return lines;
}

// The value as a per-key read answers it: one pair of matching quotes
// around it is dropped.
std::wstring unquotedValue(const wchar_t* value, size_t length)
{
    if (length >= 2 && (value[0] == L'"' || value[0] == L'\'') && value[length - 1] == value[0])
        return std::wstring(value + 1, length - 2);
    return std::wstring(value, length);
}

}  // namespace

size_t resolveFileList(const wchar_t* section, size_t size, void (*take)(const wchar_t* path, void* context),
                       void* context)
{
    if (!section || size == 0)
        return 0;
    const std::vector<Line> lines = splitLines(section, size);

    // Line of the first occurrence of each key number.
    std::vector<size_t> firstLine(lines.size(), kNoLine);
    for (size_t i = 0; i < lines.size(); ++i) {
        size_t number;
        if (keyNumber(lines[i].key, lines[i].keyLength, lines.size(), &number) && firstLine[number] == kNoLine)
            firstLine[number] = i;
    }

    size_t taken = 0;
    for (size_t number = 0; number < firstLine.size(); ++number) {
        if (firstLine[number] == kNoLine)
            break;
        const Line& line = lines[firstLine[number]];
        if (!line.value)
            break;
        const std::wstring path = unquotedValue(line.value, line.valueLength);
        if (path.empty())
            break;
        // Too long for a path buffer: passed over, not cut into a wrong path.
        if (path.size() >= static_cast<size_t>(kPathSize))
            continue;
        take(path.c_str(), context);
        ++taken;
    }
    return taken;
}
