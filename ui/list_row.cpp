#include "ui/list_row.h"

#include <cwchar>
#include <vector>

bool readListRow(HWND list, int row, wchar_t (&text)[kPathSize])
{
    text[0] = L'\0';
    // LB_GETTEXTLEN may report more than the text holds (Windows documents
    // it for mixed ANSI and Unicode text): it sizes the buffer, and what
    // LB_GETTEXT copies decides.
    const LRESULT reported = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (reported < 0)
        return false;
    std::vector<wchar_t> buffer(static_cast<size_t>(reported) + 1, L'\0');
    const LRESULT length = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row),
                                        reinterpret_cast<LPARAM>(buffer.data()));
    if (length < 0 || length >= kPathSize)
        return false;
    std::wmemcpy(text, buffer.data(), static_cast<size_t>(length));
    text[length] = L'\0';
    return true;
}
