#pragma once
// The tray icon's tooltip: the program's name and the file name of the
// picture on the desktop, cut to the shell's 64-character field on a
// character boundary. Free of Win32.

#include <cstddef>

constexpr size_t kTrayTipSize = 64;  // characters of the first NOTIFYICONDATAW's szTip

// Writes at most kTrayTipSize characters, the terminator included. Where
// the notification area takes '&' as a mnemonic prefix, `escapeAmpersands`
// doubles each, and the pair is kept or cut as one character.
void trayTipText(wchar_t* out, const wchar_t* title, const wchar_t* path, bool escapeAmpersands);
