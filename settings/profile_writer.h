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
// turns.
//
// The bytes are those the per-key profile writes give for the same state:
// the "SETTINGS" keys and the removal of "FILELIST" go through the profile
// functions; the new "FILELIST" section, which those functions would write
// one key at a time (rewriting the whole file each time), is appended as the
// platform would have written it. The file stays in the ANSI code page while
// every name has a form there, so that every earlier version reads it as
// before; a name without one makes it UTF-16 with its byte-order mark, which
// Windows' profile functions read (and the earlier versions' ANSI calls too).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ProfileFile;
class WallpaperList;

struct ProfileSetting {
    const wchar_t* key;
    int32_t value;
    // A key files had not always: written only while it differs from what its absence means.
    bool optional = false;
    int32_t absentMeans = 0;
    bool removed() const { return optional && value == absentMeans; }
};

// A section of values written whole after the list (its text from
// sectionText); one without values is removed from the file.
struct ValueSection {
    const wchar_t* name;
    std::wstring text;
};

// Writes `settings` into `section` ("%u"), then the list as `listSection`
// keys "0", "1", ... from its cursor round (the cursor ends where it began),
// then `extra` sections. False when the file was not written (or, in place,
// not written whole).
bool writeProfileAtOnce(const ProfileFile& file, const wchar_t* section, const ProfileSetting* settings,
                        size_t settingCount, const wchar_t* listSection, WallpaperList& list,
                        const std::vector<ValueSection>& extra = {});
