#include "settings/settings_store.h"

#include <cwchar>
#include <string>
#include <vector>

#include "base/globals.h"
#include "rotation/wallpaper_list.h"
#include "settings/filelist_section.h"
#include "settings/folder_scan.h"
#include "settings/list_appender.h"
#include "settings/profile_file.h"
#include "settings/profile_writer.h"

namespace {

const wchar_t kSettingsSection[] = L"SETTINGS";
const wchar_t kFileListSection[] = L"FILELIST";
// Sections an earlier version ignores: the folders of the list, the
// pictures of folders never to be shown again, and the shuffle round so far
// (a hash of each picture's path, in hexadecimal, in the order shown).
const wchar_t kFoldersSection[] = L"FOLDERS";
const wchar_t kExcludedSection[] = L"EXCLUDED";
const wchar_t kShuffledSection[] = L"SHUFFLED";

int32_t readSetting(const wchar_t* key) { return static_cast<int32_t>(profileFile.readInt(kSettingsSection, key)); }

int32_t oneOf(int32_t value, int32_t lowest, int32_t highest, int32_t fallback)
{
    return value >= lowest && value <= highest ? value : fallback;
}

// The whole section in one read, resolved as the per-key reads of "0", "1",
// ... would resolve it: the cost grows with the list, not with its square.
void loadFileList()
{
    const std::vector<wchar_t> section = profileFile.readSection(kFileListSection);
    resolveFileList(
        section.data(), section.size(), [](const wchar_t* path, void*) { wallpaperList.append(path); }, nullptr);
}

// Each value of a section of keys "0", "1", ... as the list's are read.
template <typename Take>
void loadValues(const wchar_t* name, Take take)
{
    const std::vector<wchar_t> section = profileFile.readSection(name);
    resolveFileList(
        section.data(), section.size(), [](const wchar_t* value, void* context) { (*static_cast<Take*>(context))(value); },
        &take);
}

void loadLibrary()
{
    // Only what ends in a backslash is taken for a folder.
    loadValues(kFoldersSection, [](const wchar_t* folder) {
        if (WallpaperList::isFolderRow(folder))
            wallpaperList.append(folder);
    });
    loadValues(kExcludedSection, [](const wchar_t* picture) { wallpaperList.exclude(picture); });
    std::vector<uint64_t> round;
    loadValues(kShuffledSection, [&](const wchar_t* hash) { round.push_back(std::wcstoull(hash, nullptr, 16)); });
    wallpaperList.round().restore(round);
}

ValueSection valueSection(const wchar_t* name, const std::vector<std::wstring>& values)
{
    std::vector<const wchar_t*> texts;
    for (const std::wstring& value : values)
        texts.push_back(value.c_str());
    return {name, sectionText(name, texts.data(), texts.size())};
}

std::vector<ValueSection> librarySections()
{
    std::vector<std::wstring> round;
    // Kept only while shuffled, so that another order leaves the file as it was.
    if (showSettings.showOrder == kShuffled) {
        for (uint64_t hash : wallpaperList.round().order()) {
            wchar_t text[17];
            swprintf(text, 17, L"%016llx", static_cast<unsigned long long>(hash));
            round.emplace_back(text);
        }
    }
    return {{kFoldersSection, listSectionText(kFoldersSection, wallpaperList, true)},
            valueSection(kExcludedSection, wallpaperList.excluded()), valueSection(kShuffledSection, round)};
}

}  // namespace

void loadSettings()
{
    showSettings.showMode = oneOf(readSetting(L"SHOWMODE"), 0, 5, 1);
    showSettings.showOrder = oneOf(readSetting(L"SHOWORDER"), kInSequence, kShuffled, kInSequence);
    showSettings.alteTime = oneOf(readSetting(L"ALTETIME"), 0, 19, 12);
    showSettings.preview = readSetting(L"PREVIEW") != 0 ? 1 : 0;
    showSettings.autoRun = readSetting(L"AUTORUN") != 0 ? 1 : 0;
    showSettings.fullScreenWait = readSetting(L"FULLSCREENWAIT") != 0 ? 1 : 0;  // missing: on
    showSettings.eachMonitor = readSetting(L"EACHMONITOR") == 1 ? 1 : 0;  // missing: one picture for all
    showSettings.hotkeys = readSetting(L"HOTKEYS") != 0 ? 1 : 0;  // missing: on
    rotationPaused = readSetting(L"PAUSED") == 1 ? 1 : 0;  // missing: an earlier version, never paused

    loadFileList();
    loadLibrary();
    if (wallpaperList.isEmpty())
        scanDefaultWallpaperFolder();
}

void saveSettings()
{
    const ProfileSetting settings[] = {
        {L"SHOWMODE", showSettings.showMode}, {L"SHOWORDER", showSettings.showOrder},
        {L"ALTETIME", showSettings.alteTime}, {L"PREVIEW", showSettings.preview},
        {L"AUTORUN", showSettings.autoRun},
        // These two only while on, so that other files stay as earlier versions wrote them.
        {L"EACHMONITOR", showSettings.eachMonitor, true},
        {L"PAUSED", rotationPaused, true},
        // Only while off: on is what a file without them means.
        {L"FULLSCREENWAIT", showSettings.fullScreenWait, true, 1},
        {L"HOTKEYS", showSettings.hotkeys, true, 1},
    };
    // A failed write leaves the old file whole; nothing is reported.
    writeProfileAtOnce(profileFile, kSettingsSection, settings, sizeof settings / sizeof settings[0],
                       kFileListSection, wallpaperList, librarySections());
}
