#pragma once
// The size of every path buffer and bounded text joins for it; free of Win32.

#include <cstddef>
#include <string>

constexpr int kPathSize = 260;  // characters of every path buffer, terminator included (MAX_PATH)

// Appends `text` to the string in `buffer` when the result fits `size`
// characters with its terminator; otherwise leaves the buffer as it was and
// says false.
template <typename Char>
bool appendText(Char* buffer, size_t size, const Char* text)
{
    size_t used = 0;
    while (used < size && buffer[used])
        ++used;
    const size_t extra = std::char_traits<Char>::length(text);
    if (used >= size || extra >= size - used)
        return false;
    std::char_traits<Char>::copy(buffer + used, text, extra + 1);
    return true;
}

template <typename Char>
bool copyText(Char* buffer, size_t size, const Char* text)
{
    if (size == 0)
        return false;
    buffer[0] = Char();
    return appendText(buffer, size, text);
}
