#include "ui/file_selection.h"

#include <cstring>

#include "base/path_text.h"

namespace {

bool fitsPathBuffer(size_t length) { return length < static_cast<size_t>(kPathSize); }

// Length of the string at `start`, or npos when it runs off the buffer.
size_t boundedLength(const char* buffer, size_t bufferSize, size_t start)
{
    if (start >= bufferSize)
        return std::string::npos;
    const void* end = std::memchr(buffer + start, '\0', bufferSize - start);
    if (!end)
        return std::string::npos;
    return static_cast<const char*>(end) - (buffer + start);
}

}  // namespace

std::vector<std::string> selectedPaths(const char* buffer, size_t bufferSize, size_t fileOffset)
{
    std::vector<std::string> paths;
    if (!buffer || bufferSize == 0)
        return paths;

    const size_t firstLength = boundedLength(buffer, bufferSize, 0);
    if (firstLength == std::string::npos || firstLength == 0)
        return paths;

    // The byte before the first name is a NUL only when the dialog wrote a
    // folder followed by names; one chosen file (even one without an
    // extension) is a single full path.
    const bool several = fileOffset > 0 && fileOffset <= bufferSize && buffer[fileOffset - 1] == '\0';
    if (!several) {
        if (fitsPathBuffer(firstLength))
            paths.emplace_back(buffer, firstLength);
        return paths;
    }

    // A drive's root comes with its backslash ("C:\"); nothing else does, and
    // a last byte 0x5C may be half of a double-byte character.
    std::string folder(buffer, firstLength);
    if (!(folder.size() == 3 && folder[1] == ':' && folder[2] == '\\'))
        folder += '\\';
    for (size_t at = fileOffset;;) {
        const size_t nameLength = boundedLength(buffer, bufferSize, at);
        if (nameLength == std::string::npos || nameLength == 0)
            break;
        std::string path = folder + std::string(buffer + at, nameLength);
        if (fitsPathBuffer(path.size()))
            paths.push_back(std::move(path));
        at += nameLength + 1;
    }
    return paths;
}
