#include "platform/duilib/CSliderUI.h"

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace DuiLib {

CSliderUI::CSliderUI()
{
    m_dwForeColor = 0xFF3C7FB1;
}

void* CSliderUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "Slider") == 0)
        return this;
    return CProgressUI::GetInterface(name);
}

UINT CSliderUI::GetControlFlags() const
{
    return IsEnabled() ? UIFLAG_SETCURSOR : 0;
}

void CSliderUI::SetThumbSize(SIZE size)
{
    m_szThumb = size;
    Invalidate();
}

RECT CSliderUI::GetThumbRect() const
{
    long travel = std::max<long>(0, GetWidth() - m_szThumb.cx);
    long offset = 0;
    if (m_nMax > m_nMin)
        offset = static_cast<long>(
            travel * (static_cast<long long>(m_nValue) - m_nMin) / (static_cast<long long>(m_nMax) - m_nMin));
    long mid = (m_rcItem.top + m_rcItem.bottom) / 2;
    return RECT{m_rcItem.left + offset, mid - m_szThumb.cy / 2, m_rcItem.left + offset + m_szThumb.cx,
        mid - m_szThumb.cy / 2 + m_szThumb.cy};
}

int CSliderUI::ValueAt(long x) const
{
    long travel = GetWidth() - m_szThumb.cx;
    if (travel <= 0 || m_nMax <= m_nMin)
        return m_nMin;
    long along = std::clamp<long>(x - m_rcItem.left - m_szThumb.cx / 2, 0, travel);
    long long span = static_cast<long long>(m_nMax) - m_nMin;
    // Nearest value, not the one below.
    return m_nMin + static_cast<int>((along * span + travel / 2) / travel);
}

void CSliderUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        CProgressUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled()) {
            m_bDragging = true;
            m_nDragLastSent = m_nValue;
            int value = ValueAt(event.ptMouse.x);
            if (value != m_nValue) {
                SetValue(value);
                if (m_bSendMove && m_pManager) {
                    m_nDragLastSent = value;
                    m_pManager->SendNotify(this, DUI_MSGTYPE_MOVEVALUECHANGED);
                }
            }
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_bDragging) {
            int value = ValueAt(event.ptMouse.x);
            if (value != m_nValue) {
                SetValue(value);
                if (m_bSendMove && m_pManager && value != m_nDragLastSent) {
                    m_nDragLastSent = value;
                    m_pManager->SendNotify(this, DUI_MSGTYPE_MOVEVALUECHANGED);
                }
            }
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_bDragging) {
            m_bDragging = false;
            Invalidate();
            if (IsEnabled()) {
                SetValue(ValueAt(event.ptMouse.x));
                if (m_pManager)
                    m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED);
            }
        }
        return;
    case UIEVENT_SCROLLWHEEL:
        if (IsEnabled()) {
            int value = std::clamp(m_nValue + (event.wParam == 0 ? m_nStep : -m_nStep), m_nMin, m_nMax);
            if (value != m_nValue) {
                SetValue(value);
                if (m_pManager)
                    m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED);
            }
            return;
        }
        break;
    case UIEVENT_MOUSEENTER:
        m_bHot = true;
        Invalidate();
        return;
    case UIEVENT_MOUSELEAVE:
        m_bHot = false;
        Invalidate();
        return;
    case UIEVENT_SETCURSOR:
        return;
    case UIEVENT_KILLFOCUS:
        m_bDragging = false;
        break;
    default:
        break;
    }
    CProgressUI::DoEvent(event);
}

void CSliderUI::SetAttribute(const char* name, const char* value)
{
    std::string n = name;
    if (n == "thumbsize")
        SetThumbSize(ParseSize(value));
    else if (n == "step")
        SetChangeStep(std::atoi(value));
    else if (n == "sendmove")
        SetCanSendMove(ParseBool(value));
    else if (n == "thumbimage")
        SetThumbImage(value);
    else if (n == "thumbhotimage")
        SetThumbHotImage(value);
    else if (n == "thumbpushedimage")
        SetThumbPushedImage(value);
    else if (n == "thumbdisabledimage")
        m_sThumbDisabledImage = value;
    else if (n == "disabledforecolor")
        m_dwDisabledForeColor = ParseColor(value);
    else if (n == "trackcolor")
        m_dwTrackColor = ParseColor(value);
    else
        CProgressUI::SetAttribute(name, value);
}

void CSliderUI::PaintBkColor(sf::RenderTarget& target)
{
    CProgressUI::PaintBkColor(target);
    // A thin track through the middle; filled part in the fore colour.
    long mid = (m_rcItem.top + m_rcItem.bottom) / 2;
    RECT track{m_rcItem.left + m_szThumb.cx / 2, mid - 2, m_rcItem.right - m_szThumb.cx / 2, mid + 2};
    RECT clip;
    if (IntersectRect(clip, track, m_rcPaint))
        CRenderEngine::DrawColor(target, clip, m_dwTrackColor);
}

void CSliderUI::PaintStatusImage(sf::RenderTarget& target)
{
    long mid = (m_rcItem.top + m_rcItem.bottom) / 2;
    RECT thumb = GetThumbRect();
    RECT filled{m_rcItem.left + m_szThumb.cx / 2, mid - 2, (thumb.left + thumb.right) / 2, mid + 2};
    RECT clip;
    if (IntersectRect(clip, filled, m_rcPaint))
        CRenderEngine::DrawColor(target, clip, IsEnabled() ? m_dwForeColor : m_dwDisabledForeColor);
    const CDuiString& image = !IsEnabled()                ? m_sThumbDisabledImage
        : (m_bDragging && !m_sThumbPushedImage.IsEmpty()) ? m_sThumbPushedImage
        : (m_bHot && !m_sThumbHotImage.IsEmpty())         ? m_sThumbHotImage
                                                          : m_sThumbImage;
    if (!image.IsEmpty()) {
        CRenderEngine::DrawImageString(target, thumb, m_rcPaint, image);
        return;
    }
    if (!IntersectRect(clip, thumb, m_rcPaint))
        return;
    DWORD face = !IsEnabled() ? 0xFFD8D8D8 : m_bDragging ? 0xFF2B5F8A : m_bHot ? 0xFF4F8FC6 : 0xFF3C7FB1;
    CRenderEngine::DrawColor(target, clip, face);
    CRenderEngine::ClipScope scope(target, clip);
    if (!scope.IsEmpty())
        CRenderEngine::DrawRect(target, thumb, 1, IsEnabled() ? 0xFF1F4F78 : 0xFFB0B0B0);
}

}  // namespace DuiLib
