#pragma once
// The settings file read and written one key at a time, as the program once did: the reference
// the one-piece code must equal, and the benchmark's baseline (each write rewrites the whole file).

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/globals.h"
#include "rotation/wallpaper_list.h"
#include "settings/profile_file.h"

namespace per_key {

inline std::vector<std::string> readList(const char* path)
{
    std::vector<std::string> paths;
    for (int n = 0;; ++n) {
        char value[kPathSize + 1];
        const DWORD length = GetPrivateProfileStringA("FILELIST", std::to_string(n).c_str(), "", value, sizeof value, path);
        if (length == 0)
            break;
        if (length < sizeof value - 1)  // longer: passed over
            paths.emplace_back(value, length);
    }
    return paths;
}

inline void save(const char* path, const ShowSettings& settings, WallpaperList& list)
{
    const std::pair<const char*, int32_t> values[] = {{"SHOWMODE", settings.showMode}, {"SHOWORDER", settings.showOrder},
        {"ALTETIME", settings.alteTime}, {"PREVIEW", settings.preview}, {"AUTORUN", settings.autoRun}};
    for (const auto& value : values)
        WritePrivateProfileStringA("SETTINGS", value.first, std::to_string(static_cast<unsigned>(value.second)).c_str(),
                                   path);
    WritePrivateProfileStringA("FILELIST", nullptr, nullptr, path);
    for (int32_t i = 0, n = list.count(); i < n; ++i, list.advance())
        WritePrivateProfileStringA("FILELIST", std::to_string(i).c_str(), list.current(), path);
}

}  // namespace per_key
