#pragma once
// Copies of text into the fixed character buffers of the device records and
// tables. Pure functions; any thread.

#include <cstddef>

// Copies src into dest of destChars characters, cut to fit and always
// terminated; a null src gives an empty text, a null or empty dest does nothing.
void CopyCut(wchar_t* dest, size_t destChars, const wchar_t* src);

// Narrows wide text into narrow (narrowChars bytes, terminated, cut to fit):
// ASCII characters are kept, every other character becomes '?'.
void NarrowAscii(const wchar_t* wide, char* narrow, size_t narrowChars);
