#pragma once

#include <cstddef>

// The running executable's full path; false when it does not fit `count`
// characters.
bool executablePath(wchar_t* out, size_t count);

// The executable's folder without the trailing backslash.
bool executableDirectory(wchar_t* out, size_t count);
