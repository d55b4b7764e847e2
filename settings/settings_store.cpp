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
// In [FOLDERS], beside the rows: the name below the first folder of the
// picture that comes next in sequence.
const wchar_t kPlaceKey[] = L"PLACE=";

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

// The place line of the folders' section, as this program writes it.
std::wstring readFolderPlace()
{
    const std::vector<wchar_t> section = profileFile.readSection(kFoldersSection);
    const size_t keyLength = std::wcslen(kPlaceKey);
    for (const wchar_t* line = section.data(); !section.empty() && *line; line += std::wcslen(line) + 1)
        if (std::wcsncmp(line, kPlaceKey, keyLength) == 0)
            return line + keyLength;
    return std::wstring();
}

void loadLibrary()
{
    // Only what ends in a backslash is taken for a folder.
    loadValues(kFoldersSection, [](const wchar_t* folder) {
        if (WallpaperList::isFolderRow(folder))
            wallpaperList.append(folder);
    });
    const std::wstring place = readFolderPlace();
    if (!place.empty())
        wallpaperList.resumeInFirstFolder(place.c_str());
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
    // In sequence only; read before the rows' walk, which leaves the cursor at its folder's start.
    const wchar_t* placeNow = showSettings.showOrder == kInSequence ? wallpaperList.folderPlace() : nullptr;
    const std::wstring place = placeNow ? placeNow : L"";
    std::wstring folders = listSectionText(kFoldersSection, wallpaperList, true);
    if (!folders.empty() && !place.empty())
        folders += kPlaceKey + place + L"\r\n";
    return {{kFoldersSection, folders},
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
