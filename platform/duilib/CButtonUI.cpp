#include "platform/duilib/CButtonUI.h"

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"
#include "platform/duilib/CWindowWnd.h"

#include <cstring>
#include <string>

namespace DuiLib {

CButtonUI::CButtonUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

void* CButtonUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "Button") == 0)
        return this;
    return CLabelUI::GetInterface(name);
}

UINT CButtonUI::GetControlFlags() const
{
    return (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0) | (IsEnabled() ? UIFLAG_SETCURSOR : 0);
}

bool CButtonUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
    return true;
}

void CButtonUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    if (!enabled)
        m_uButtonState = 0;
}

void CButtonUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent)
            m_pParent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && (event.wParam == VK_SPACE || event.wParam == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (PtInRect(m_rcItem, event.ptMouse) && IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED) {
            if (PtInRect(m_rcItem, event.ptMouse))
                m_uButtonState |= UISTATE_PUSHED;
            else
                m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            // State first: the click handler may delete this button.
            m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (PtInRect(m_rcItem, event.ptMouse) && IsEnabled())
                Activate();
        }
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (m_uButtonState & UISTATE_HOT) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_SETCURSOR:
        if (m_pManager) {
            if (CWindowWnd* window = CWindowWnd::FromHandle(m_pManager->GetPaintWindow()))
                window->SetCursor(UICURSOR_HAND);
        }
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetNormalImage(const char* d)
{
    m_sNormalImage = d;
    Invalidate();
}
void CButtonUI::SetHotImage(const char* d)
{
    m_sHotImage = d;
    Invalidate();
}
void CButtonUI::SetPushedImage(const char* d)
{
    m_sPushedImage = d;
    Invalidate();
}
void CButtonUI::SetFocusedImage(const char* d)
{
    m_sFocusedImage = d;
    Invalidate();
}
void CButtonUI::SetDisabledImage(const char* d)
{
    m_sDisabledImage = d;
    Invalidate();
}
void CButtonUI::SetForeImage(const char* d)
{
    m_sForeImage = d;
    Invalidate();
}

void CButtonUI::SetAttribute(const char* name, const char* value)
{
    std::string n = name;
    if (n == "normalimage")
        SetNormalImage(value);
    else if (n == "hotimage")
        SetHotImage(value);
    else if (n == "pushedimage")
        SetPushedImage(value);
    else if (n == "focusedimage")
        SetFocusedImage(value);
    else if (n == "disabledimage")
        SetDisabledImage(value);
    else if (n == "foreimage")
        SetForeImage(value);
    else if (n == "hotforeimage")
        m_sHotForeImage = value;
    else if (n == "hotbkcolor")
        SetHotBkColor(ParseColor(value));
    else if (n == "pushedbkcolor")
        SetPushedBkColor(ParseColor(value));
    else if (n == "disabledbkcolor")
        m_dwDisabledBkColor = ParseColor(value);
    else if (n == "hottextcolor")
        SetHotTextColor(ParseColor(value));
    else if (n == "pushedtextcolor")
        SetPushedTextColor(ParseColor(value));
    else if (n == "focusedtextcolor")
        SetFocusedTextColor(ParseColor(value));
    else
        CLabelUI::SetAttribute(name, value);
}

void CButtonUI::PaintBkColor(sf::RenderTarget& target)
{
    DWORD color = m_dwBackColor;
    if (!IsEnabled() && m_dwDisabledBkColor)
        color = m_dwDisabledBkColor;
    else if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedBkColor)
        color = m_dwPushedBkColor;
    else if ((m_uButtonState & UISTATE_HOT) && m_dwHotBkColor)
        color = m_dwHotBkColor;
    RECT rc;
    if (IntersectRect(rc, m_rcItem, m_rcPaint))
        CRenderEngine::DrawColor(target, rc, color);
}

void CButtonUI::PaintText(sf::RenderTarget& target)
{
    DWORD color
        = m_dwTextColor ? m_dwTextColor : (m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000);
    if (!IsEnabled())
        color = m_dwDisabledTextColor ? m_dwDisabledTextColor
                                      : (m_pManager ? m_pManager->GetDefaultDisabledColor() : 0xFFA7A6AA);
    else if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedTextColor)
        color = m_dwPushedTextColor;
    else if ((m_uButtonState & UISTATE_HOT) && m_dwHotTextColor)
        color = m_dwHotTextColor;
    else if (IsFocused() && m_dwFocusedTextColor)
        color = m_dwFocusedTextColor;
    PaintTextWithColor(target, color);
}

void CButtonUI::PaintStatusImage(sf::RenderTarget& target)
{
    // The most specific state image that exists wins; normal is the fallback.
    const CDuiString* image = &m_sNormalImage;
    if (!IsEnabled()) {
        if (!m_sDisabledImage.IsEmpty())
            image = &m_sDisabledImage;
    } else if (m_uButtonState & UISTATE_PUSHED) {
        if (!m_sPushedImage.IsEmpty())
            image = &m_sPushedImage;
    } else if (m_uButtonState & UISTATE_HOT) {
        if (!m_sHotImage.IsEmpty())
            image = &m_sHotImage;
    } else if (IsFocused() && !m_sFocusedImage.IsEmpty()) {
        image = &m_sFocusedImage;
    }
    if (!image->IsEmpty())
        DrawImage(target, *image);
    const CDuiString& fore
        = ((m_uButtonState & UISTATE_HOT) && !m_sHotForeImage.IsEmpty()) ? m_sHotForeImage : m_sForeImage;
    if (!fore.IsEmpty())
        DrawImage(target, fore);
}

}  // namespace DuiLib
