#include "settings/settings_store.h"

#include <vector>

#include "base/globals.h"
#include "rotation/wallpaper_list.h"
#include "settings/filelist_section.h"
#include "settings/folder_scan.h"
#include "settings/profile_file.h"
#include "settings/profile_writer.h"

namespace {

const char kSettingsSection[] = "SETTINGS";
const char kFileListSection[] = "FILELIST";

int32_t readSetting(const char* key) { return static_cast<int32_t>(profileFile.readInt(kSettingsSection, key)); }

int32_t oneOf(int32_t value, int32_t lowest, int32_t highest, int32_t fallback)
{
    return value >= lowest && value <= highest ? value : fallback;
}

// The whole section in one read, resolved as the per-key reads of "0", "1",
// ... would resolve it: the cost grows with the list, not with its square.
void loadFileList()
{
    const std::vector<char> section = profileFile.readSection(kFileListSection);
    resolveFileList(
        section.data(), section.size(), [](const char* path, void*) { wallpaperList.append(path); }, nullptr);
}

}  // namespace

void loadSettings()
{
    showSettings.showMode = oneOf(readSetting("SHOWMODE"), 0, 4, 1);
    showSettings.showOrder = oneOf(readSetting("SHOWORDER"), 0, 1, 0);
    showSettings.alteTime = oneOf(readSetting("ALTETIME"), 0, 19, 12);
    showSettings.preview = readSetting("PREVIEW") != 0 ? 1 : 0;
    showSettings.autoRun = readSetting("AUTORUN") != 0 ? 1 : 0;
    rotationPaused = readSetting("PAUSED") == 1 ? 1 : 0;  // missing: an earlier version, never paused

    loadFileList();
    if (wallpaperList.isEmpty())
        scanDefaultWallpaperFolder();
}

void saveSettings()
{
    const ProfileSetting settings[] = {
        {"SHOWMODE", showSettings.showMode}, {"SHOWORDER", showSettings.showOrder},
        {"ALTETIME", showSettings.alteTime}, {"PREVIEW", showSettings.preview},
        {"AUTORUN", showSettings.autoRun},
        // Only while paused, so that other files stay as earlier versions wrote them.
        {"PAUSED", rotationPaused, true},
    };
    // A failed write leaves the old file whole; nothing is reported.
    writeProfileAtOnce(profileFile, kSettingsSection, settings, sizeof settings / sizeof settings[0],
                       kFileListSection, wallpaperList);
}
