#pragma once
// Reads what the file-open dialog leaves in its buffer: one full path, or,
// after a multiple selection, the folder and the names each ending in NUL
// and the whole ending in an empty string. Free of Win32.

#include <cstddef>
#include <string>
#include <vector>

// `fileOffset` is the dialog's nFileOffset. Paths that would not fit a
// 260-byte buffer with their terminator are left out.
std::vector<std::string> selectedPaths(const char* buffer, size_t bufferSize, size_t fileOffset);
