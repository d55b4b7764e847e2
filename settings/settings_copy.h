#pragma once
// The copy beside the settings file that takes its place in one step, the
// lock that makes two saves of one file take turns, and the file's bytes.

#include <windows.h>

#include <cstddef>
#include <string>

#include "base/path_text.h"

// Reads and writes that wait out a brief hold, as a byte-range lock.
bool readFromFile(HANDLE file, void* to, DWORD size, DWORD* got);
bool writeAll(HANDLE file, const void* data, size_t size);

// The old file's bytes, none when there is no file. A folder or a read-only
// file refuses the save, as it refuses the profile writes.
bool readOldFile(const wchar_t* path, std::string& bytes);

// The file's bytes in the encoding Windows reads (see toWindowsUnicode),
// written back in place when they had to change.
bool keepInWindowsEncoding(const wchar_t* path, bool unicodeNeeded);

// Two saves of one file at once (two users of one program folder logging
// off together) take turns: the lock is a file that exists only while its
// handle is open, so a killed save leaves none.
class SaveLock {
public:
    explicit SaveLock(const wchar_t* path);
    ~SaveLock();
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;

    bool held() const { return lock_ != INVALID_HANDLE_VALUE; }
    // No file can be made there at all: then no other save can lock out
    // this one either, and only the file itself is written.
    bool nobodyElseCanLock() const { return unlockedAlone_; }

private:
    HANDLE lock_ = INVALID_HANDLE_VALUE;
    bool unlockedAlone_ = false;
};

enum class Copy { Made, NotMade, Failed };

// The copy ("<file>.saving") starts as the old file byte for byte, in the
// encoding Windows reads (UTF-16 when `unicodeNeeded`). A copy that cannot
// be written whole is removed again.
Copy startCopy(const wchar_t* path, bool unicodeNeeded, wchar_t (&copyPath)[kPathSize]);

// The copy takes the file's place, keeping what was set on the file; false
// (the copy left) when it cannot.
bool replaceWithCopy(const wchar_t* copyPath, const wchar_t* path);

// A symbolic link (or another reparse point), or a file with other names (hard
// links): a new file in its place would part the name from the data the
// others show, so it is written in place.
bool isLinked(const wchar_t* path);
