#pragma once
// Drawing helpers of the controls: colours, borders, skin images described
// as DuiLib skins write them, and UTF-8 text in a skin font. Every function
// draws into an SFML render target in window coordinates. UI thread only.

#include "platform/duilib/UIDefs.h"
#include "platform/duilib/UIFont.h"

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/View.hpp>
#include <SFML/System/String.hpp>

namespace DuiLib {

// A parsed image description: "file='a.png' source='l,t,r,b' dest='l,t,r,b'
// corner='l,t,r,b' hole='true' fade='128'", or a plain file name.
struct TDrawInfo
{
    CDuiString sFile;
    RECT rcSource{0, 0, 0, 0};
    bool bSource = false;
    RECT rcDest{0, 0, 0, 0};  // relative to the control's top-left
    bool bDest = false;
    RECT rcCorner{0, 0, 0, 0};
    bool bHole = false;
    BYTE uFade = 255;
};

class CRenderEngine
{
public:
    static sf::Color ToColor(DWORD argb);
    static bool ParseImageDescription(const char* description, TDrawInfo& info);

    static void DrawColor(sf::RenderTarget& target, const RECT& rc, DWORD argb);
    // A frame of the given width drawn inside rc.
    static void DrawRect(sf::RenderTarget& target, const RECT& rc, int size, DWORD argb);
    // Draws the described image into rcItem (nine-sliced by its corners),
    // clipped to rcPaint. False when the image cannot be loaded.
    static bool DrawImageString(
        sf::RenderTarget& target, const RECT& rcItem, const RECT& rcPaint, const char* description);
    // Draws text inside rc with DT_* style; DT_CALCRECT measures only and
    // returns the needed size. Returns the size the text takes.
    static SIZE DrawText(sf::RenderTarget* target, const RECT& rc, const CDuiString& text, DWORD argb,
        const TFontInfo* font, UINT style);
    // Width and height of text on one line.
    static SIZE GetTextSize(const CDuiString& text, const TFontInfo* font);
    // Pieces of text layout for richer text (html): width of a run, the line
    // box height and the cap height of a font, and drawing one run with its
    // baseline at y (CJK characters fall back to the CJK face).
    static float MeasureString(const TFontInfo* font, const sf::String& text);
    static float GetLineHeight(const TFontInfo* font);
    static float GetCapHeight(const TFontInfo* font);
    static void DrawString(sf::RenderTarget& target, const TFontInfo* font, const sf::String& text, float x,
        float baseline, DWORD argb);

    // Restricts drawing to rc (within any enclosing scope) until the scope
    // ends, with a GL scissor on the target (view and picture unchanged).
    class ClipScope
    {
    public:
        ClipScope(sf::RenderTarget& target, const RECT& rc);
        ~ClipScope();
        ClipScope(const ClipScope&) = delete;
        ClipScope& operator=(const ClipScope&) = delete;
        bool IsEmpty() const { return m_empty; }

    private:
        sf::RenderTarget& m_target;
        bool m_empty;
        const RECT* m_outer;
        RECT m_rc{0, 0, 0, 0};
        bool m_wasEnabled = false;
        int m_savedBox[4] = {0, 0, 0, 0};  // the enclosing scissor
    };
};

}  // namespace DuiLib
