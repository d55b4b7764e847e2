#pragma once
// Names as the program keeps them: in the ANSI code page. Windows' ANSI
// functions turn a character outside it into '?', a name that does not
// exist, so names are read in Unicode and converted here.

#include <cstddef>

// The exact ANSI form of `wide`; false (and "") when a character has none
// or it does not fit `size` bytes.
bool ansiName(const wchar_t* wide, char* out, size_t size);

// The exact ANSI form of an existing path, or else of its short (8.3) form;
// false when neither has one (a volume without short names).
bool ansiPath(const wchar_t* path, char* out, size_t size);

// An ANSI path widened for the Unicode functions; false when it does not fit.
bool widePath(const char* path, wchar_t* out, size_t count);
