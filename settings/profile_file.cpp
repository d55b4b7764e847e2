#include "settings/profile_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "settings/path_text.h"

bool ProfileFile::setPath(const char* path)
{
    if (!path || !copyText(path_, sizeof path_, path)) {
        path_[0] = '\0';
        return false;
    }
    return true;
}

int ProfileFile::readString(const char* section, const char* key, char (&out)[kPathSize],
                            ProfileRead* detail) const
{
    out[0] = '\0';
    ProfileRead result = ProfileRead::Missing;
    if (hasPath()) {
        // One byte more than a path may hold: a full buffer means the value
        // was cut (possibly inside a double-byte character), not that it fits.
        char value[kPathSize + 1];
        const DWORD length =
            GetPrivateProfileStringA(section, key, "", value, sizeof value, path_);
        if (length >= sizeof value - 1) {
            result = ProfileRead::TooLong;
        } else if (length > 0) {
            std::memcpy(out, value, length);
            out[length] = '\0';
            result = ProfileRead::Value;
        }
    }
    if (detail)
        *detail = result;
    return result == ProfileRead::Value ? 1 : 0;
}

namespace {

// A first guess that usually fits at once: the section cannot take more
// bytes than the file holds.
size_t firstSectionGuess(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    size_t guess = 64 * 1024;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0 &&
        data.nFileSizeLow < 0x10000000u && data.nFileSizeLow + 2u > guess)
        guess = data.nFileSizeLow + 2u;
    return guess;
}

constexpr size_t kLargestSection = 0x40000000u;

}  // namespace

std::vector<char> ProfileFile::readSection(const char* section) const
{
    std::vector<char> text;
    if (!hasPath())
        return text;
    for (size_t size = firstSectionGuess(path_);; size *= 2) {
        text.assign(size, '\0');
        const DWORD length = GetPrivateProfileSectionA(section, text.data(), static_cast<DWORD>(size), path_);
        // The answer is size - 2 when the text did not fit (or just fitted):
        // ask again with more room.
        if (length + 2 < size || size * 2 > kLargestSection) {
            text.resize(length < size ? length + 1 : size);
            return text;
        }
    }
}

uint32_t ProfileFile::readInt(const char* section, const char* key) const
{
    if (!hasPath())
        return static_cast<uint32_t>(-1);
    return GetPrivateProfileIntA(section, key, -1, path_);
}

int ProfileFile::writeInt(const char* section, const char* key, int32_t value) const
{
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
    return writeString(section, key, text);
}

int ProfileFile::writeString(const char* section, const char* key, const char* value) const
{
    if (!hasPath())
        return 0;
    return WritePrivateProfileStringA(section, key, value, path_);
}
