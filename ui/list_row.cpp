#include "ui/list_row.h"

#include <cstring>
#include <vector>

bool readListRow(HWND list, int row, char (&text)[kPathSize])
{
    text[0] = '\0';
    // On a double-byte code page LB_GETTEXTLEN may report more than the
    // text holds: it sizes the buffer, and what LB_GETTEXT copies decides.
    const LRESULT reported = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (reported < 0)
        return false;
    std::vector<char> buffer(static_cast<size_t>(reported) + 1, '\0');
    const LRESULT length = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(row),
                                        reinterpret_cast<LPARAM>(buffer.data()));
    if (length < 0 || length >= kPathSize)
        return false;
    std::memcpy(text, buffer.data(), static_cast<size_t>(length));
    text[length] = '\0';
    return true;
}
