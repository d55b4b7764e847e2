#pragma once
// Which language the program's texts take. Only the ANSI code page decides:
// an ANSI program shows Chinese only where it is 936, whatever language the
// system's menus are in. Elsewhere the English resources and labels are used.

#include <windows.h>

bool chineseTexts();

// The template of a dialog or menu resource in the chosen language (the
// Chinese one when the other is missing); null when there is none.
const void* localizedTemplate(HINSTANCE instance, LPCSTR type, int id);
