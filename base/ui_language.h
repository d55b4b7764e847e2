#pragma once
// Which language the program's texts take: Chinese for a user whose display
// language is Chinese (PRC or Singapore), English for every other. The
// windows are Unicode, so the code page limits nothing shown.

#include <windows.h>

bool chineseTexts();

// The template of a dialog or menu resource in the chosen language (the
// Chinese one when the other is missing); null when there is none.
const DLGTEMPLATE* localizedDialog(HINSTANCE instance, int id);
const void* localizedMenu(HINSTANCE instance, int id);
