#pragma once
// The settings file: its full path and reads through the private-profile
// functions' Unicode forms, which read an ANSI file through the code page and
// a file that starts with FF FE as UTF-16. Nothing is cached; every call
// goes to the file.

#include <cstdint>
#include <vector>

#include "base/path_text.h"

class ProfileFile {
public:
    ProfileFile() = default;
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    // A path that does not fit kPathSize characters is refused: the object
    // then reads nothing and writes nothing.
    bool setPath(const wchar_t* path);
    bool hasPath() const { return path_[0] != L'\0'; }
    const wchar_t* path() const { return path_; }

    // The whole section as GetPrivateProfileSectionW gives it ("k=v\0...\0\0"),
    // in a buffer grown until the text fits; empty when there is none.
    std::vector<wchar_t> readSection(const wchar_t* section) const;
    // The platform's answer with -1 as the default, so a missing key is -1.
    uint32_t readInt(const wchar_t* section, const wchar_t* key) const;

private:
    wchar_t path_[kPathSize] = {};
};
