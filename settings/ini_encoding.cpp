#include "settings/ini_encoding.h"

#include <windows.h>

namespace {

std::wstring decode(UINT codePage, const char* bytes, size_t size)
{
    std::wstring text(size, L'\0');  // no code page takes fewer bytes than UTF-16 units
    const int length = static_cast<int>(size);
    text.resize(static_cast<size_t>(length ? MultiByteToWideChar(codePage, 0, bytes, length, &text[0], length) : 0));
    return text;
}

}  // namespace

IniEncoding encodingOf(const unsigned char* head, size_t size)
{
    return size >= 2 && head[0] == 0xFF && head[1] == 0xFE ? IniEncoding::Utf16Le : IniEncoding::Ansi;
}

bool hasAnsiForm(const wchar_t* text)
{
    const UINT codePage = GetACP();
    // UTF-8 refuses the best-fit flag and the used-default pointer; every
    // text but a broken surrogate has a form there.
    if (codePage == CP_UTF8)
        return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, nullptr, 0, nullptr, nullptr) > 0;
    // No best fit: "ā" read back as "a" would name another file.
    BOOL lossy = FALSE;
    return WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &lossy) > 0 && !lossy;
}

bool toWindowsUnicode(std::string& bytes, bool unicodeNeeded)
{
    std::wstring text;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text = decode(CP_UTF8, bytes.data() + 3, bytes.size() - 3);
    } else if (bytes.compare(0, 2, "\xFE\xFF") == 0) {
        const auto* units = reinterpret_cast<const unsigned char*>(bytes.data());
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(units[i] << 8 | units[i + 1]);
    } else if (unicodeNeeded && bytes.compare(0, 2, "\xFF\xFE") != 0) {
        text = decode(GetACP(), bytes.data(), bytes.size());
    } else {
        return false;
    }
    bytes.assign("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return true;
}

bool encodeText(IniEncoding encoding, const std::wstring& text, std::string& out)
{
    if (encoding == IniEncoding::Utf16Le) {
        out.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        return true;
    }
    const int length = static_cast<int>(text.size());
    const UINT codePage = GetACP();
    const int size = length ? WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr) : 0;
    out.resize(static_cast<size_t>(size > 0 ? size : 0));
    return length == 0 ||
           (size > 0 && WideCharToMultiByte(codePage, 0, text.data(), length, &out[0], size, nullptr, nullptr) == size);
}
