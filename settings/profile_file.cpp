#include "settings/profile_file.h"

#include <windows.h>

bool ProfileFile::setPath(const wchar_t* path)
{
    if (!path || !copyText(path_, kPathSize, path)) {
        path_[0] = L'\0';
        return false;
    }
    return true;
}

namespace {

// A first guess that usually fits at once: the section cannot take more
// characters than the file has bytes.
size_t firstSectionGuess(const wchar_t* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    size_t guess = 64 * 1024;
    if (GetFileAttributesExW(path, GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0 &&
        data.nFileSizeLow < 0x10000000u && data.nFileSizeLow + 2u > guess)
        guess = data.nFileSizeLow + 2u;
    return guess;
}

constexpr size_t kLargestSection = 0x20000000u;

}  // namespace

std::vector<wchar_t> ProfileFile::readSection(const wchar_t* section) const
{
    std::vector<wchar_t> text;
    if (!hasPath())
        return text;
    for (size_t size = firstSectionGuess(path_);; size *= 2) {
        text.assign(size, L'\0');
        const DWORD length = GetPrivateProfileSectionW(section, text.data(), static_cast<DWORD>(size), path_);
        // The answer is size - 2 when the text did not fit (or just fitted):
        // ask again with more room.
        if (length + 2 < size || size * 2 > kLargestSection) {
            text.resize(length < size ? length + 1 : size);
            return text;
        }
    }
}

uint32_t ProfileFile::readInt(const wchar_t* section, const wchar_t* key) const
{
    if (!hasPath())
        return static_cast<uint32_t>(-1);
    return GetPrivateProfileIntW(section, key, -1, path_);
}
