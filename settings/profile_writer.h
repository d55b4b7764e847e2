#pragma once
// Writes the settings file in one piece and in linear time. The changes go
// to a copy beside the file ("Tavrel.ini.saving"), which then takes the
// file's place in one step, with what was set on the file (permissions,
// attributes): a process ended at any moment leaves the old file or the new
// one, and a failed write leaves the old file as it was. Where the file is
// a link, no copy can be made beside it, or none can take its place
// (another program holds the file open), the same changes go to the file
// itself, as the platform's own profile writes would make them; the new list
// is then written even when other writes failed. Two saves of one file take
// turns. A file Windows would read with the wrong encoding is saved as
// UTF-16 with its byte-order mark, the one Unicode form Windows reads.
//
// The bytes are those the per-key profile writes give for the same state:
// the "SETTINGS" keys and the removal of "FILELIST" go through the profile
// functions; the new "FILELIST" section, which those functions would write
// one key at a time (rewriting the whole file each time), is appended as the
// platform would have written it.

#include <cstddef>
#include <cstdint>

class ProfileFile;
class WallpaperList;

struct ProfileSetting {
    const char* key;
    int32_t value;
    bool zeroRemovesKey = false;  // a key files had not always: absent means 0
    bool removed() const { return zeroRemovesKey && value == 0; }
};

// Writes `settings` into `section` ("%u"), then the list as `listSection`
// keys "0", "1", ... from its cursor round (the cursor ends where it began).
// False when the file was not written (or, in place, not written whole).
bool writeProfileAtOnce(const ProfileFile& file, const char* section, const ProfileSetting* settings,
                        size_t settingCount, const char* listSection, WallpaperList& list);
