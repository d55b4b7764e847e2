#pragma once
// The new picture list, appended to the settings file as the per-key
// profile writes would have left it (which rewrite the whole file at every
// key), in the file's own encoding and in time linear in the list.

class WallpaperList;

// Appends "[section]" and the keys "0", "1", ... from the list's cursor round
// (the cursor ends where it began). False unless all of it was written.
bool appendListSection(const wchar_t* path, const wchar_t* section, WallpaperList& list);
