#pragma once
// The size of every path buffer and bounded text joins for it; free of Win32.

#include <cstddef>
#include <cstring>

constexpr int kPathSize = 260;  // bytes of every path buffer, terminator included

// Appends `text` to the string in `buffer` when the result fits `size` bytes
// with its terminator; otherwise leaves the buffer as it was and says false.
inline bool appendText(char* buffer, size_t size, const char* text)
{
    const size_t used = strnlen(buffer, size);
    const size_t extra = std::strlen(text);
    if (used >= size || extra >= size - used)
        return false;
    std::memcpy(buffer + used, text, extra + 1);
    return true;
}

inline bool copyText(char* buffer, size_t size, const char* text)
{
    if (size == 0)
        return false;
    buffer[0] = '\0';
    return appendText(buffer, size, text);
}
