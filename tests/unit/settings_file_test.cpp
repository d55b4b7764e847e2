// The settings file in process, where the outside cannot see: the one-read
// load and the one-piece save against the per-key profile calls, byte by
// byte; saves past what Windows puts in their way (made to happen through
// the import slots); the Run value's data size.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "driver.h"
#include "import_slot.h"
#include "per_key_profile.h"
#include "settings/autorun.h"
#include "settings/filelist_section.h"
#include "settings/profile_file.h"
#include "settings/profile_writer.h"

namespace {

using Strings = std::vector<std::string>;
using namespace std::string_literals;  // "..."s keeps NUL bytes inside

WallpaperList& fill(WallpaperList& list, const Strings& paths, int cursor = 0)
{
    for (const std::string& path : paths)
        list.append(path.c_str());
    for (int i = 0; i < cursor; ++i)
        list.advance();
    return list;
}

Strings loadedList(const std::string& path)
{
    ProfileFile file;
    file.setPath(path.c_str());
    const std::vector<char> text = file.readSection("FILELIST");
    Strings paths;
    resolveFileList(text.data(), text.size(), [](const char* p, void* out) { static_cast<Strings*>(out)->emplace_back(p); },
                    &paths);
    return paths;
}

bool save(const std::string& path, const ShowSettings& s, WallpaperList& list)
{
    ProfileFile file;
    file.setPath(path.c_str());
    const ProfileSetting values[] = {{"SHOWMODE", s.showMode}, {"SHOWORDER", s.showOrder}, {"ALTETIME", s.alteTime},
                                     {"PREVIEW", s.preview}, {"AUTORUN", s.autoRun}};
    return writeProfileAtOnce(file, "SETTINGS", values, 5, "FILELIST", list);
}

const ShowSettings kDefaults{1, 0, 12, 1, 1}, kChanged{2, 1, 19, 0, 0};
const std::string kDefaultsFile = "[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n";
const std::string kGbk = "D:\\\xCD\xBC\xC6\xAC\\\xC9\xBD\xCB\xAE\xD5\x5C.jpg";  // a second byte 0x5C

// Each file is read (the list) and then saved (options and list) both ways.
TEST(SettingsFile, OneReadAndOnePieceSaveMatchThePerKeyCalls)
{
    const std::string extras = "[ALPHA]\r\nA=1\r\n[SETTINGS]\r\nSHOWMODE=0\r\nEXTRA=keep me\r\n"
                               "[FILELIST]\r\n0=old0\r\n1=old1\r\nname=x\r\n[OMEGA]\r\nZ=26\r\n";
    std::string gbk300 = "C:\\";  // and 150 wide characters, 300 bytes
    while (gbk300.size() < 303)
        gbk300 += "\xBA\xA3";
    const struct { const char* name; std::optional<std::string> file; ShowSettings settings; Strings list; int cursor; }
        rows[] = {
        {"no file, empty list", {}, kDefaults, {}, 0},
        {"lower-case section, cursor on the second", "[filelist]\r\n0=A\r\n", kChanged, {"A", "B", "C"}, 1},
        {"spaces around keys and values, an empty value", "[FILELIST]\r\n 0 = A \r\n\t1\t=\tB\t\r\n2=\r\n3=C\r\n",
         kChanged, {}, 0},
        {"quotes", "[FILELIST]\r\n0=\"A b\"\r\n1='B'\r\n2=\"C'\r\n3=\"\r\n4=x\"\r\n", kDefaults, {"A"}, 0},
        {"extra sections and keys, shorter list", extras, kChanged, {"N0"}, 0},
        {"comments, keys before any section, LF, no final newline", "; top\nloose=1\n\n[FILELIST]\n;0=X\n0=A\n1=B",
         kChanged, {"A", "B"}, 0},
        {"259 and 260 bytes", "[FILELIST]\r\n0=C:\\" + std::string(256, 'a') + "\r\n1=" + std::string(260, 'a') +
                                  "\r\n2=C\r\n", kDefaults, {"C:\\" + std::string(256, 'p'), "B"}, 1},
        {"code page 936, 300 bytes", "[FILELIST]\r\n0=" + kGbk + "\r\n1=" + gbk300 + "\r\n2=B\r\n", kDefaults,
         {kGbk, "A\x81", "\x81" "B", "E\xFF\x81\xFF"}, 2},
        {"control bytes, blanks around paths", "[FILELIST]\r\n0=A\x1a\r\n1=\x1a" "B\x81\r\n2=\x81\r\n", kDefaults,
         {"  A  ", "\tB\x1a", " C "}, 0},
        {"UTF-16 file", "\xFF\xFE[\0F\0I\0L\0E\0L\0I\0S\0T\0]\0\r\0\n\0" "0\0=\0A\0\r\0\n\0"s, kDefaults,
         {kGbk, "B"}, 1},
        {"NUL bytes", "[FILELIST]\r\n0=A\0B\r\n1=C\r\n"s, kChanged, {"A"}, 0},
    };
    driver::AppFolder scratch("settings-file");
    const std::string reference = scratch.path() + "\\reference.ini", candidate = scratch.ini();
    for (const auto& row : rows) {
        for (const std::string& file : {reference, candidate})
            row.file ? driver::writeFileBytes(file, *row.file) : DeleteFileA(file.c_str());
        EXPECT_EQ(per_key::readList(reference.c_str()), loadedList(candidate)) << row.name;
        WallpaperList referenceList, candidateList;
        per_key::save(reference.c_str(), row.settings, fill(referenceList, row.list, row.cursor));
        EXPECT_TRUE(save(candidate, row.settings, fill(candidateList, row.list, row.cursor))) << row.name;
        EXPECT_EQ(driver::readFileBytes(reference), driver::readFileBytes(candidate)) << row.name;
        EXPECT_STREQ(referenceList.current(), candidateList.current()) << row.name << ": the cursor moved";
    }
}

// Windows' answers where Wine's differ: Wine replaces a file another program
// holds open, and rewrites the whole file at every profile write.
IMPORT_SLOT(MoveFileExA, 12);
IMPORT_SLOT(WritePrivateProfileStringA, 16);
decltype(&MoveFileExA) realMoveFileExA = nullptr;
decltype(&WritePrivateProfileStringA) realWritePrivateProfileStringA = nullptr;
int refusals = 0;  // replaces still to refuse; -1: every one
DWORD refusal = 0;
int replaces = 0;
std::string firstBytes, firstValues;

BOOL WINAPI heldMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags)
{
    if (++replaces, refusals == 0)
        return realMoveFileExA(from, to, flags);
    refusals -= refusals > 0;
    return SetLastError(refusal), FALSE;
}

// Every section with its keys, as the profile functions read them.
std::string profileValues(const char* path)
{
    std::vector<char> names(1 << 16), keys(1 << 16);
    GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), path);
    std::string values;
    for (const char* name = names.data(); *name; name += std::strlen(name) + 1) {
        const DWORD length = GetPrivateProfileSectionA(name, keys.data(), static_cast<DWORD>(keys.size()), path);
        values.append(name).append(1, '\n').append(keys.data(), length).append(1, '\n');
    }
    return values;
}

// Windows edits the file in place: writes that leave every value as it was
// leave its bytes as they were. Or every write fails, as on a full disk.
bool profileWritesFail = false;
BOOL WINAPI windowsWritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path)
{
    if (profileWritesFail)
        return SetLastError(ERROR_DISK_FULL), FALSE;
    const BOOL written = realWritePrivateProfileStringA(section, key, value, path);
    if (profileValues(path) == firstValues)
        driver::writeFileBytes(path, firstBytes);
    return written;
}

int entriesIn(const std::string& folder)  // "." and ".." aside
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    int entries = 0;
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found))
        entries += found.cFileName[0] != '.';
    FindClose(find);
    return entries;
}

TEST(SettingsFile, SavePastWhatStandsInTheWay)
{
    enum Obstacle { None, ReadOnlyFile, CopyNameIsAFolder, HeldAWhile, HeldThroughout, WritesFail, InPlace };
    const std::string old = "[SETTINGS]\r\nSHOWMODE=2\r\n[FILELIST]\r\n0=old\r\n[KEEP]\r\nk=v\r\n";
    const std::string saved = kDefaultsFile + "[KEEP]\r\nk=v\r\n[FILELIST]\r\n0=A\r\n1=B\r\n";
    const std::string handEdited = kDefaultsFile + "[KEEP]\r\nk=v";  // no line end after the last line
    const struct { const char* name; Obstacle obstacle; std::string old, expected; int replaces; } rows[] = {
        {"three FILELIST sections: all replaced", None,
         "[FILELIST]\r\n0=a\r\n[KEEP]\r\nk=v\r\n[FILELIST]\r\n0=b\r\n[FILELIST]\r\n1=c\r\n",
         "[KEEP]\r\nk=v\r\n" + kDefaultsFile + "[FILELIST]\r\n0=A\r\n1=B\r\n", 1},
        {"read-only file: kept", ReadOnlyFile, old, old, 0},
        {"a folder named Tavrel.new: another copy", CopyNameIsAFolder, old, saved, 1},
        {"held open for 3 replaces: replaced", HeldAWhile, old, saved, 4},
        {"held open throughout: written in place", HeldThroughout, old, saved, -1},  // -1: any number
        {"profile writes fail on the copy: kept, no copy left", WritesFail, old, old, 0},
        {"edited in place, last line open: list kept", InPlace, handEdited,
         handEdited + "\r\n[FILELIST]\r\n0=A\r\n1=B\r\n", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        driver::AppFolder scratch("settings-save");
        const std::string ini = scratch.ini(), copyName = scratch.path() + "\\Tavrel.new";
        driver::writeFileBytes(ini, row.old);
        if (row.obstacle == ReadOnlyFile)
            SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
        if (row.obstacle == CopyNameIsAFolder)
            CreateDirectoryA(copyName.c_str(), nullptr);
        refusals = row.obstacle == HeldAWhile ? 3 : row.obstacle == HeldThroughout ? -1 : 0;
        refusal = row.obstacle == HeldAWhile ? ERROR_SHARING_VIOLATION : ERROR_ACCESS_DENIED;
        replaces = 0;
        firstBytes = row.old;
        firstValues = profileValues(ini.c_str());
        // A reader that lets others read and write, but not replace.
        HANDLE reader = row.obstacle == HeldThroughout
                            ? CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr)
                            : INVALID_HANDLE_VALUE;
        WallpaperList list;
        const DWORD start = GetTickCount();
        bool written;
        {
            ImportRedirect<decltype(&MoveFileExA)> held(MoveFileExA_slot, heldMoveFileExA);
            realMoveFileExA = held.original();
            std::optional<ImportRedirect<decltype(&WritePrivateProfileStringA)>> profile;
            if (row.obstacle == InPlace || (profileWritesFail = row.obstacle == WritesFail)) {
                profile.emplace(WritePrivateProfileStringA_slot, windowsWritePrivateProfileStringA);
                realWritePrivateProfileStringA = profile->original();
            }
            written = save(ini, kDefaults, fill(list, {"A", "B"}));
        }
        const DWORD elapsed = GetTickCount() - start;
        if (reader != INVALID_HANDLE_VALUE)
            CloseHandle(reader);

        EXPECT_EQ(row.expected != row.old, written);
        EXPECT_EQ(row.expected, driver::readFileBytes(ini).value_or("<none>"));
        EXPECT_EQ(row.obstacle == CopyNameIsAFolder ? 2 : 1, entriesIn(scratch.path())) << "a copy left behind";
        EXPECT_TRUE(row.replaces < 0 || row.replaces == replaces) << replaces << " replaces";
        EXPECT_LT(elapsed, 1500u) << "a logoff waits for the save";
    }
}

// The registry counts a forgotten terminator itself, so the data size is
// seen only at the call.
IMPORT_SLOT(RegSetValueExA, 24);
decltype(&RegSetValueExA) realRegSetValueExA = nullptr;
DWORD sizePassed = 0;

LONG WINAPI recordingRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    sizePassed = size;
    return realRegSetValueExA(key, name, reserved, type, data, size);
}

TEST(AutoRun, ValueCountsItsTerminator)
{
    const char runKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    {
        ImportRedirect<decltype(&RegSetValueExA)> redirect(RegSetValueExA_slot, recordingRegSetValueExA);
        realRegSetValueExA = redirect.original();
        setAutoRun(1);
    }
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, runKey, "Tavrel", RRF_RT_REG_SZ, nullptr, value, &size));
    EXPECT_EQ(std::strlen(value) + 1, sizePassed) << value;
    setAutoRun(0);
}

}  // namespace
