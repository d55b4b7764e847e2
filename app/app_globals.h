#pragma once
// The process-wide objects that every part of the program shares.

#include <windows.h>

#include "rotation/wallpaper_list.h"
#include "settings/profile_file.h"
#include "settings/show_settings.h"

extern HINSTANCE appInstance;
extern ShowSettings showSettings;
extern ProfileFile profileFile;
extern WallpaperList wallpaperList;
