#pragma once
// The encodings Windows' profile functions read a settings file in: UTF-16LE
// when the file starts with FF FE, the ANSI code page otherwise (UTF-8 where
// the system runs on code page 65001).

#include <cstddef>
#include <string>

enum class IniEncoding { Ansi, Utf16Le };

IniEncoding encodingOf(const unsigned char* head, size_t size);

// Whether `text` has an exact form in the ANSI code page, so that the
// profile functions of an earlier program read it back as it is.
bool hasAnsiForm(const wchar_t* text);

// The file's bytes in the encoding Windows reads, with nothing lost: a file
// an editor saved as UTF-8 with a mark, or as big-endian UTF-16, becomes
// UTF-16LE, and so does an ANSI file when `unicodeNeeded`. False when the
// bytes need no change.
bool toWindowsUnicode(std::string& bytes, bool unicodeNeeded);

// Wide text as the file's encoding stores it; false when it cannot.
bool encodeText(IniEncoding encoding, const std::wstring& text, std::string& out);
