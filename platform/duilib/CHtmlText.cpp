#include "platform/duilib/CHtmlText.h"

#include "platform/duilib/CFontCache.h"
#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>

namespace DuiLib {
namespace {

struct Style
{
    int font = -1;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    DWORD color = 0;
    int link = -1;
};

// A piece of text in one style; newline pieces break the line.
struct Piece
{
    sf::String text;
    Style style;
    bool newline = false;
};

struct Placed
{
    sf::String text;
    const TFontInfo* font;
    Style style;
    float x;
    float width;
};

struct Line
{
    std::vector<Placed> pieces;
    float width = 0;
    float height = 0;
    float cap = 0;
};

// Bold/italic/underline variants of the window's fonts, made once.
const TFontInfo* Variant(CPaintManagerUI* manager, const Style& style)
{
    const TFontInfo* base = manager->GetFont(style.font);
    bool bold = base->bBold || style.bold;
    bool italic = base->bItalic || style.italic;
    bool underline = base->bUnderline || style.underline;
    if (bold == base->bBold && italic == base->bItalic && underline == base->bUnderline)
        return base;
    static std::map<std::string, std::unique_ptr<TFontInfo>> variants;
    std::string key = base->sFontName.str() + "|" + std::to_string(base->iSize) + (bold ? "b" : "")
        + (italic ? "i" : "") + (underline ? "u" : "");
    auto& slot = variants[key];
    if (!slot) {
        slot = std::make_unique<TFontInfo>(*base);
        slot->bBold = bold;
        slot->bItalic = italic;
        slot->bUnderline = underline;
        slot->face = CFontCache::GetFace(base->sFontName.str(), bold, italic);
    }
    return slot.get();
}

std::vector<Piece> Parse(const sf::String& text, DWORD color, int font, std::vector<THtmlLink>* links)
{
    std::vector<Piece> pieces;
    std::vector<Style> stack{Style{font, false, false, false, color, -1}};
    int linkCount = 0;
    std::vector<bool> explicitTarget;
    sf::String current;
    auto flush = [&] {
        if (!current.isEmpty())
            pieces.push_back(Piece{current, stack.back(), false});
        current.clear();
    };
    size_t n = text.getSize();
    for (size_t i = 0; i < n; ++i) {
        sf::Uint32 cp = text[i];
        if (cp == '{' && i + 1 < n && text[i + 1] == '{') {
            current += cp;
            ++i;
            continue;
        }
        if (cp == '\n') {
            flush();
            pieces.push_back(Piece{sf::String(), stack.back(), true});
            continue;
        }
        if (cp != '{') {
            if (cp != '\r')
                current += cp;
            continue;
        }
        size_t close = i + 1;
        while (close < n && text[close] != '}')
            ++close;
        if (close >= n) {
            current += cp;  // an unclosed brace is text
            continue;
        }
        std::string tag = text.substring(i + 1, close - i - 1).toAnsiString();
        i = close;
        flush();
        bool closing = !tag.empty() && tag[0] == '/';
        std::string name = tag.substr(closing ? 1 : 0,
            tag.find(' ') == std::string::npos ? std::string::npos : tag.find(' ') - (closing ? 1 : 0));
        std::string arg = tag.find(' ') == std::string::npos ? std::string() : tag.substr(tag.find(' ') + 1);
        if (closing) {
            if (stack.size() > 1
                && (name == "a" || name == "b" || name == "i" || name == "u" || name == "c" || name == "f"))
                stack.pop_back();
            continue;
        }
        if (name == "n") {
            pieces.push_back(Piece{sf::String(), stack.back(), true});
            continue;
        }
        Style next = stack.back();
        if (name == "a") {
            next.link = linkCount++;
            explicitTarget.push_back(!arg.empty());
            if (links) {
                THtmlLink link;
                link.index = next.link;
                // The target is the argument, else filled from the link's text below.
                link.target = arg.c_str();
                links->push_back(link);
            }
        } else if (name == "b") {
            next.bold = true;
        } else if (name == "i") {
            next.italic = true;
        } else if (name == "u") {
            next.underline = true;
        } else if (name == "c") {
            DWORD c = ParseColor(arg.c_str());
            if (c <= 0x00FFFFFF)
                c |= 0xFF000000;  // #RRGGBB means opaque
            next.color = c;
        } else if (name == "f") {
            next.font = std::atoi(arg.c_str());
        } else {
            continue;  // unknown tag: dropped, nothing pushed
        }
        stack.push_back(next);
    }
    flush();
    if (links) {
        // A link without a target names itself by its text.
        for (const Piece& p : pieces) {
            if (p.style.link < 0 || p.style.link >= static_cast<int>(links->size())
                || explicitTarget[p.style.link])
                continue;
            std::basic_string<sf::Uint8> utf8 = p.text.toUtf8();
            THtmlLink& link = (*links)[static_cast<size_t>(p.style.link)];
            link.target += std::string(utf8.begin(), utf8.end()).c_str();
        }
    }
    return pieces;
}

bool BreaksAfter(sf::Uint32 cp)
{
    return cp == ' ' || cp >= 0x2E80;
}

}  // namespace

CDuiString CHtmlText::StripTags(const CDuiString& text)
{
    sf::String all = sf::String::fromUtf8(text.str().begin(), text.str().end());
    std::vector<Piece> pieces = Parse(all, 0, -1, nullptr);
    sf::String out;
    for (const Piece& p : pieces)
        out += p.newline ? sf::String("\n") : p.text;
    std::basic_string<sf::Uint8> utf8 = out.toUtf8();
    return CDuiString(std::string(utf8.begin(), utf8.end()));
}

SIZE CHtmlText::Draw(sf::RenderTarget* target, CPaintManagerUI* manager, const RECT& rc,
    const CDuiString& text, DWORD argb, int font, UINT style, std::vector<THtmlLink>* links, int hotLink)
{
    if (manager == nullptr || text.IsEmpty())
        return SIZE{0, 0};
    if (links)
        links->clear();
    sf::String all = sf::String::fromUtf8(text.str().begin(), text.str().end());
    std::vector<Piece> pieces = Parse(all, argb, font, links);
    float maxWidth = static_cast<float>(rc.right - rc.left);
    bool wrap = (style & DT_WORDBREAK) != 0 && !(style & DT_SINGLELINE);

    std::vector<Line> lines(1);
    auto place = [&](const sf::String& s, const TFontInfo* f, const Style& st) {
        if (s.isEmpty())
            return;
        float w = CRenderEngine::MeasureString(f, s);
        Line& line = lines.back();
        line.pieces.push_back(Placed{s, f, st, line.width, w});
        line.width += w;
    };
    for (const Piece& piece : pieces) {
        const TFontInfo* f = Variant(manager, piece.style);
        Line& last = lines.back();
        last.height = std::max(last.height, CRenderEngine::GetLineHeight(f));
        last.cap = std::max(last.cap, CRenderEngine::GetCapHeight(f));
        if (piece.newline) {
            lines.emplace_back();
            continue;
        }
        if (!wrap) {
            place(piece.text, f, piece.style);
            continue;
        }
        // Word by word; a word that does not fit starts a new line.
        sf::String word;
        for (size_t i = 0; i <= piece.text.getSize(); ++i) {
            bool end = i == piece.text.getSize();
            if (!end)
                word += piece.text[i];
            if (!end && !BreaksAfter(piece.text[i]))
                continue;
            if (word.isEmpty())
                continue;
            float w = CRenderEngine::MeasureString(f, word);
            if (lines.back().width > 0 && lines.back().width + w > maxWidth) {
                lines.emplace_back();
                lines.back().height = CRenderEngine::GetLineHeight(f);
                lines.back().cap = CRenderEngine::GetCapHeight(f);
                if (word[0] == ' ')
                    word.erase(0);
            }
            place(word, f, piece.style);
            word.clear();
        }
    }
    float blockHeight = 0;
    float blockWidth = 0;
    for (const Line& line : lines) {
        blockHeight += line.height;
        blockWidth = std::max(blockWidth, line.width);
    }
    SIZE needed{static_cast<long>(std::ceil(blockWidth)), static_cast<long>(blockHeight)};
    float top = static_cast<float>(rc.top);
    float height = static_cast<float>(rc.bottom - rc.top);
    if (style & DT_VCENTER)
        top += std::floor((height - blockHeight) / 2);
    else if (style & DT_BOTTOM)
        top += height - blockHeight;
    for (const Line& line : lines) {
        float x0 = static_cast<float>(rc.left);
        if (style & DT_CENTER)
            x0 += std::floor((maxWidth - line.width) / 2);
        else if (style & DT_RIGHT)
            x0 += maxWidth - line.width;
        float baseline = std::round(top + (line.height + line.cap) / 2);
        for (const Placed& p : line.pieces) {
            float x = x0 + p.x;
            if (links && p.style.link >= 0 && p.style.link < static_cast<int>(links->size()))
                (*links)[static_cast<size_t>(p.style.link)].rects.push_back(
                    RECT{static_cast<long>(x), static_cast<long>(top),
                        static_cast<long>(std::ceil(x + p.width)), static_cast<long>(top + line.height)});
            if (target == nullptr || (style & DT_CALCRECT))
                continue;
            CRenderEngine::DrawString(*target, p.font, p.text, x, baseline, p.style.color);
            if (p.style.link >= 0 && p.style.link == hotLink && !p.font->bUnderline) {
                long y = static_cast<long>(baseline) + 2;
                CRenderEngine::DrawColor(*target,
                    RECT{static_cast<long>(x), y, static_cast<long>(x + p.width), y + 1}, p.style.color);
            }
        }
        top += line.height;
    }
    return needed;
}

}  // namespace DuiLib
