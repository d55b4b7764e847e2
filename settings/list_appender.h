#pragma once
// The new picture list, appended to the settings file as the per-key
// profile writes would have left it (which rewrite the whole file at every
// key), in the file's own encoding and in time linear in the list.

#include <string>

class WallpaperList;

// "[section]" and the lines "0=...", "1=...", ... of the list's files (or its
// folders) from its cursor round (the cursor ends where it began), each as
// the per-key writes leave it; "" when there is none.
std::wstring listSectionText(const wchar_t* section, WallpaperList& list, bool folders = false);
// The same for any values.
std::wstring sectionText(const wchar_t* section, const wchar_t* const* values, size_t count);

// Appends the text on a line of its own, in the file's encoding. False
// unless all of it was written.
bool appendSection(const wchar_t* path, const std::wstring& text);
