#pragma once

#include <cstdint>

// Makes `path` the desktop wallpaper through the shell's Active Desktop
// object: showMode 0 tiled, 1 centred, anything else stretched. Silent.
void applyWallpaper(const char* path, int32_t showMode);
