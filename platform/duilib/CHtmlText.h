#pragma once
// Text with DuiLib's small markup: {a}..{/a} or {a target}..{/a} links,
// {b}..{/b} bold, {i}..{/i} italic, {u}..{/u} underline, {c #RRGGBB}..{/c}
// colour (also #AARRGGBB), {f n}..{/f} the window's font n, {n} a line
// break. "{{" is a literal brace; unknown tags are dropped. Lines break at
// {n} and, with DT_WORDBREAK, between words. UI thread only.

#include "platform/duilib/UIDefs.h"

#include <SFML/Graphics/RenderTarget.hpp>

#include <vector>

namespace DuiLib {

class CPaintManagerUI;

struct THtmlLink
{
    int index = 0;  // order of the link in the text
    CDuiString target;  // the word after "a" in {a target}, or the link's own text
    std::vector<RECT> rects;  // where its pieces were drawn
};

class CHtmlText
{
public:
    // Lays out (and, with a target, draws) text in rc; fills links when
    // given. hotLink is drawn underlined. Returns the size the text takes.
    static SIZE Draw(sf::RenderTarget* target, CPaintManagerUI* manager, const RECT& rc,
        const CDuiString& text, DWORD argb, int font, UINT style, std::vector<THtmlLink>* links = nullptr,
        int hotLink = -1);
    // The text without markup.
    static CDuiString StripTags(const CDuiString& text);
};

}  // namespace DuiLib
