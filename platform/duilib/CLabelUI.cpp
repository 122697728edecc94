#include "platform/duilib/CLabelUI.h"

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"
#include "platform/duilib/CWindowWnd.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace DuiLib {

CLabelUI::CLabelUI() = default;

void* CLabelUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "Label") == 0)
        return this;
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetTextStyle(UINT style)
{
    m_uTextStyle = style;
    Invalidate();
}

void CLabelUI::SetTextColor(DWORD argb)
{
    m_dwTextColor = argb;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD argb)
{
    m_dwDisabledTextColor = argb;
    Invalidate();
}

void CLabelUI::SetFont(int index)
{
    m_iFont = index;
    Invalidate();
}

void CLabelUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool show)
{
    m_bShowHtml = show;
    Invalidate();
}

void CLabelUI::SetAutoCalcWidth(bool autoCalc)
{
    m_bAutoCalcWidth = autoCalc;
    NeedParentUpdate();
}

CDuiString CLabelUI::GetDisplayText() const
{
    CDuiString text = GetText();
    return m_bShowHtml ? CHtmlText::StripTags(text) : text;
}

const CDuiString* CLabelUI::GetLinkContent(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_aLinks.size()))
        return nullptr;
    return &m_aLinks[static_cast<size_t>(index)].target;
}

UINT CLabelUI::GetControlFlags() const
{
    return m_bShowHtml && !m_aLinks.empty() && IsEnabled() ? UIFLAG_SETCURSOR : 0;
}

int CLabelUI::LinkAt(POINT pt) const
{
    for (const THtmlLink& link : m_aLinks) {
        for (const RECT& rc : link.rects) {
            if (PtInRect(rc, pt))
                return link.index;
        }
    }
    return -1;
}

void CLabelUI::DoEvent(TEventUI& event)
{
    if (m_bShowHtml && !m_aLinks.empty()) {
        switch (event.Type) {
        case UIEVENT_SETCURSOR:
            if (m_pManager) {
                if (CWindowWnd* window = CWindowWnd::FromHandle(m_pManager->GetPaintWindow()))
                    window->SetCursor(
                        IsEnabled() && LinkAt(event.ptMouse) >= 0 ? UICURSOR_HAND : UICURSOR_ARROW);
            }
            return;
        case UIEVENT_MOUSEMOVE:
        case UIEVENT_MOUSEENTER: {
            int hot = IsEnabled() ? LinkAt(event.ptMouse) : -1;
            if (hot != m_iHotLink) {
                m_iHotLink = hot;
                Invalidate();
            }
            break;
        }
        case UIEVENT_MOUSELEAVE:
            if (m_iHotLink >= 0) {
                m_iHotLink = -1;
                Invalidate();
            }
            return;
        case UIEVENT_BUTTONDOWN:
            m_iPressedLink = IsEnabled() ? LinkAt(event.ptMouse) : -1;
            break;
        case UIEVENT_BUTTONUP: {
            int pressed = m_iPressedLink;
            m_iPressedLink = -1;
            if (pressed >= 0 && IsEnabled() && LinkAt(event.ptMouse) == pressed && m_pManager) {
                m_pManager->SendNotify(this, DUI_MSGTYPE_LINK, static_cast<WPARAM>(pressed));
                return;
            }
            break;
        }
        default:
            break;
        }
    }
    CControlUI::DoEvent(event);
}

SIZE CLabelUI::EstimateSize(SIZE szAvailable)
{
    if (m_bAutoCalcWidth && m_pManager) {
        SIZE text = CRenderEngine::GetTextSize(GetDisplayText(), m_pManager->GetFont(m_iFont));
        return SIZE{text.cx + m_rcTextPadding.left + m_rcTextPadding.right, m_cxyFixed.cy};
    }
    return CControlUI::EstimateSize(szAvailable);
}

void CLabelUI::PaintTextWithColor(sf::RenderTarget& target, DWORD argb)
{
    if (m_pManager == nullptr)
        return;
    CDuiString text = GetDisplayText();
    if (text.IsEmpty())
        return;
    RECT rc = m_rcItem;
    rc.left += m_rcTextPadding.left;
    rc.right -= m_rcTextPadding.right;
    rc.top += m_rcTextPadding.top;
    rc.bottom -= m_rcTextPadding.bottom;
    RECT clip;
    if (!IntersectRect(clip, rc, m_rcPaint))
        return;
    CRenderEngine::ClipScope scope(target, clip);
    if (scope.IsEmpty())
        return;
    if (m_bShowHtml)
        CHtmlText::Draw(
            &target, m_pManager, rc, GetText(), argb, m_iFont, m_uTextStyle, &m_aLinks, m_iHotLink);
    else
        CRenderEngine::DrawText(&target, rc, text, argb, m_pManager->GetFont(m_iFont), m_uTextStyle);
}

void CLabelUI::PaintText(sf::RenderTarget& target)
{
    DWORD color
        = m_dwTextColor ? m_dwTextColor : (m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000);
    if (!IsEnabled())
        color = m_dwDisabledTextColor ? m_dwDisabledTextColor
                                      : (m_pManager ? m_pManager->GetDefaultDisabledColor() : 0xFFA7A6AA);
    PaintTextWithColor(target, color);
}

void CLabelUI::SetAttribute(const char* name, const char* value)
{
    std::string n = name;
    std::string v = value ? value : "";
    if (n == "align") {
        UINT style = m_uTextStyle & ~(DT_LEFT | DT_CENTER | DT_RIGHT);
        if (v.find("center") != std::string::npos)
            style |= DT_CENTER;
        else if (v.find("right") != std::string::npos)
            style |= DT_RIGHT;
        if (v.find("top") != std::string::npos)
            style &= ~(DT_VCENTER | DT_BOTTOM);
        if (v.find("bottom") != std::string::npos)
            style = (style & ~DT_VCENTER) | DT_BOTTOM;
        if (v.find("vcenter") != std::string::npos)
            style = (style & ~DT_BOTTOM) | DT_VCENTER;
        SetTextStyle(style);
    } else if (n == "valign") {
        UINT style = m_uTextStyle & ~(DT_VCENTER | DT_BOTTOM);
        if (v == "vcenter" || v == "center")
            style |= DT_VCENTER;
        else if (v == "bottom")
            style |= DT_BOTTOM;
        SetTextStyle(style);
    } else if (n == "endellipsis") {
        SetTextStyle(ParseBool(value) ? (m_uTextStyle | DT_END_ELLIPSIS) : (m_uTextStyle & ~DT_END_ELLIPSIS));
    } else if (n == "wordbreak") {
        SetTextStyle(ParseBool(value) ? ((m_uTextStyle | DT_WORDBREAK) & ~DT_SINGLELINE)
                                      : ((m_uTextStyle & ~DT_WORDBREAK) | DT_SINGLELINE));
    } else if (n == "multiline") {
        SetTextStyle(ParseBool(value) ? (m_uTextStyle & ~DT_SINGLELINE) : (m_uTextStyle | DT_SINGLELINE));
    } else if (n == "font") {
        SetFont(std::atoi(value));
    } else if (n == "textcolor") {
        SetTextColor(ParseColor(value));
    } else if (n == "disabledtextcolor") {
        SetDisabledTextColor(ParseColor(value));
    } else if (n == "textpadding") {
        SetTextPadding(ParseRect(value));
    } else if (n == "showhtml") {
        SetShowHtml(ParseBool(value));
    } else if (n == "autocalcwidth") {
        SetAutoCalcWidth(ParseBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

}  // namespace DuiLib
