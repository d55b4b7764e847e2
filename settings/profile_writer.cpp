#include "settings/profile_writer.h"

#include <windows.h>

#include <string>
#include <vector>

#include "rotation/wallpaper_list.h"
#include "settings/brief_refusal.h"
#include "settings/ini_encoding.h"
#include "settings/list_appender.h"
#include "settings/profile_file.h"
#include "settings/settings_copy.h"

namespace {

// One profile write, tried again while the file is briefly held.
bool profileWrite(const wchar_t* section, const wchar_t* key, const wchar_t* value, const wchar_t* path)
{
    return retriedWhileHeld([&] { return WritePrivateProfileStringW(section, key, value, path) != FALSE; });
}

bool sectionPresent(const wchar_t* path, const wchar_t* section)
{
    std::vector<wchar_t> names(4096);
    for (;;) {
        const DWORD length = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), path);
        if (length + 2 < names.size() || names.size() > 0x1000000)
            break;
        names.assign(names.size() * 4, L'\0');
    }
    for (const wchar_t* name = names.data(); *name && name < names.data() + names.size(); name += wcslen(name) + 1) {
        if (lstrcmpiW(name, section) == 0)
            return true;
    }
    return false;
}

// Every section of that name goes, so that no stale key of a second one
// comes back at the next start. False while one is still there.
bool deleteSection(const wchar_t* path, const wchar_t* section)
{
    for (int round = 0; round < 64 && sectionPresent(path, section); ++round) {
        if (!profileWrite(section, nullptr, nullptr, path))
            return false;
    }
    return !sectionPresent(path, section);
}

bool settingsReadBack(const wchar_t* path, const wchar_t* section, const ProfileSetting* settings, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const UINT expected = settings[i].removed() ? static_cast<UINT>(-1) : static_cast<UINT>(settings[i].value);
        if (GetPrivateProfileIntW(section, settings[i].key, -1, path) != expected)
            return false;
    }
    return true;
}

// The steps give the copy, or the file itself, the bytes the per-key writes
// would give it, in time linear in the list. False unless every step took.
bool writeSteps(const wchar_t* target, const wchar_t* section, const ProfileSetting* settings, size_t settingCount,
                const wchar_t* listSection, const std::wstring& listText, const std::vector<ValueSection>& extra,
                bool inPlace)
{
    // The old list goes first, so that the other writes handle a small file.
    // While any of it is left nothing else is written: a new list after it
    // would never be read.
    if (!deleteSection(target, listSection))
        return false;
    for (const ValueSection& values : extra)
        if (!deleteSection(target, values.name))
            return false;
    bool written = true;
    for (size_t i = 0; i < settingCount && written; ++i) {
        const std::wstring text = std::to_wstring(static_cast<unsigned>(settings[i].value));
        written = profileWrite(section, settings[i].key, settings[i].removed() ? nullptr : text.c_str(), target);
    }
    if (written && !inPlace && !listText.empty()) {
        // The first key written makes the platform rewrite the file in its
        // own layout even when nothing else changed; a key set and removed
        // does the same here. (Not in place, where a key left behind would
        // stand before the new list.)
        written = profileWrite(listSection, L"0", L"-", target) && deleteSection(target, listSection);
    }
    // Hand the file back to the disk and out of the platform's cache (this
    // call reports failure whatever happens).
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, target);
    written = written && settingsReadBack(target, section, settings, settingCount);
    if (!written && !inPlace)
        return false;
    // In place the old list is gone by now: the new one is written whatever
    // else failed, so the file never goes without one.
    const bool listWritten = listText.empty() || appendSection(target, listText);
    return written && listWritten;
}

}  // namespace

bool writeProfileAtOnce(const ProfileFile& file, const wchar_t* section, const ProfileSetting* settings,
                        size_t settingCount, const wchar_t* listSection, WallpaperList& list,
                        const std::vector<ValueSection>& extra)
{
    if (!file.hasPath())
        return false;
    // A name without a form in the ANSI code page makes the file Unicode.
    std::wstring listText = list.isEmpty() ? std::wstring() : listSectionText(listSection, list);
    for (const ValueSection& values : extra)
        listText += values.text;
    const bool unicodeNeeded = !hasAnsiForm(listText.c_str());
    const SaveLock lock(file.path());
    const bool alone = lock.held() || lock.nobodyElseCanLock();
    wchar_t copyPath[kPathSize];
    const Copy copy = !alone                   ? Copy::Failed
                      : isLinked(file.path()) ? Copy::NotMade
                                              : startCopy(file.path(), unicodeNeeded, copyPath);
    if (copy == Copy::Failed)
        return false;
    if (copy == Copy::Made) {
        if (!writeSteps(copyPath, section, settings, settingCount, listSection, listText, extra, false)) {
            DeleteFileW(copyPath);
            return false;
        }
        if (replaceWithCopy(copyPath, file.path()))
            return true;
        DeleteFileW(copyPath);
    }
    // A link, no copy beside the file, or none can take its place: the file
    // is written in place, as the profile functions write it (and as Windows
    // redirects it for a program it virtualises).
    return keepInWindowsEncoding(file.path(), unicodeNeeded) &&
           writeSteps(file.path(), section, settings, settingCount, listSection, listText, extra, true);
}
