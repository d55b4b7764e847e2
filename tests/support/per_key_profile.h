#pragma once
// The settings file read and written one key at a time, as the program once did: the reference
// the one-piece code must equal, and the benchmark's baseline (each write rewrites the whole file).

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/globals.h"
#include "rotation/wallpaper_list.h"

namespace per_key {

inline std::vector<std::wstring> readList(const wchar_t* path)
{
    std::vector<std::wstring> paths;
    for (int n = 0;; ++n) {
        wchar_t value[kPathSize + 1];
        const DWORD length = GetPrivateProfileStringW(L"FILELIST", std::to_wstring(n).c_str(), L"", value, kPathSize + 1, path);
        if (length == 0)
            break;
        if (length < kPathSize)  // longer: passed over
            paths.emplace_back(value, length);
    }
    return paths;
}

inline void save(const wchar_t* path, const ShowSettings& settings, WallpaperList& list)
{
    const std::pair<const wchar_t*, int32_t> values[] = {{L"SHOWMODE", settings.showMode}, {L"SHOWORDER", settings.showOrder},
        {L"ALTETIME", settings.alteTime}, {L"PREVIEW", settings.preview}, {L"AUTORUN", settings.autoRun}};
    for (const auto& value : values)
        WritePrivateProfileStringW(L"SETTINGS", value.first, std::to_wstring(static_cast<unsigned>(value.second)).c_str(),
                                   path);
    WritePrivateProfileStringW(L"FILELIST", nullptr, nullptr, path);
    for (int32_t i = 0, n = list.count(); i < n; ++i, list.advance())
        WritePrivateProfileStringW(L"FILELIST", std::to_wstring(i).c_str(), list.current(), path);
}

}  // namespace per_key
