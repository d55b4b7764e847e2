// The settings file at scale: the one-read list load answers what per-key
// reads answer, the one-piece save writes the bytes per-key writes write, a
// save gets past what Windows puts in its way, and a failed save leaves the
// old file whole.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "driver.h"
#include "import_slot.h"
#include "per_key_profile.h"
#include "settings/filelist_section.h"
#include "settings/profile_file.h"
#include "settings/profile_writer.h"
#include "test_files.h"

namespace {

// A literal with the NUL bytes inside it.
template <size_t N>
std::string bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A fresh folder of its own under the temporary folder.
struct Scratch {
    std::string path = [] {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        static int serial = 0;
        const std::string path = std::string(temp) + "tavrel-scale-" + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(++serial);
        CreateDirectoryA(path.c_str(), nullptr);
        return path;
    }();
    ~Scratch() { driver::removeTree(path); }
    std::string file(const std::string& name) const { return path + "\\" + name; }
};

WallpaperList& fill(WallpaperList& list, const std::vector<std::string>& paths, int cursor = 0)
{
    for (const std::string& path : paths)
        list.append(path.c_str());
    for (int i = 0; i < cursor; ++i)
        list.advance();
    return list;
}

std::vector<std::string> resolvedByOneRead(const std::string& path)
{
    ProfileFile file;
    file.setPath(path.c_str());
    const std::vector<char> text = file.readSection("FILELIST");
    std::vector<std::string> paths;
    resolveFileList(
        text.data(), text.size(),
        [](const char* path, void* out) { static_cast<std::vector<std::string>*>(out)->emplace_back(path); }, &paths);
    return paths;
}

bool saveAtOnce(const std::string& path, const ShowSettings& settings, WallpaperList& list)
{
    ProfileFile file;
    file.setPath(path.c_str());
    const ProfileSetting values[] = {{"SHOWMODE", settings.showMode}, {"SHOWORDER", settings.showOrder},
                                     {"ALTETIME", settings.alteTime}, {"PREVIEW", settings.preview},
                                     {"AUTORUN", settings.autoRun}};
    return writeProfileAtOnce(file, "SETTINGS", values, 5, "FILELIST", list);
}

const ShowSettings kDefaults{1, 0, 12, 1, 1};
const ShowSettings kChanged{2, 1, 19, 0, 0};
const std::string kDefaultsFile =
    "[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n";
const std::string kGbk1 = "D:\\\xCD\xBC\xC6\xAC\\\xC9\xBD\xCB\xAE\xD5\x5C.jpg";  // second byte 0x5C
const std::string kGbk2 = "E:\\\xB1\xDA\xD6\xBD\\\xBA\xA3.bmp";
// 150 double-byte characters: 150 wide characters but 300 bytes.
const std::string kGbkLong = [] {
    std::string s = "C:\\";
    for (int i = 0; i < 150; ++i)
        s += "\xBA\xA3";
    return s;
}();

std::vector<std::string> numbered(int n)
{
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i)
        paths.push_back("C:\\\xCD\xBC\xC6\xAC\\" + std::to_string(i) + ".jpg");
    return paths;
}

TEST(SettingsScale, OneReadResolvesAsPerKeyReads)
{
    const std::string a259 = "C:\\" + std::string(256, 'a');
    const std::string a260 = "C:\\" + std::string(257, 'a');
    const struct {
        const char* name;
        std::string file;
    } rows[] = {
        {"lower-case section", "[filelist]\r\n0=A\r\n"},
        {"spaces around keys and values", "[FILELIST]\r\n 0 = A \r\n\t1\t=\tB\t\r\n"},
        {"spaces inside the section name", "[ FILELIST ]\r\n0=A\r\n[FILELIST]\r\n0=B\r\n"},
        {"quotes", "[FILELIST]\r\n0=\"A b\"\r\n1='B'\r\n2=\"C'\r\n3=\"\r\n4=x\"\r\n"},
        {"empty quotes end", "[FILELIST]\r\n0=A\r\n1=\"\"\r\n2=C\r\n"},
        {"duplicated keys", "[FILELIST]\r\n0=A\r\n0=B\r\n1=C\r\n1=D\r\n"},
        {"key without value first", "[FILELIST]\r\n0=A\r\n1\r\n1=B\r\n"},
        {"duplicated sections", "[FILELIST]\r\n0=A\r\n[X]\r\n[FILELIST]\r\n1=B\r\n0=Z\r\n"},
        {"leading zeros and signs", "[FILELIST]\r\n00=X\r\n+0=Y\r\n0=A\r\n01=Z\r\n"},
        {"comments", "[FILELIST]\r\n;0=X\r\n0=A\r\n;1=Y\r\n"},
        {"blank lines and LF only", "\n\n[FILELIST]\n\n0=A\n\n1=B\n"},
        {"no final newline", "[FILELIST]\r\n0=A\r\n1=B"},
        {"empty value", "[FILELIST]\r\n0=A\r\n1=\r\n2=C\r\n"},
        {"259 and 260 bytes", "[FILELIST]\r\n0=" + a259 + "\r\n1=" + a260 + "\r\n2=C\r\n"},
        {"100 KB line", "[FILELIST]\r\n0=A\r\n1=" + std::string(100 * 1024, 'x') + "\r\n2=C\r\n"},
        {"code page 936", "[FILELIST]\r\n0=" + kGbk1 + "\r\n1=" + kGbk2 + "\r\n"},
        {"300-byte code page 936 path", "[FILELIST]\r\n0=" + kGbkLong + "\r\n1=B\r\n"},
        {"control bytes", "[FILELIST]\r\n0=A\x1a\r\n1=\x1a" "B\r\n2=C\x1c\r\n"},
        {"invalid double-byte sequences", "[FILELIST]\r\n0=A\x81\r\n1=\x81\r\n"},
        {"UTF-8 file", "\xEF\xBB\xBF[FILELIST]\r\n0=C:\\\xE5\x9B\xBE.bmp\r\n1=\xC3\xA9\r\n"},
        {"UTF-16 file",
         bytes("\xFF\xFE[\0F\0I\0L\0E\0L\0I\0S\0T\0]\0\r\0\n\0" "0\0=\0A\0\r\0\n\0")},
        {"NUL bytes", bytes("[FILELIST]\r\n0=A\0B\r\n1=C\r\n")},
        {"equals in the key line", "[FILELIST]\r\n0==A\r\n1=B=C\r\n"},
        {"no section", "[SETTINGS]\r\nSHOWMODE=1\r\n"},
        {"empty file", ""},
    };
    Scratch scratch;
    const std::string path = scratch.file("read.ini");
    for (const auto& row : rows) {
        writeBytes(path, row.file);
        EXPECT_EQ(per_key::readList(path.c_str()), resolvedByOneRead(path)) << row.name;
    }
}

TEST(SettingsScale, SaveWritesThePerKeyBytes)
{
    const std::string longest = "C:\\" + std::string(256, 'p');
    const std::string extras =
        "[ALPHA]\r\nA=1\r\n[SETTINGS]\r\nSHOWMODE=0\r\nEXTRA=keep me\r\n"
        "[FILELIST]\r\n0=old0\r\n1=old1\r\n2=old2\r\n3=old3\r\nname=x\r\n[OMEGA]\r\nZ=26\r\n";
    const struct {
        const char* name;
        bool fileExists;
        std::string file;
        ShowSettings settings;
        std::vector<std::string> list;
        int cursor;
    } rows[] = {
        {"no file, empty list", false, "", kDefaults, {}, 0},
        {"no file, cursor on the second", false, "", kChanged, {"A", "B", "C"}, 1},
        {"code page 936 paths", false, "", kDefaults, {kGbk1, kGbk2, kGbk1}, 2},
        {"extra sections and keys", true, extras, kChanged, {"N0", "N1"}, 0},
        {"extra sections, empty list", true, extras, kChanged, {}, 0},
        {"old list longer than the new", true, extras, kDefaults, {"only"}, 0},
        {"no final newline", true, "[SETTINGS]\r\nSHOWMODE=1\r\n[X]\r\ny=2", kChanged, {"A", "B"}, 0},
        {"unchanged, no final newline, empty list", true,
         "[SETTINGS]\nSHOWMODE=1\nSHOWORDER=0\nALTETIME=12\nPREVIEW=1\nAUTORUN=1", kDefaults, {}, 0},
        {"unchanged, no final newline, a list", true,
         "[SETTINGS]\nSHOWMODE=1\nSHOWORDER=0\nALTETIME=12\nPREVIEW=1\nAUTORUN=1", kDefaults, {"A"}, 0},
        {"FILELIST first", true, "[FILELIST]\r\n0=old\r\n[SETTINGS]\r\nSHOWMODE=2\r\n", kDefaults, {"A", "B"}, 1},
        {"FILELIST only", true, "[filelist]\n0=old\n", kDefaults, {"A"}, 0},
        {"blank lines, comments, LF", true, "; top\n\n[A]\n\nk = v \n\n[SETTINGS]\n\n", kChanged, {"A", "B"}, 0},
        {"keys before any section", true, "loose=1\r\n[SETTINGS]\r\n", kDefaults, {"A"}, 0},
        {"spaces around paths", false, "", kDefaults, {"  A  ", "\tB\t", " C "}, 0},
        {"blank paths", false, "", kDefaults, {"A", "   ", "\x1a" "B\x1a", "C\x0b"}, 0},
        {"invalid double-byte sequence", false, "", kDefaults, {"A\x81", "\x81" "B", "\x80\xFF", "\x81 C", "D\x81\x7f", "E\xFF\x81\xFF"}, 0},
        {"longest path", false, "", kDefaults, {longest, "B"}, 1},
        {"values not numbers", true, "[SETTINGS]\r\nSHOWMODE=abc\r\nALTETIME=-1\r\n", kChanged, {"A"}, 0},
        {"negative values", false, "", ShowSettings{-1, -2, 100, 5, -7}, {"A"}, 0},
        {"UTF-8 file", true, "\xEF\xBB\xBF[SETTINGS]\r\nSHOWMODE=1\r\n[U]\r\nv=\xE5\x9B\xBE\r\n", kDefaults,
         {kGbk1, "B"}, 0},
        {"UTF-16 file", true, bytes("\xFF\xFE[\0X\0]\0\r\0\n\0k\0=\0\x3e\x56\r\0\n\0"), kDefaults,
         {kGbk2, "B"}, 1},
        {"a thousand entries", true, extras, kDefaults, numbered(1000), 500},
    };
    Scratch scratch;
    const std::string reference = scratch.file("reference.ini"), candidate = scratch.file("candidate.ini");
    for (const auto& row : rows) {
        DeleteFileA(reference.c_str());
        DeleteFileA(candidate.c_str());
        if (row.fileExists) {
            writeBytes(reference, row.file);
            writeBytes(candidate, row.file);
        }
        WallpaperList referenceList, candidateList;
        per_key::save(reference.c_str(), row.settings, fill(referenceList, row.list, row.cursor));
        EXPECT_TRUE(saveAtOnce(candidate, row.settings, fill(candidateList, row.list, row.cursor))) << row.name;
        EXPECT_EQ(readBytes(reference), readBytes(candidate)) << row.name;
        EXPECT_STREQ(referenceList.current(), candidateList.current()) << row.name << ": the cursor moved";
        EXPECT_FALSE(exists(scratch.file("candidate.new"))) << row.name;
    }
}

// Unlike per-key writes, which removed only the first of two FILELIST
// sections and let the second one's stale keys come back at the next start.
TEST(SettingsScale, EverySectionOfTheListIsReplaced)
{
    Scratch scratch;
    const std::string path = scratch.file("twice.ini");
    writeBytes(path, "[FILELIST]\r\n0=a\r\n[X]\r\nk=1\r\n[FILELIST]\r\n0=b\r\n1=c\r\n2=d\r\n");
    WallpaperList list;
    ASSERT_TRUE(saveAtOnce(path, kDefaults, fill(list, {"new"})));
    EXPECT_EQ("[X]\r\nk=1\r\n" + kDefaultsFile + "[FILELIST]\r\n0=new\r\n", readBytes(path));
    EXPECT_EQ(std::vector<std::string>{"new"}, per_key::readList(path.c_str()));
}

// Large enough for the section buffer to grow several times.
TEST(SettingsScale, LargeListRoundTrip)
{
    Scratch scratch;
    const std::string path = scratch.file("round.ini");
    std::vector<std::string> paths = numbered(20000);
    paths[7] = kGbk1;
    paths.back() = kGbkLong.substr(0, 259);
    WallpaperList list;
    ASSERT_TRUE(saveAtOnce(path, kDefaults, fill(list, paths)));
    EXPECT_EQ(paths, resolvedByOneRead(path));
    EXPECT_TRUE(resolvedByOneRead(scratch.file("missing.ini")).empty());
    EXPECT_TRUE(ProfileFile().readSection("FILELIST").empty()) << "no path";
}

// Windows' answers where Wine's differ. Wine replaces a file that another
// program holds open, and rewrites the whole file at every profile write.
IMPORT_SLOT(MoveFileExA, 12);
IMPORT_SLOT(WriteFile, 20);
IMPORT_SLOT(WritePrivateProfileStringA, 16);

decltype(&MoveFileExA) realMoveFileExA = nullptr;
decltype(&WritePrivateProfileStringA) realWritePrivateProfileStringA = nullptr;
int refusals = 0;  // replaces still to refuse; -1: every one
DWORD refusal = 0;
int replaces = 0;
std::string firstBytes, firstValues;

BOOL WINAPI heldMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags)
{
    ++replaces;
    if (refusals == 0)
        return realMoveFileExA(from, to, flags);
    refusals -= refusals > 0;
    SetLastError(refusal);
    return FALSE;
}

BOOL WINAPI fullDiskWriteFile(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED)
{
    if (written)
        *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
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
// leave its bytes as they were.
BOOL WINAPI inPlaceWritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path)
{
    const BOOL written = realWritePrivateProfileStringA(section, key, value, path);
    if (profileValues(path) == firstValues)
        writeBytes(path, firstBytes);
    return written;
}

// ASCII text as a UTF-16 file with its mark.
std::string utf16(const std::string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char c : text)
        bytes.append(1, c).append(1, '\0');
    return bytes;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found)) {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
            names.emplace_back(found.cFileName);
    }
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// The settings file that is a folder is proven on the real program (bad_input_test).
TEST(SettingsScale, SavePastWhatStandsInTheWay)
{
    enum Obstacle { ReadOnlyFile, FolderTakesNoFile, CopyNameIsAFolder, HeldAWhile, HeldThroughout, DiskFull, InPlace };
    const std::string old = "[SETTINGS]\r\nSHOWMODE=2\r\n[FILELIST]\r\n0=old\r\n[KEEP]\r\nk=v\r\n";
    const std::string saved = kDefaultsFile + "[KEEP]\r\nk=v\r\n[FILELIST]\r\n0=A\r\n1=B\r\n";
    const std::string handEdited = kDefaultsFile + "[KEEP]\r\nk=v";  // no line end after the last line
    const struct {
        const char* name;
        Obstacle obstacle;
        std::string old, expected;
        int replaces;  // -1: any number
    } rows[] = {
        {"read-only file: kept", ReadOnlyFile, old, old, 0},
        {"folder takes no new file: written in place", FolderTakesNoFile, old, saved, 0},
        {"a folder named Tavrel.new: another copy", CopyNameIsAFolder, old, saved, 1},
        {"held open for 3 replaces: replaced", HeldAWhile, old, saved, 4},
        {"held open throughout: written in place", HeldThroughout, old, saved, -1},
        {"disk full: kept, no copy left", DiskFull, old, old, 0},
        {"edited in place, last line open: list kept", InPlace, handEdited,
         handEdited + "\r\n[FILELIST]\r\n0=A\r\n1=B\r\n", 1},
        {"UTF-16, edited in place, last line open", InPlace, utf16(handEdited),
         utf16(handEdited + "\r\n[FILELIST]\r\n0=A\r\n1=B\r\n"), 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Scratch scratch;
        const std::string ini = scratch.file("Tavrel.ini");
        writeBytes(ini, row.old);
        // Tests run as root, for whom mode bits stop nothing: immutable instead.
        if (row.obstacle == FolderTakesNoFile)
            driver::runUnix("/usr/bin/chattr +i " + driver::unixPathOf(scratch.path));
        if (row.obstacle == ReadOnlyFile)
            SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
        if (row.obstacle == CopyNameIsAFolder)
            CreateDirectoryA(scratch.file("Tavrel.new").c_str(), nullptr);
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
        fill(list, {"A", "B"});
        const DWORD start = GetTickCount();
        bool written;
        {
            ImportRedirect<decltype(&MoveFileExA)> held(MoveFileExA_slot, heldMoveFileExA);
            realMoveFileExA = held.original();
            std::optional<ImportRedirect<decltype(&WriteFile)>> full;
            if (row.obstacle == DiskFull)
                full.emplace(WriteFile_slot, fullDiskWriteFile);
            std::optional<ImportRedirect<decltype(&WritePrivateProfileStringA)>> inPlace;
            if (row.obstacle == InPlace) {
                inPlace.emplace(WritePrivateProfileStringA_slot, inPlaceWritePrivateProfileStringA);
                realWritePrivateProfileStringA = inPlace->original();
            }
            written = saveAtOnce(ini, kDefaults, list);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (reader != INVALID_HANDLE_VALUE)
            CloseHandle(reader);
        if (row.obstacle == FolderTakesNoFile)
            driver::runUnix("/usr/bin/chattr -i " + driver::unixPathOf(scratch.path));
        SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);

        EXPECT_EQ(row.expected != row.old, written);
        EXPECT_EQ(row.expected, readBytes(ini));
        const std::vector<std::string> loaded = row.expected != row.old ? std::vector<std::string>{"A", "B"}
                                                                      : std::vector<std::string>{"old"};
        EXPECT_EQ(loaded, resolvedByOneRead(ini));
        std::vector<std::string> names = {"Tavrel.ini"};
        if (row.obstacle == CopyNameIsAFolder)
            names.push_back("Tavrel.new");
        EXPECT_EQ(names, namesIn(scratch.path)) << "a copy left behind";
        if (row.replaces >= 0) {
            EXPECT_EQ(row.replaces, replaces);
        }
        EXPECT_LT(elapsed, 1500u) << "a logoff waits for the save";
    }
}

TEST(SettingsScale, LeftoverCopyOfAKilledSaveIsReplaced)
{
    Scratch scratch;
    const std::string ini = scratch.file("Tavrel.ini");
    writeBytes(ini, "[KEEP]\r\nk=v\r\n");
    writeBytes(scratch.file("Tavrel.new"), "[FILELIST]\r\n0=half-writ");
    WallpaperList list;
    ASSERT_TRUE(saveAtOnce(ini, kDefaults, fill(list, {"A"})));
    EXPECT_EQ("[KEEP]\r\nk=v\r\n" + kDefaultsFile + "[FILELIST]\r\n0=A\r\n", readBytes(ini));
    EXPECT_FALSE(exists(scratch.file("Tavrel.new")));
}

}  // namespace
