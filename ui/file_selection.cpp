#include "ui/file_selection.h"

#include <cwchar>

namespace {

// Length of the string at `start`, or npos when it runs off the buffer.
size_t boundedLength(const wchar_t* buffer, size_t bufferSize, size_t start)
{
    if (start >= bufferSize)
        return std::wstring::npos;
    const wchar_t* end = std::wmemchr(buffer + start, L'\0', bufferSize - start);
    if (!end)
        return std::wstring::npos;
    return end - (buffer + start);
}

}  // namespace

std::vector<std::wstring> selectedPaths(const wchar_t* buffer, size_t bufferSize, size_t fileOffset)
{
    std::vector<std::wstring> paths;
    if (!buffer || bufferSize == 0)
        return paths;

    const size_t firstLength = boundedLength(buffer, bufferSize, 0);
    if (firstLength == std::wstring::npos || firstLength == 0)
        return paths;

    // The character before the first name is a NUL only when the dialog wrote a
    // folder followed by names; one chosen file (even one without an
    // extension) is a single full path.
    const bool several = fileOffset > 0 && fileOffset <= bufferSize && buffer[fileOffset - 1] == L'\0';
    if (!several) {
        paths.emplace_back(buffer, firstLength);
        return paths;
    }

    // A drive's root comes with its backslash ("C:\"); nothing else does.
    std::wstring folder(buffer, firstLength);
    if (!(folder.size() == 3 && folder[1] == L':' && folder[2] == L'\\'))
        folder += L'\\';
    for (size_t at = fileOffset;;) {
        const size_t nameLength = boundedLength(buffer, bufferSize, at);
        if (nameLength == std::wstring::npos || nameLength == 0)
            break;
        paths.push_back(folder + std::wstring(buffer + at, nameLength));
        at += nameLength + 1;
    }
    return paths;
}
