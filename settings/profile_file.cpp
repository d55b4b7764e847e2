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
