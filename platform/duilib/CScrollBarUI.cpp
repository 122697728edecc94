#include "platform/duilib/CScrollBarUI.h"

#include "platform/duilib/CContainerUI.h"
#include "platform/duilib/CRenderEngine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace DuiLib {
namespace {
constexpr int kMinThumb = 16;
}

CScrollBarUI::CScrollBarUI()
{
    m_cxyFixed.cx = 10;
    m_dwBackColor = 0xFFF0F0F0;
}

void* CScrollBarUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "ScrollBar") == 0)
        return this;
    return CControlUI::GetInterface(name);
}

void CScrollBarUI::SetScrollRange(int range)
{
    m_nRange = std::max(0, range);
    m_nScrollPos = std::clamp(m_nScrollPos, 0, m_nRange);
    Invalidate();
}

void CScrollBarUI::SetScrollPos(int pos)
{
    m_nScrollPos = std::clamp(pos, 0, m_nRange);
    Invalidate();
}

int CScrollBarUI::GetPageSize() const
{
    return std::max<int>(1, GetHeight());
}

RECT CScrollBarUI::GetThumbRect() const
{
    int track = GetHeight();
    int page = GetPageSize();
    int thumb = m_nRange > 0
        ? std::max(kMinThumb, static_cast<int>(static_cast<long long>(track) * page / (page + m_nRange)))
        : track;
    thumb = std::min(thumb, track);
    int top = m_nRange > 0 ? static_cast<int>(static_cast<long long>(track - thumb) * m_nScrollPos / m_nRange)
                           : 0;
    return RECT{m_rcItem.left + 1, m_rcItem.top + top, m_rcItem.right - 1, m_rcItem.top + top + thumb};
}

void CScrollBarUI::ScrollOwnerTo(int pos)
{
    pos = std::clamp(pos, 0, m_nRange);
    if (m_pOwner)
        m_pOwner->SetScrollPos(SIZE{0, pos});
    else
        SetScrollPos(pos);
}

void CScrollBarUI::DoEvent(TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
        RECT thumb = GetThumbRect();
        if (PtInRect(thumb, event.ptMouse)) {
            m_bDragging = true;
            m_nDragStartY = event.ptMouse.y;
            m_nDragStartPos = m_nScrollPos;
        } else if (event.ptMouse.y < thumb.top) {
            ScrollOwnerTo(m_nScrollPos - GetPageSize());
        } else if (event.ptMouse.y >= thumb.bottom) {
            ScrollOwnerTo(m_nScrollPos + GetPageSize());
        }
        return;
    }
    case UIEVENT_MOUSEMOVE:
        if (m_bDragging) {
            RECT thumb = GetThumbRect();
            int free = GetHeight() - (thumb.bottom - thumb.top);
            if (free > 0) {
                long long delta = static_cast<long long>(event.ptMouse.y - m_nDragStartY) * m_nRange / free;
                ScrollOwnerTo(m_nDragStartPos + static_cast<int>(delta));
            }
        }
        return;
    case UIEVENT_BUTTONUP:
        m_bDragging = false;
        return;
    case UIEVENT_MOUSEENTER:
        m_bHot = true;
        Invalidate();
        return;
    case UIEVENT_MOUSELEAVE:
        m_bHot = false;
        Invalidate();
        return;
    case UIEVENT_SCROLLWHEEL:
        ScrollOwnerTo(m_nScrollPos + (event.wParam == 0 ? -3 : 3) * m_nLineSize);
        return;
    default:
        break;
    }
    if (event.Type == UIEVENT_SETFOCUS || event.Type == UIEVENT_KILLFOCUS)
        CControlUI::DoEvent(event);
}

void CScrollBarUI::SetAttribute(const char* name, const char* value)
{
    if (std::strcmp(name, "thumbcolor") == 0)
        SetThumbColor(ParseColor(value));
    else if (std::strcmp(name, "thumbhotcolor") == 0)
        SetThumbHotColor(ParseColor(value));
    else if (std::strcmp(name, "linesize") == 0)
        SetLineSize(std::atoi(value));
    else
        CControlUI::SetAttribute(name, value);
}

void CScrollBarUI::PaintBkColor(sf::RenderTarget& target)
{
    CControlUI::PaintBkColor(target);
}

void CScrollBarUI::PaintStatusImage(sf::RenderTarget& target)
{
    if (m_nRange <= 0)
        return;
    RECT thumb = GetThumbRect();
    RECT clip;
    if (IntersectRect(clip, thumb, m_rcPaint))
        CRenderEngine::DrawColor(target, clip, (m_bHot || m_bDragging) ? m_dwThumbHotColor : m_dwThumbColor);
}

}  // namespace DuiLib
