#pragma once
// A font of a skin (Font element): family, pixel size and style, with the
// face it resolved to. UI thread only.

#include "platform/duilib/CDuiString.h"

namespace DuiLib {

struct TFontFace;

struct TFontInfo
{
    int id = -1;
    CDuiString sFontName;
    int iSize = 12;
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    TFontFace* face = nullptr;
};

typedef TFontInfo* HFONT;

}  // namespace DuiLib
