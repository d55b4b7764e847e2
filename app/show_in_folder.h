#pragma once
// Explorer opened on a picture's folder, the picture selected.

#include <windows.h>

// Silent: a file gone, or a shell that cannot, shows nothing.
void showInFolder(const wchar_t* path);
