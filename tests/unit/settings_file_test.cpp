// The settings file in process: the one-read load and one-piece save against
// the per-key profile calls; saves past what Windows puts in their way.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <cwchar>
#include <functional>
#include <utility>

#include "driver.h"
#include "import_slot.h"
#include "per_key_profile.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "base/globals.h"
#include "base/scoped_win.h"
#include "base/ui_language.h"
#include "res/resource.h"
#include "settings/filelist_section.h"
#include "settings/profile_file.h"
#include "settings/profile_writer.h"

namespace {

using Paths = std::vector<std::wstring>;
using namespace std::string_literals;  // "..."s keeps NUL bytes inside

std::wstring fromAnsi(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size())) - 1));
    return wide;
}

WallpaperList& fill(WallpaperList& list, const Paths& paths, int cursor = 0)
{
    for (const std::wstring& path : paths)
        list.append(path.c_str());
    for (int i = 0; i < cursor; ++i)
        list.advance();
    return list;
}

Paths loadedList(const std::string& path)
{
    ProfileFile file;
    file.setPath(fromAnsi(path).c_str());
    const std::vector<wchar_t> text = file.readSection(L"FILELIST");
    Paths paths;
    resolveFileList(text.data(), text.size(),
                    [](const wchar_t* p, void* out) { static_cast<Paths*>(out)->emplace_back(p); }, &paths);
    return paths;
}

bool save(const std::string& path, const ShowSettings& s, WallpaperList& list)
{
    ProfileFile file;
    file.setPath(fromAnsi(path).c_str());
    const ProfileSetting values[] = {{L"SHOWMODE", s.showMode}, {L"SHOWORDER", s.showOrder}, {L"ALTETIME", s.alteTime},
                                     {L"PREVIEW", s.preview}, {L"AUTORUN", s.autoRun}};
    return writeProfileAtOnce(file, L"SETTINGS", values, 5, L"FILELIST", list);
}

std::string utf16File(const std::wstring& text)  // with its byte-order mark
{
    return "\xFF\xFE"s + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

const ShowSettings kDefaults{1, 0, 12, 1, 1, 1}, kChanged{2, 1, 19, 0, 0, 1};
const std::string kDefaultsFile = "[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\nAUTORUN=1\r\n";
const std::string kGbk = "D:\\\xCD\xBC\xC6\xAC\\\xC9\xBD\xCB\xAE\xD5\x5C.jpg";  // a second byte 0x5C
const std::wstring kGbkWide = L"D:\\\u56FE\u7247\\\u5C71\u6C34\u8AA0.jpg", kHangul = L"D:\\\uC0AC\uC9C4 \U0001F600.jpg";

// Each file is read (the list) and then saved (options and list) both ways,
// in code page 936; a name outside it makes both a UTF-16 file.
TEST(SettingsFile, OneReadAndOnePieceSaveMatchThePerKeyCalls)
{
    const std::string extras = "[ALPHA]\r\nA=1\r\n[SETTINGS]\r\nSHOWMODE=0\r\nEXTRA=keep me\r\n"
                               "[FILELIST]\r\n0=old0\r\n1=old1\r\nname=x\r\n[OMEGA]\r\nZ=26\r\n";
    std::string gbk300 = "C:\\";  // and 150 wide characters, 300 bytes
    while (gbk300.size() < 303)
        gbk300 += "\xBA\xA3";
    const struct { const char* name; std::optional<std::string> file; ShowSettings settings; Paths list; int cursor;
                   bool unicode = false; } rows[] = {
        {"no file, empty list", {}, kDefaults, {}, 0},
        {"lower-case section, cursor on the second", "[filelist]\r\n0=A\r\n", kChanged, {L"A", L"B", L"C"}, 1},
        {"quotes", "[FILELIST]\r\n0=\"A b\"\r\n1='B'\r\n2=\"C'\r\n3=\"\r\n4=x\"\r\n", kDefaults, {L"A"}, 0},
        {"extra sections and keys, shorter list", extras, kChanged, {L"N0"}, 0},
        {"comments, keys before any section, LF, no final newline", "; top\nloose=1\n\n[FILELIST]\n;0=X\n0=A\n1=B",
         kChanged, {L"A", L"B"}, 0},
        {"259 and 260 characters", "[FILELIST]\r\n0=C:\\" + std::string(256, 'a') + "\r\n1=" + std::string(260, 'a') +
                                  "\r\n2=C\r\n", kDefaults, {L"C:\\" + std::wstring(256, L'p'), L"B"}, 1},
        {"code page 936, 150 characters in 300 bytes", "[FILELIST]\r\n0=" + kGbk + "\r\n1=" + gbk300 + "\r\n2=B\r\n",
         kDefaults, {kGbkWide, fromAnsi(gbk300), L"B"}, 2},
        {"control bytes, blanks around paths", "[FILELIST]\r\n0=A\x1a\r\n1=\x1a" "B\x81\r\n2=\x81\r\n", kDefaults,
         {L"  A  ", L"\tB\x1a", L" C "}, 0},
        {"UTF-16 file", utf16File(L"[FILELIST]\r\n0=A\r\n"), kDefaults, {kGbkWide, L"B"}, 1},
        {"NUL bytes", "[FILELIST]\r\n0=A\0B\r\n1=C\r\n"s, kChanged, {L"A"}, 0},
        {"names outside the code page: UTF-16", extras, kChanged, {kHangul, kGbkWide, L"\u0424\u043E\u0442\u043E"}, 0,
         true},
    };
    driver::AppFolder scratch("settings-file");
    const std::string reference = scratch.path() + "\\reference.ini", candidate = scratch.ini();
    for (const auto& row : rows) {
        for (const std::string& file : {reference, candidate})
            row.file ? driver::writeFileBytes(file, *row.file) : DeleteFileA(file.c_str());
        EXPECT_EQ(per_key::readList(fromAnsi(reference).c_str()), loadedList(candidate)) << row.name;
        if (row.unicode)  // as Windows' per-key writes leave a file that is Unicode already
            driver::writeFileBytes(reference, utf16File(fromAnsi(*row.file)));
        WallpaperList referenceList, candidateList;
        per_key::save(fromAnsi(reference).c_str(), row.settings, fill(referenceList, row.list, row.cursor));
        EXPECT_TRUE(save(candidate, row.settings, fill(candidateList, row.list, row.cursor))) << row.name;
        EXPECT_EQ(driver::readFileBytes(reference), driver::readFileBytes(candidate)) << row.name;
        EXPECT_STREQ(referenceList.current(), candidateList.current()) << row.name << ": the cursor moved";
    }
}

// Code page 65001 as Windows answers it: UTF-8 refuses the best-fit flag and
// the used-default pointer, and has a form for every name, so the file stays
// ANSI, that is UTF-8. A Chinese user keeps the Chinese texts.
IMPORT_SLOT(GetACP, 0);
IMPORT_SLOT(WideCharToMultiByte, 32);
UINT WINAPI utf8CodePage() { return CP_UTF8; }
int WINAPI windowsWideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH text, int length, LPSTR out, int size,
                                      LPCCH fallback, LPBOOL usedFallback)
{
    codePage = codePage == CP_ACP ? CP_UTF8 : codePage;
    if (codePage == CP_UTF8 && ((flags & WC_NO_BEST_FIT_CHARS) || fallback || usedFallback))
        return SetLastError(ERROR_INVALID_PARAMETER), 0;
    return WideCharToMultiByte_real(codePage, flags, text, length, out, size, fallback, usedFallback);
}

TEST(SettingsFile, UnderCodePage65001NamesAreSavedInUtf8)
{
    ImportRedirect codePage(GetACP_slot, utf8CodePage);
    ImportRedirect rules(WideCharToMultiByte_slot, windowsWideCharToMultiByte);
    driver::AppFolder scratch("settings-utf8");
    WallpaperList list;
    EXPECT_TRUE(save(scratch.ini(), kDefaults, fill(list, {kHangul, kGbkWide})));
    EXPECT_EQ(kDefaultsFile + "[FILELIST]\r\n0=" + driver::utf8(kHangul) + "\r\n1=" + driver::utf8(kGbkWide) + "\r\n",
              driver::readFileBytes(scratch.ini()));
    EXPECT_TRUE(chineseTexts()) << "the texts follow the display language, not the code page";
}

IMPORT_SLOT(ReplaceFileW, 24);
IMPORT_SLOT(WritePrivateProfileStringW, 16);
IMPORT_SLOT(GetFileAttributesW, 4);
int refusals = 0;  // replaces still to refuse; -1: every one
DWORD refusal = 0;
int replaces = 0;
std::string firstBytes;
std::wstring firstValues, symbolicLink;

// Windows' ReplaceFile gives the copy the replaced file's attributes, and may
// fail to put the copy in place of the file it moved away.
BOOL WINAPI windowsReplaceFileW(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID, LPVOID)
{
    const DWORD attributes = GetFileAttributesW_real(replaced);
    if (++replaces, refusals == 0)
        return ReplaceFileW_real(replaced, replacement, backup, flags, nullptr, nullptr) &&
               SetFileAttributesW(replaced, attributes);
    refusals -= refusals > 0;
    if (refusal == ERROR_UNABLE_TO_MOVE_REPLACEMENT)
        DeleteFileW(replaced);
    return SetLastError(refusal), FALSE;
}

// Wine shows a symbolic link as the file it points to.
DWORD WINAPI windowsGetFileAttributesW(LPCWSTR name)
{
    return GetFileAttributesW_real(name) | (symbolicLink == name ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
}

// Every section with its keys, as the profile functions read them.
std::wstring profileValues(const wchar_t* path)
{
    std::vector<wchar_t> names(1 << 16), keys(1 << 16);
    GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), path);
    std::wstring values;
    for (const wchar_t* name = names.data(); *name; name += std::wcslen(name) + 1) {
        const DWORD length = GetPrivateProfileSectionW(name, keys.data(), static_cast<DWORD>(keys.size()), path);
        values.append(name).append(1, L'\n').append(keys.data(), length).append(1, L'\n');
    }
    return values;
}

// A backup or sync program's byte-range lock for 200 ms from the first read:
// Windows refuses writes and, unless it is shared, reads; Wine neither. The
// process's own clock: Wine's tick count lags on a busy machine.
IMPORT_SLOT(ReadFile, 20);
IMPORT_SLOT(WriteFile, 20);
using Clock = std::chrono::steady_clock;
struct { std::string name; bool shared; Clock::time_point since = {}; } byteLock;

bool lockRefuses(HANDLE file, bool write)
{
    char name[MAX_PATH] = "";
    if (!GetFinalPathNameByHandleA(file, name, sizeof name, 0) || name != "\\\\?\\" + byteLock.name)
        return false;
    if (!write && byteLock.since == Clock::time_point())
        byteLock.since = Clock::now();
    return (write || !byteLock.shared) && Clock::now() - byteLock.since < std::chrono::milliseconds(200);
}
BOOL WINAPI lockedReadFile(HANDLE file, LPVOID to, DWORD size, LPDWORD got, LPOVERLAPPED o)
{
    return lockRefuses(file, false) ? SetLastError(ERROR_LOCK_VIOLATION), FALSE : ReadFile_real(file, to, size, got, o);
}
BOOL WINAPI lockedWriteFile(HANDLE file, LPCVOID from, DWORD size, LPDWORD put, LPOVERLAPPED o)
{
    return lockRefuses(file, true) ? SetLastError(ERROR_LOCK_VIOLATION), FALSE : WriteFile_real(file, from, size, put, o);
}

// A folder that takes no new files, though the file in it may change.
IMPORT_SLOT(CreateFileW, 28);
int newFilesRefused = -1;  // counted from 0 where the folder refuses them

HANDLE WINAPI folderCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE templateFile)
{
    if (newFilesRefused < 0 || disposition != CREATE_NEW)
        return CreateFileW_real(name, access, share, security, disposition, flags, templateFile);
    return ++newFilesRefused, SetLastError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
}

// Windows edits in place: writes that change no value change no byte. Or a
// holder refuses `refused` writes after the first `allowed` ones.
struct { int allowed, refused; bool inPlace; } windowsWrites = {};
std::function<void()> midSave;  // a second save, made at the first write
BOOL WINAPI windowsWritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR path)
{
    if (midSave)
        std::exchange(midSave, nullptr)();
    if (section && windowsWrites.allowed-- <= 0 && windowsWrites.refused-- > 0)
        return SetLastError(ERROR_SHARING_VIOLATION), FALSE;
    const BOOL written = WritePrivateProfileStringW_real(section, key, value, path);
    if (windowsWrites.inPlace && profileValues(path) == firstValues)
        driver::writeFileBytes(driver::utf8(path), firstBytes);
    return written;
}

int entriesIn(const std::string& folder)  // "." and ".." aside
{
    WIN32_FIND_DATAA found;
    const ScopedFindHandle find(FindFirstFileA((folder + "\\*").c_str(), &found));
    int entries = 0;
    for (BOOL more = find.valid(); more; more = FindNextFileA(find.get(), &found))
        entries += found.cFileName[0] != '.';
    return entries;
}

// The next start reads the new list or the old one whole, never a mix nor
// none; a user's Tavrel~1.new, the file's attributes and links stay. Another
// instance's save meanwhile waits its turn (in vain, inside this one).
TEST(SettingsFile, SavePastWhatStandsInTheWay)
{
    enum Obstacle { None, ReadOnlyFile, CopyNameIsAFolder, HeldAWhile, HeldThroughout, WritesHeldAWhile,
                    ListRemovalHeld, SettingsHeldInPlace, InPlace, AnotherSave, FileLocked, CopyLocked, NoNewFiles,
                    StaleLock, Hidden, SymbolicLink, HardLink, CopyNotMovedIn };
    const std::string old = "[SETTINGS]\r\nSHOWMODE=2\r\n[FILELIST]\r\n0=old\r\n[KEEP]\r\nk=v\r\n";
    const std::string list = "[FILELIST]\r\n0=A\r\n1=" + kGbk + "\r\n", saved = kDefaultsFile + "[KEEP]\r\nk=v\r\n" + list;
    const std::string handEdited = kDefaultsFile + "[KEEP]\r\nk=v";  // no line end after the last line
    const std::u16string savedUnicode = u"\uFEFF[SETTINGS]\r\nSHOWMODE=1\r\nSHOWORDER=0\r\nALTETIME=12\r\nPREVIEW=1\r\n"
                                        u"AUTORUN=1\r\n[KEEP]\r\nk=\u5C71\u6C34\r\n[FILELIST]\r\n0=A\r\n"
                                        u"1=D:\\\u56FE\u7247\\\u5C71\u6C34\u8AA0.jpg\r\n";  // kGbk
    const struct { const char* name; Obstacle obstacle; std::string old, expected; int replaces; } rows[] = {
        {"three FILELIST sections: all replaced", None,
         "[FILELIST]\r\n0=a\r\n[KEEP]\r\nk=v\r\n[FILELIST]\r\n0=b\r\n[FILELIST]\r\n1=c\r\n",
         "[KEEP]\r\nk=v\r\n" + kDefaultsFile + list, 1},
        {"UTF-8 with a byte-order mark: Unicode as Windows reads it", None,
         "\xEF\xBB\xBF[SETTINGS]\r\nSHOWMODE=2\r\n[FILELIST]\r\n0=old\r\n[KEEP]\r\nk=\xE5\xB1\xB1\xE6\xB0\xB4\r\n",
         std::string(reinterpret_cast<const char*>(savedUnicode.data()), 2 * savedUnicode.size()), 1},
        {"read-only file: kept", ReadOnlyFile, old, old, 0},
        {"folders where copies go (and went): written in place", CopyNameIsAFolder, old, saved, 0},
        {"held open for 3 replaces: replaced", HeldAWhile, old, saved, 4},
        {"held open throughout: written in place", HeldThroughout, old, saved, -1},  // -1: any number
        {"writes on the copy held for a while: saved", WritesHeldAWhile, old, saved, 1},
        {"the old list held on the copy: kept whole, no copy left", ListRemovalHeld, old, old, 0},
        {"in place, settings held after the list went: the new list all the same", SettingsHeldInPlace, old,
         "[SETTINGS]\r\nSHOWMODE=2\r\n[KEEP]\r\nk=v\r\n" + list, 0},
        {"edited in place, last line open: list kept", InPlace, handEdited, handEdited + "\r\n" + list, 1},
        {"another save meanwhile: this one whole", AnotherSave, old, saved, 1},
        {"the file locked a moment by a backup: saved", FileLocked, old, saved, 1},
        {"the copy locked a moment, shared, by a sync client: saved", CopyLocked, old, saved, 1},
        {"a folder that takes no new files: written in place at once", NoNewFiles, old, saved, 0},
        {"a lock left by a save on a system that went down: saved", StaleLock, old, saved, 1},
        {"hidden by the user: replaced, still hidden", Hidden, old, saved, 1},
        {"a symbolic link: its target written, the link kept", SymbolicLink, old, saved, 0},
        {"a hard link: written for both names", HardLink, old, saved, 0},
        {"moved away, the copy not put in its place: moved there", CopyNotMovedIn, old, saved, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        driver::AppFolder scratch("settings-save");
        const std::string ini = scratch.ini(), userFile = scratch.path() + "\\Tavrel~1.new";
        driver::writeFileBytes(ini, row.old);
        driver::writeFileBytes(userFile, "the user's");
        SetFileAttributesA(ini.c_str(), row.obstacle == ReadOnlyFile ? FILE_ATTRIBUTE_READONLY
                                        : row.obstacle == Hidden     ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL);
        if (row.obstacle == CopyNameIsAFolder || row.obstacle == SettingsHeldInPlace)
            CreateDirectoryA((ini + ".saving").c_str(), nullptr);
        if (row.obstacle == CopyNameIsAFolder)
            CreateDirectoryA((scratch.path() + "\\Tavrel.new").c_str(), nullptr);
        if (row.obstacle == StaleLock)
            driver::writeFileBytes(ini + ".lock", "");
        const std::string linked = scratch.path() + "\\linked.ini";
        if (row.obstacle == HardLink)
            CreateHardLinkA(linked.c_str(), ini.c_str(), nullptr);
        if (row.obstacle == SymbolicLink)
            driver::runUnix("cd '" + driver::unixPathOf(scratch.path()) +
                            "' && mv Tavrel.ini linked.ini && ln -s linked.ini Tavrel.ini");
        symbolicLink = row.obstacle == SymbolicLink ? fromAnsi(ini) : L"";
        refusals = row.obstacle == HeldAWhile ? 3
                   : row.obstacle == HeldThroughout ? -1 : row.obstacle == CopyNotMovedIn;
        refusal = row.obstacle == HeldAWhile ? ERROR_SHARING_VIOLATION
                  : row.obstacle == CopyNotMovedIn ? ERROR_UNABLE_TO_MOVE_REPLACEMENT : ERROR_ACCESS_DENIED;
        windowsWrites = {row.obstacle == SettingsHeldInPlace ? 1 : 0,
                         row.obstacle == WritesHeldAWhile ? 3 : row.obstacle == ListRemovalHeld ? 7
                         : row.obstacle == SettingsHeldInPlace ? 1000 : 0, row.obstacle == InPlace};
        replaces = 0;
        newFilesRefused = row.obstacle == NoNewFiles ? 0 : -1;
        firstBytes = row.old;
        firstValues = profileValues(fromAnsi(ini).c_str());
        WallpaperList list, another;
        bool anotherWritten = false;
        if (row.obstacle == AnotherSave)
            midSave = [&] { anotherWritten = save(ini, kChanged, fill(another, {L"B"})); };
        byteLock = {row.obstacle == FileLocked ? ini : row.obstacle == CopyLocked ? ini + ".saving" : "",
                    row.obstacle == CopyLocked};
        bool written;
        {
            // A reader that lets others read and write, but not replace.
            const ScopedHandle reader(row.obstacle != HeldThroughout ? INVALID_HANDLE_VALUE
                                      : CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_EXISTING, 0, nullptr));
            ImportRedirect held(ReplaceFileW_slot, windowsReplaceFileW);
            ImportRedirect attributes(GetFileAttributesW_slot, windowsGetFileAttributesW);
            ImportRedirect profile(WritePrivateProfileStringW_slot, windowsWritePrivateProfileStringW);
            ImportRedirect reads(ReadFile_slot, lockedReadFile);
            ImportRedirect writes(WriteFile_slot, lockedWriteFile);
            ImportRedirect creations(CreateFileW_slot, folderCreateFileW);
            written = save(ini, kDefaults, fill(list, {L"A", kGbkWide}));
        }
        EXPECT_EQ(row.expected != row.old && row.obstacle != SettingsHeldInPlace, written);
        EXPECT_EQ(row.expected, driver::readFileBytes(ini).value_or("<none>"));
        EXPECT_EQ("the user's", driver::readFileBytes(userFile).value_or("<none>"));
        const bool twoNames = row.obstacle == SymbolicLink || row.obstacle == HardLink;
        EXPECT_TRUE(!twoNames || row.expected == driver::readFileBytes(linked)) << "the other name";
        EXPECT_EQ(row.obstacle == Hidden, (GetFileAttributesA(ini.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0);
        EXPECT_EQ(row.obstacle == CopyNameIsAFolder ? 4 : row.obstacle == SettingsHeldInPlace || twoNames ? 3 : 2,
                  entriesIn(scratch.path())) << "a copy left behind";
        EXPECT_TRUE(row.replaces < 0 || row.replaces == replaces) << replaces << " replaces";
        EXPECT_FALSE(anotherWritten) << "the other save did not wait";
        EXPECT_EQ(row.obstacle == NoNewFiles ? 2 : -1, newFilesRefused) << "the lock and the copy tried once each";
    }
}

// The registry counts a forgotten terminator itself: the size is seen only at
// the call. A security program may refuse the write.
IMPORT_SLOT(RegSetValueExW, 24);
DWORD sizePassed = 0;
bool refuseRegistryWrites = false;

LONG WINAPI recordingRegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    sizePassed = size;
    return refuseRegistryWrites ? ERROR_ACCESS_DENIED : RegSetValueExW_real(key, name, reserved, type, data, size);
}

void CALLBACK pressOk(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (PostMessageA(FindWindowA("#32770", "\xC9\xE8\xD6\xC3"), WM_COMMAND, IDOK, 0))  // 设置
        KillTimer(nullptr, timer);
}

// Ticked at OK: a missing Run key is created, the size counts the terminator;
// a refused write leaves the box unticked.
TEST(AutoRun, TheValueIsWrittenOrTheBoxShowsItIsNot)
{
    const char runKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    appInstance = GetModuleHandleA(nullptr);
    RegDeleteKeyA(HKEY_CURRENT_USER, runKey);
    ImportRedirect redirect(RegSetValueExW_slot, recordingRegSetValueExW);
    HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);  // the main window
    MainWindowState owned;  // and what it owns
    SetWindowLongPtrW(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&owned));
    for (bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "refused" : "written");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, runKey, "Tavrel");
        refuseRegistryWrites = refused;
        showSettings = {1, 0, 12, 1, 1, 1, 0, 0};  // no hotkeys
        SetTimer(nullptr, 0, 100, pressOk);  // the settings dialog from the tray, closed with OK untouched
        onCommand(owner, WM_COMMAND, IDM_SETTINGS, 0);
        char value[MAX_PATH] = {};
        DWORD size = sizeof value;
        const LONG read = RegGetValueA(HKEY_CURRENT_USER, runKey, "Tavrel", RRF_RT_REG_SZ, nullptr, value, &size);
        EXPECT_EQ(refused ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS, read);
        EXPECT_EQ(refused ? 0 : 1, showSettings.autoRun);
        EXPECT_TRUE(refused || 2 * (std::strlen(value) + 1) == sizePassed) << value << ": " << sizePassed << " bytes";
    }
    DestroyWindow(owner);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, runKey, "Tavrel");
}

}  // namespace
