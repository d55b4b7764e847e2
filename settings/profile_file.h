#pragma once
// The settings file: its full path and per-key access through the
// private-profile functions. Nothing is cached; every call goes to the file.

#include <cstdint>
#include <vector>

#include "rotation/wallpaper_list.h"

enum class ProfileRead { Missing, Value, TooLong };

class ProfileFile {
public:
    ProfileFile() = default;
    virtual ~ProfileFile() = default;
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    // A path that does not fit 260 bytes is refused: the object then reads
    // nothing and writes nothing.
    bool setPath(const char* path);
    bool hasPath() const { return path_[0] != '\0'; }
    const char* path() const { return path_; }

    // 1 when a value was read into `out`, else 0 with `out` empty. A value
    // too long for a path buffer is not cut: it reads as nothing, and
    // `detail` (when given) tells that case apart from a missing key.
    int readString(const char* section, const char* key, char (&out)[kPathSize],
                   ProfileRead* detail = nullptr) const;
    // The whole section as GetPrivateProfileSectionA gives it ("k=v\0...\0\0"),
    // in a buffer grown until the text fits; empty when there is none.
    std::vector<char> readSection(const char* section) const;
    // The platform's answer with -1 as the default, so a missing key is -1.
    uint32_t readInt(const char* section, const char* key) const;
    int writeInt(const char* section, const char* key, int32_t value) const;
    // A null key deletes the whole section.
    int writeString(const char* section, const char* key, const char* value) const;

private:
    char path_[kPathSize] = {};
};
