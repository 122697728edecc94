#include "platform/duilib/CRenderEngine.h"

#include "platform/duilib/CFontCache.h"
#include "platform/duilib/CImageCache.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/VertexArray.hpp>
#include <SFML/OpenGL.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace DuiLib {
namespace {

// One stretch of a line drawn with one face.
struct Run
{
    TFontFace* face;
    sf::String text;
    float width;
};

struct Line
{
    std::vector<Run> runs;
    float width = 0;
};

bool IsWideBreakable(uint32_t cp)
{
    return cp >= 0x2E80;  // CJK text may break between any two characters
}

float Advance(TFontFace* face, uint32_t cp, unsigned size, bool bold)
{
    return face ? face->font.getGlyph(cp, size, bold).advance : 0.f;
}

bool SyntheticBold(const TFontInfo* font, TFontFace* face)
{
    return font->bBold && face && !face->realBold;
}

Line MakeLine(const TFontInfo* font, const sf::String& text)
{
    Line line;
    unsigned size = static_cast<unsigned>(std::max(1, font->iSize));
    for (uint32_t cp : text) {
        TFontFace* face = CFontCache::FaceFor(font->face, cp);
        float adv = Advance(face, cp, size, SyntheticBold(font, face));
        if (line.runs.empty() || line.runs.back().face != face)
            line.runs.push_back(Run{face, sf::String(), 0.f});
        line.runs.back().text += cp;
        line.runs.back().width += adv;
        line.width += adv;
    }
    return line;
}

// Splits text into lines: at newlines, and where it is wider than maxWidth
// when wrapping (after spaces, or between wide characters).
std::vector<sf::String> SplitLines(const TFontInfo* font, const sf::String& text, bool wrap, float maxWidth)
{
    std::vector<sf::String> lines;
    sf::String current;
    float width = 0;
    size_t lastBreak = std::string::npos;
    unsigned size = static_cast<unsigned>(std::max(1, font->iSize));
    for (uint32_t cp : text) {
        if (cp == '\r')
            continue;
        if (cp == '\n') {
            lines.push_back(current);
            current.clear();
            width = 0;
            lastBreak = std::string::npos;
            continue;
        }
        TFontFace* face = CFontCache::FaceFor(font->face, cp);
        float adv = Advance(face, cp, size, SyntheticBold(font, face));
        if (wrap && width + adv > maxWidth && !current.isEmpty()) {
            if (cp == ' ') {
                lines.push_back(current);
                current.clear();
                width = 0;
                lastBreak = std::string::npos;
                continue;
            }
            size_t cut = lastBreak != std::string::npos ? lastBreak : current.getSize();
            sf::String rest = current.substring(cut);
            sf::String head = current.substring(0, cut);
            // Drop the spaces the line broke at.
            while (!head.isEmpty() && head[head.getSize() - 1] == ' ')
                head.erase(head.getSize() - 1);
            lines.push_back(head);
            current = rest;
            width = MakeLine(font, current).width;
            lastBreak = std::string::npos;
        }
        current += cp;
        width += adv;
        if (cp == ' ' || IsWideBreakable(cp))
            lastBreak = current.getSize();
    }
    lines.push_back(current);
    return lines;
}

sf::String Ellipsize(const TFontInfo* font, const sf::String& text, float maxWidth)
{
    if (MakeLine(font, text).width <= maxWidth)
        return text;
    sf::String dots("...");
    sf::String cut = text;
    while (!cut.isEmpty()) {
        cut.erase(cut.getSize() - 1);
        if (MakeLine(font, cut + dots).width <= maxWidth)
            return cut + dots;
    }
    return MakeLine(font, dots).width <= maxWidth ? dots : sf::String();
}

}  // namespace

sf::Color CRenderEngine::ToColor(DWORD argb)
{
    return sf::Color(static_cast<sf::Uint8>((argb >> 16) & 0xFF), static_cast<sf::Uint8>((argb >> 8) & 0xFF),
        static_cast<sf::Uint8>(argb & 0xFF), static_cast<sf::Uint8>((argb >> 24) & 0xFF));
}

namespace {
// The clip of the innermost open scope: nested scopes intersect with it.
thread_local const RECT* t_clip = nullptr;
}  // namespace

CRenderEngine::ClipScope::ClipScope(sf::RenderTarget& target, const RECT& rcWanted)
    : m_target(target)
    , m_empty(false)
    , m_outer(t_clip)
{
    RECT rc = rcWanted;
    if (m_outer && !IntersectRect(rc, rcWanted, *m_outer))
        rc = RECT{0, 0, 0, 0};
    m_rc = rc;
    t_clip = &m_rc;
    m_empty = IsRectEmpty(rc);
    sf::Vector2u size = target.getSize();
    if (size.x == 0 || size.y == 0)
        m_empty = true;
    // A scissor, not a view: the picture stays exactly the same whatever
    // the clip, so a partial repaint matches a full one pixel for pixel.
    target.setActive(true);
    m_wasEnabled = glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE;
    glGetIntegerv(GL_SCISSOR_BOX, m_savedBox);
    glEnable(GL_SCISSOR_TEST);
    if (m_empty)
        glScissor(0, 0, 0, 0);
    else
        glScissor(static_cast<GLint>(rc.left), static_cast<GLint>(static_cast<long>(size.y) - rc.bottom),
            static_cast<GLsizei>(rc.right - rc.left), static_cast<GLsizei>(rc.bottom - rc.top));
}

CRenderEngine::ClipScope::~ClipScope()
{
    t_clip = m_outer;
    m_target.setActive(true);
    glScissor(m_savedBox[0], m_savedBox[1], m_savedBox[2], m_savedBox[3]);
    if (!m_wasEnabled)
        glDisable(GL_SCISSOR_TEST);
}

bool CRenderEngine::ParseImageDescription(const char* description, TDrawInfo& info)
{
    info = TDrawInfo();
    if (description == nullptr || *description == '\0')
        return false;
    if (std::strchr(description, '=') == nullptr) {
        info.sFile = description;
        return true;
    }
    const char* p = description;
    while (*p) {
        while (*p == ' ')
            ++p;
        const char* keyStart = p;
        while (*p && *p != '=' && *p != ' ')
            ++p;
        std::string key(keyStart, static_cast<size_t>(p - keyStart));
        while (*p == ' ')
            ++p;
        if (*p != '=')
            break;
        ++p;
        while (*p == ' ')
            ++p;
        char quote = (*p == '\'' || *p == '"') ? *p++ : ' ';
        const char* valueStart = p;
        while (*p && *p != quote)
            ++p;
        std::string value(valueStart, static_cast<size_t>(p - valueStart));
        if (*p)
            ++p;
        if (key == "file" || key == "res")
            info.sFile = value.c_str();
        else if (key == "source") {
            info.rcSource = ParseRect(value.c_str());
            info.bSource = true;
        } else if (key == "dest") {
            info.rcDest = ParseRect(value.c_str());
            info.bDest = true;
        } else if (key == "corner")
            info.rcCorner = ParseRect(value.c_str());
        else if (key == "hole")
            info.bHole = value == "true";
        else if (key == "fade")
            info.uFade = static_cast<BYTE>(std::clamp(std::atoi(value.c_str()), 0, 255));
    }
    return !info.sFile.IsEmpty();
}

void CRenderEngine::DrawColor(sf::RenderTarget& target, const RECT& rc, DWORD argb)
{
    if (argb <= 0x00FFFFFF || IsRectEmpty(rc))
        return;  // fully transparent
    sf::RectangleShape shape(
        sf::Vector2f(static_cast<float>(rc.right - rc.left), static_cast<float>(rc.bottom - rc.top)));
    shape.setPosition(static_cast<float>(rc.left), static_cast<float>(rc.top));
    shape.setFillColor(ToColor(argb));
    target.draw(shape);
}

void CRenderEngine::DrawRect(sf::RenderTarget& target, const RECT& rc, int size, DWORD argb)
{
    if (size <= 0)
        return;
    DrawColor(target, RECT{rc.left, rc.top, rc.right, rc.top + size}, argb);
    DrawColor(target, RECT{rc.left, rc.bottom - size, rc.right, rc.bottom}, argb);
    DrawColor(target, RECT{rc.left, rc.top + size, rc.left + size, rc.bottom - size}, argb);
    DrawColor(target, RECT{rc.right - size, rc.top + size, rc.right, rc.bottom - size}, argb);
}

bool CRenderEngine::DrawImageString(
    sf::RenderTarget& target, const RECT& rcItem, const RECT& rcPaint, const char* description)
{
    TDrawInfo info;
    if (!ParseImageDescription(description, info))
        return false;
    const TImageInfo* image = CImageCache::Get(info.sFile.str());
    if (image == nullptr)
        return false;
    RECT src = info.bSource ? info.rcSource : RECT{0, 0, image->nX, image->nY};
    src.right = std::min<long>(src.right, image->nX);
    src.bottom = std::min<long>(src.bottom, image->nY);
    RECT dst = rcItem;
    if (info.bDest) {
        dst = RECT{rcItem.left + info.rcDest.left, rcItem.top + info.rcDest.top,
            rcItem.left + info.rcDest.right, rcItem.top + info.rcDest.bottom};
        dst.right = std::min(dst.right, rcItem.right);
        dst.bottom = std::min(dst.bottom, rcItem.bottom);
    }
    RECT clip;
    if (!IntersectRect(clip, dst, rcPaint) || IsRectEmpty(src))
        return true;

    // Nine slices: corners keep their size, edges stretch one way, the middle both.
    const RECT& c = info.rcCorner;
    float dx[4] = {float(dst.left), float(dst.left + c.left), float(dst.right - c.right), float(dst.right)};
    float dy[4] = {float(dst.top), float(dst.top + c.top), float(dst.bottom - c.bottom), float(dst.bottom)};
    float sx[4] = {float(src.left), float(src.left + c.left), float(src.right - c.right), float(src.right)};
    float sy[4] = {float(src.top), float(src.top + c.top), float(src.bottom - c.bottom), float(src.bottom)};
    sf::Color tint(255, 255, 255, info.uFade);
    sf::VertexArray quads(sf::Quads);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (info.bHole && row == 1 && col == 1)
                continue;
            if (dx[col + 1] <= dx[col] || dy[row + 1] <= dy[row])
                continue;
            quads.append(sf::Vertex({dx[col], dy[row]}, tint, {sx[col], sy[row]}));
            quads.append(sf::Vertex({dx[col + 1], dy[row]}, tint, {sx[col + 1], sy[row]}));
            quads.append(sf::Vertex({dx[col + 1], dy[row + 1]}, tint, {sx[col + 1], sy[row + 1]}));
            quads.append(sf::Vertex({dx[col], dy[row + 1]}, tint, {sx[col], sy[row + 1]}));
        }
    }
    ClipScope scope(target, clip);
    if (!scope.IsEmpty())
        target.draw(quads, sf::RenderStates(&image->texture));
    return true;
}

float CRenderEngine::MeasureString(const TFontInfo* font, const sf::String& text)
{
    if (font == nullptr || font->face == nullptr)
        return 0;
    return MakeLine(font, text).width;
}

float CRenderEngine::GetLineHeight(const TFontInfo* font)
{
    if (font == nullptr || font->face == nullptr)
        return 0;
    return std::ceil(font->face->font.getLineSpacing(static_cast<unsigned>(std::max(1, font->iSize))));
}

float CRenderEngine::GetCapHeight(const TFontInfo* font)
{
    if (font == nullptr || font->face == nullptr)
        return 0;
    return -font->face->font.getGlyph('H', static_cast<unsigned>(std::max(1, font->iSize)), font->bBold)
                .bounds.top;
}

void CRenderEngine::DrawString(sf::RenderTarget& target, const TFontInfo* font, const sf::String& text,
    float x, float baseline, DWORD argb)
{
    if (font == nullptr || font->face == nullptr)
        return;
    unsigned size = static_cast<unsigned>(std::max(1, font->iSize));
    Line line = MakeLine(font, text);
    float startX = x;
    for (const Run& run : line.runs) {
        if (run.face == nullptr)
            continue;
        sf::Text drawn(run.text, run.face->font, size);
        sf::Uint32 textStyle = sf::Text::Regular;
        if (SyntheticBold(font, run.face))
            textStyle |= sf::Text::Bold;
        if (font->bItalic)
            textStyle |= sf::Text::Italic;
        drawn.setStyle(textStyle);
        drawn.setFillColor(ToColor(argb));
        drawn.setPosition(std::round(x), std::round(baseline) - static_cast<float>(size));
        target.draw(drawn);
        x += run.width;
    }
    if (font->bUnderline) {
        long y = static_cast<long>(baseline) + 2;
        DrawColor(target, RECT{static_cast<long>(startX), y, static_cast<long>(x), y + 1}, argb);
    }
}

SIZE CRenderEngine::GetTextSize(const CDuiString& text, const TFontInfo* font)
{
    return DrawText(nullptr, RECT{0, 0, 0x7FFF, 0x7FFF}, text, 0, font, DT_SINGLELINE | DT_CALCRECT);
}

SIZE CRenderEngine::DrawText(sf::RenderTarget* target, const RECT& rc, const CDuiString& text, DWORD argb,
    const TFontInfo* font, UINT style)
{
    if (font == nullptr || font->face == nullptr || text.IsEmpty())
        return SIZE{0, 0};
    unsigned size = static_cast<unsigned>(std::max(1, font->iSize));
    float maxWidth = static_cast<float>(rc.right - rc.left);
    sf::String all = sf::String::fromUtf8(text.str().begin(), text.str().end());
    std::vector<sf::String> texts;
    if (style & DT_SINGLELINE) {
        sf::String one;
        for (uint32_t cp : all) {
            if (cp != '\r' && cp != '\n')
                one += cp;
        }
        texts.push_back(one);
    } else {
        texts = SplitLines(font, all, (style & DT_WORDBREAK) != 0, maxWidth);
    }
    if ((style & DT_END_ELLIPSIS) && !(style & DT_CALCRECT)) {
        for (sf::String& t : texts)
            t = Ellipsize(font, t, maxWidth);
    }

    float lineHeight = std::ceil(font->face->font.getLineSpacing(size));
    float capHeight = -font->face->font.getGlyph('H', size, font->bBold).bounds.top;
    float blockWidth = 0;
    std::vector<Line> lines;
    for (const sf::String& t : texts) {
        lines.push_back(MakeLine(font, t));
        blockWidth = std::max(blockWidth, lines.back().width);
    }
    float blockHeight = lineHeight * static_cast<float>(lines.size());
    SIZE needed{static_cast<long>(std::ceil(blockWidth)), static_cast<long>(blockHeight)};
    if ((style & DT_CALCRECT) || target == nullptr)
        return needed;

    float top = static_cast<float>(rc.top);
    float height = static_cast<float>(rc.bottom - rc.top);
    if (style & DT_VCENTER)
        top += std::floor((height - blockHeight) / 2);
    else if (style & DT_BOTTOM)
        top += height - blockHeight;

    ClipScope scope(*target, rc);
    if (scope.IsEmpty())
        return needed;
    sf::Color color = ToColor(argb);
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        float x = static_cast<float>(rc.left);
        if (style & DT_CENTER)
            x += std::floor((maxWidth - line.width) / 2);
        else if (style & DT_RIGHT)
            x += maxWidth - line.width;
        // Capitals sit in the middle of the line box.
        float baseline = std::round(top + lineHeight * static_cast<float>(i) + (lineHeight + capHeight) / 2);
        float startX = x;
        for (const Run& run : line.runs) {
            if (run.face == nullptr)
                continue;
            sf::Text drawn(run.text, run.face->font, size);
            sf::Uint32 textStyle = sf::Text::Regular;
            if (SyntheticBold(font, run.face))
                textStyle |= sf::Text::Bold;
            if (font->bItalic)
                textStyle |= sf::Text::Italic;
            drawn.setStyle(textStyle);
            drawn.setFillColor(color);
            drawn.setPosition(std::round(x), baseline - static_cast<float>(size));
            target->draw(drawn);
            x += run.width;
        }
        if (font->bUnderline) {
            long y = static_cast<long>(baseline) + 2;
            DrawColor(*target, RECT{static_cast<long>(startX), y, static_cast<long>(x), y + 1}, argb);
        }
    }
    return needed;
}

}  // namespace DuiLib
