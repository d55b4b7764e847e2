#pragma once
// Moves the options and the playlist between the settings file and memory.

// Reads the options and the list; scans the default wallpaper folder when
// the file gives no picture.
void loadSettings();

// Writes the options and the whole list, starting at the list's cursor.
void saveSettings();
