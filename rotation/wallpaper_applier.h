#pragma once

#include <cstdint>

#include "base/path_text.h"

// Makes `path` the desktop wallpaper through the shell's Active Desktop
// object: showMode 0 tiled, 1 centred, 3 fitted and 4 filling the screen
// (stretched before Windows 7), 5 spanning every monitor (stretched before
// Windows 8), anything else stretched. Silent; true when
// the shell took it.
bool applyWallpaper(const wchar_t* path, int32_t showMode);

// `path` as the shell takes it, with one backslash after the drive; false
// when it does not fit.
bool shellWallpaperPath(const wchar_t* path, wchar_t (&out)[kPathSize]);
