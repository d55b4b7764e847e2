#include "settings/settings_store.h"

#include <cstdio>

#include "app/app_globals.h"
#include "settings/folder_scan.h"

namespace {

const char kSettingsSection[] = "SETTINGS";
const char kFileListSection[] = "FILELIST";

int32_t readSetting(const char* key) { return static_cast<int32_t>(profileFile.readInt(kSettingsSection, key)); }

int32_t oneOf(int32_t value, int32_t lowest, int32_t highest, int32_t fallback)
{
    return value >= lowest && value <= highest ? value : fallback;
}

void loadFileList()
{
    for (int n = 0;; ++n) {
        char key[16];
        std::snprintf(key, sizeof key, "%d", n);
        char path[kPathSize];
        ProfileRead detail;
        if (!profileFile.readString(kFileListSection, key, path, &detail)) {
            // A value too long for a path is passed over, not cut into a
            // wrong path; the entries after it still count.
            if (detail == ProfileRead::TooLong)
                continue;
            return;
        }
        wallpaperList.append(path);
    }
}

}  // namespace

void loadSettings()
{
    showSettings.showMode = oneOf(readSetting("SHOWMODE"), 0, 2, 1);
    showSettings.showOrder = oneOf(readSetting("SHOWORDER"), 0, 1, 0);
    showSettings.alteTime = oneOf(readSetting("ALTETIME"), 0, 19, 12);
    showSettings.preview = readSetting("PREVIEW") != 0 ? 1 : 0;
    showSettings.autoRun = readSetting("AUTORUN") != 0 ? 1 : 0;

    loadFileList();
    if (wallpaperList.isEmpty())
        scanDefaultWallpaperFolder();
}

void saveSettings()
{
    profileFile.writeInt(kSettingsSection, "SHOWMODE", showSettings.showMode);
    profileFile.writeInt(kSettingsSection, "SHOWORDER", showSettings.showOrder);
    profileFile.writeInt(kSettingsSection, "ALTETIME", showSettings.alteTime);
    profileFile.writeInt(kSettingsSection, "PREVIEW", showSettings.preview);
    profileFile.writeInt(kSettingsSection, "AUTORUN", showSettings.autoRun);

    profileFile.writeString(kFileListSection, nullptr, nullptr);
    const int32_t n = wallpaperList.count();
    for (int32_t i = 0; i < n; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "%d", static_cast<int>(i));
        profileFile.writeString(kFileListSection, key, wallpaperList.current());
        wallpaperList.advance();
    }
}
