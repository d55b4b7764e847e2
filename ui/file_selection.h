#pragma once
// Reads what the file-open dialog leaves in its buffer: one full path, or,
// after a multiple selection, the folder and the names each ending in NUL
// and the whole ending in an empty string. Free of Win32.

#include <cstddef>
#include <string>
#include <vector>

// `bufferSize` and `fileOffset` (the dialog's nFileOffset) count
// characters. Every path comes back whole, however long: the caller decides.
std::vector<std::wstring> selectedPaths(const wchar_t* buffer, size_t bufferSize, size_t fileOffset);
