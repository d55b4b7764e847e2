#pragma once
// The tray icon's tooltip: the program's name and the file name of the
// picture on the desktop, cut to the shell's 64-byte field on a character
// boundary. Free of Win32: the caller says which bytes of its code page
// begin a double-byte character, and whether the shell takes '&' as a
// mnemonic prefix.

#include <cstddef>

using IsLeadByte = bool (*)(unsigned char);

constexpr size_t kTrayTipSize = 64;  // bytes of the first NOTIFYICONDATA's szTip

// Writes at most kTrayTipSize bytes, the terminator included. With
// `doubleAmpersands` each '&' is written as "&&", which such a shell shows
// as one; the cut never parts the two.
void trayTipText(char* out, const char* title, const char* path, IsLeadByte isLeadByte, bool doubleAmpersands);
