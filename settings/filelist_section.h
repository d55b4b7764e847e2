#pragma once
// Resolves the picture list from the text of a whole "FILELIST" section as
// GetPrivateProfileSectionW gives it ("key=value\0...key=value\0\0"), with the
// answers the per-key reads would give: keys "0", "1", ... looked up by
// exact name (the first line of a name wins), the list ending at the first
// key that is missing, has no value or an empty one, and a value too long
// for a path buffer passed over. Free of Win32, so it is fuzzed natively.

#include <cstddef>

// Calls `take(path, context)` for each path in key order; returns how many.
// `size` counts characters.
size_t resolveFileList(const wchar_t* section, size_t size, void (*take)(const wchar_t* path, void* context),
                       void* context);
