#pragma once
// The settings file: its full path and reads through the private-profile
// functions. Nothing is cached; every call goes to the file.

#include <cstdint>
#include <vector>

#include "base/path_text.h"

class ProfileFile {
public:
    ProfileFile() = default;
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    // A path that does not fit 260 bytes is refused: the object then reads
    // nothing and writes nothing.
    bool setPath(const char* path);
    bool hasPath() const { return path_[0] != '\0'; }
    const char* path() const { return path_; }

    // The whole section as GetPrivateProfileSectionA gives it ("k=v\0...\0\0"),
    // in a buffer grown until the text fits; empty when there is none.
    std::vector<char> readSection(const char* section) const;
    // The platform's answer with -1 as the default, so a missing key is -1.
    uint32_t readInt(const char* section, const char* key) const;

private:
    char path_[kPathSize] = {};
};
