#pragma once
// The settings file read and written one key at a time, as the program did
// before: kept as the reference the faster code must equal, and for the
// benchmark. Each write rewrites the whole file, so the cost is quadratic.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_globals.h"

namespace per_key {

// The list's keys "0", "1", ... through GetPrivateProfileStringA.
inline std::vector<std::string> readList(const char* path)
{
    std::vector<std::string> paths;
    for (int n = 0;; ++n) {
        char key[16];
        std::snprintf(key, sizeof key, "%d", n);
        char value[kPathSize + 1];
        const DWORD length = GetPrivateProfileStringA("FILELIST", key, "", value, sizeof value, path);
        if (length >= sizeof value - 1)
            continue;  // too long: passed over
        if (length == 0)
            break;
        paths.emplace_back(value, length);
    }
    return paths;
}

// What saveSettings wrote, key by key, into `path`.
inline void save(const char* path, const ShowSettings& settings, WallpaperList& list)
{
    const struct {
        const char* key;
        int32_t value;
    } values[] = {{"SHOWMODE", settings.showMode},
                  {"SHOWORDER", settings.showOrder},
                  {"ALTETIME", settings.alteTime},
                  {"PREVIEW", settings.preview},
                  {"AUTORUN", settings.autoRun}};
    for (const auto& entry : values) {
        char text[16];
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(entry.value));
        WritePrivateProfileStringA("SETTINGS", entry.key, text, path);
    }
    WritePrivateProfileStringA("FILELIST", nullptr, nullptr, path);
    const int32_t n = list.count();
    for (int32_t i = 0; i < n; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "%d", static_cast<int>(i));
        WritePrivateProfileStringA("FILELIST", key, list.current(), path);
        list.advance();
    }
}

}  // namespace per_key
