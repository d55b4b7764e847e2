#include "app/app_globals.h"

// Defined in one unit so that the settings file object is built before the
// list and torn down after it.
HINSTANCE appInstance = nullptr;
ShowSettings showSettings = {};
ProfileFile profileFile;
WallpaperList wallpaperList;
