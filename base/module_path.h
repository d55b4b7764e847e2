#pragma once

#include <cstddef>

// The running executable's full path; false when it does not fit `size`.
bool executablePath(char* out, size_t size);

// The executable's folder without the trailing backslash.
bool executableDirectory(char* out, size_t size);
