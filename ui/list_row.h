#pragma once
// Reading the picture list box's rows into path buffers.

#include <windows.h>

#include "base/path_text.h"

// The row's text when it fits a path buffer; false otherwise.
bool readListRow(HWND list, int row, wchar_t (&text)[kPathSize]);
