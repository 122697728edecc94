#include "camera_module/CMTextCopy.h"

void CopyCut(wchar_t* dest, size_t destChars, const wchar_t* src)
{
    if (!dest || destChars == 0)
        return;
    size_t i = 0;
    for (; src && src[i] && i + 1 < destChars; ++i)
        dest[i] = src[i];
    dest[i] = L'\0';
}

void NarrowAscii(const wchar_t* wide, char* narrow, size_t narrowChars)
{
    if (!narrow || narrowChars == 0)
        return;
    size_t out = 0;
    for (size_t i = 0; wide && wide[i] && out + 1 < narrowChars; ++i)
        narrow[out++] = (wide[i] > 0 && wide[i] < 0x80) ? static_cast<char>(wide[i]) : '?';
    narrow[out] = '\0';
}
