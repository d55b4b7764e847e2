#pragma once
// Reads what the file-open dialog leaves in its buffer: one full path, or,
// after a multiple selection, the folder and the names each ending in NUL
// and the whole ending in an empty string. Free of Win32.

#include <cstddef>
#include <string>
#include <vector>

// In Unicode, so that no name comes back with '?' in it. `bufferSize` and
// `fileOffset` (the dialog's nFileOffset) count characters. Paths longer
// than a path buffer holds are left out.
std::vector<std::wstring> selectedPaths(const wchar_t* buffer, size_t bufferSize, size_t fileOffset);
