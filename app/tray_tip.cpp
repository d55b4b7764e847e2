#include "app/tray_tip.h"

#include <cwchar>
#include <string>

namespace {

bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// How many units the character at `at` takes: a surrogate pair and an
// escaped ampersand go whole or not at all.
size_t characterWidth(const std::wstring& text, size_t at, bool escaped)
{
    if (at + 1 < text.size() && ((isHighSurrogate(text[at]) && isLowSurrogate(text[at + 1])) ||
                                 (escaped && text[at] == L'&' && text[at + 1] == L'&')))
        return 2;
    return 1;
}

}  // namespace

void trayTipText(wchar_t* out, const wchar_t* title, const wchar_t* path, bool escapeAmpersands)
{
    const wchar_t* name = path;
    for (const wchar_t* at = path; *at; ++at) {
        if (*at == L'\\')
            name = at + 1;
    }
    std::wstring tip;
    for (const wchar_t* part : {title, *name ? L" - " : L"", name}) {
        for (const wchar_t* at = part; *at; ++at) {
            tip += *at;
            if (escapeAmpersands && *at == L'&')
                tip += L'&';
        }
    }
    if (tip.size() >= kTrayTipSize) {
        const size_t room = kTrayTipSize - 1 - 3;  // for "..."
        size_t end = 0;
        for (size_t width; end < tip.size() && end + (width = characterWidth(tip, end, escapeAmpersands)) <= room;)
            end += width;
        tip.resize(end);
        tip += L"...";
    }
    std::wmemcpy(out, tip.c_str(), tip.size() + 1);
}
