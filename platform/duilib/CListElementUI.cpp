#include "platform/duilib/CListElementUI.h"

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"

#include <cstring>

namespace DuiLib {

IListItemUI* AsListItem(CControlUI* control)
{
    return control ? static_cast<IListItemUI*>(control->GetInterface("ListItem")) : nullptr;
}

bool TListInfoUI::SetAttribute(const char* name, const char* value)
{
    std::string n = name;
    if (n == "itemfont")
        nFont = std::atoi(value);
    else if (n == "itemalign") {
        std::string v = value;
        uTextStyle &= ~(DT_LEFT | DT_CENTER | DT_RIGHT);
        if (v.find("center") != std::string::npos)
            uTextStyle |= DT_CENTER;
        else if (v.find("right") != std::string::npos)
            uTextStyle |= DT_RIGHT;
    } else if (n == "itemtextpadding")
        rcTextPadding = ParseRect(value);
    else if (n == "itemtextcolor")
        dwTextColor = ParseColor(value);
    else if (n == "itembkcolor")
        dwBkColor = ParseColor(value);
    else if (n == "itemselectedtextcolor")
        dwSelectedTextColor = ParseColor(value);
    else if (n == "itemselectedbkcolor")
        dwSelectedBkColor = ParseColor(value);
    else if (n == "itemhottextcolor")
        dwHotTextColor = ParseColor(value);
    else if (n == "itemhotbkcolor")
        dwHotBkColor = ParseColor(value);
    else if (n == "itemdisabledtextcolor")
        dwDisabledTextColor = ParseColor(value);
    else if (n == "itemdisabledbkcolor")
        dwDisabledBkColor = ParseColor(value);
    else if (n == "itemlinecolor")
        dwLineColor = ParseColor(value);
    else if (n == "itemshowhtml")
        bShowHtml = ParseBool(value);
    else
        return false;
    return true;
}

bool HandleListItemEvent(CControlUI* control, IListItemUI* item, bool& hot, TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (control->IsEnabled() && item->GetOwner()) {
            item->GetOwner()->SelectItem(item->GetIndex(), true);
            control->Invalidate();
        }
        return true;
    case UIEVENT_DBLCLICK:
        if (control->IsEnabled() && control->GetManager())
            control->GetManager()->SendNotify(control, "itemactivate", item->GetIndex());
        return true;
    case UIEVENT_BUTTONUP:
        return true;
    case UIEVENT_MOUSEENTER:
        if (control->IsEnabled()) {
            hot = true;
            control->Invalidate();
        }
        return true;
    case UIEVENT_MOUSELEAVE:
        if (hot) {
            hot = false;
            control->Invalidate();
        }
        return true;
    default:
        return false;
    }
}

void* CListElementUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "ListItem") == 0)
        return static_cast<IListItemUI*>(this);
    if (std::strcmp(name, "ListElement") == 0)
        return this;
    return CControlUI::GetInterface(name);
}

void CListElementUI::SetOwner(CControlUI* owner)
{
    m_pOwner = owner ? static_cast<IListOwnerUI*>(owner->GetInterface("IListOwner")) : nullptr;
}

bool CListElementUI::Select(bool select)
{
    if (m_bSelected == select)
        return true;
    m_bSelected = select;
    Invalidate();
    return true;
}

void CListElementUI::SetVisible(bool visible)
{
    CControlUI::SetVisible(visible);
    if (!IsVisible() && m_bSelected && m_pOwner)
        m_pOwner->SelectItem(-1);
}

void CListElementUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    if (!enabled)
        m_bHot = false;
}

SIZE CListElementUI::EstimateSize(SIZE)
{
    if (m_cxyFixed.cy > 0)
        return m_cxyFixed;
    int size = 12;
    if (m_pManager && m_pOwner)
        size = m_pManager->GetFont(m_pOwner->GetListInfo()->nFont)->iSize;
    return SIZE{m_cxyFixed.cx, size + 10};
}

void CListElementUI::DoEvent(TEventUI& event)
{
    if (HandleListItemEvent(this, this, m_bHot, event))
        return;
    CControlUI::DoEvent(event);
}

DWORD CListElementUI::ItemTextColor() const
{
    TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    DWORD fallback = m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000;
    if (info == nullptr)
        return fallback;
    if (!IsEnabled())
        return info->dwDisabledTextColor ? info->dwDisabledTextColor
                                         : (m_pManager ? m_pManager->GetDefaultDisabledColor() : 0xFFA7A6AA);
    if (m_bSelected && info->dwSelectedTextColor)
        return info->dwSelectedTextColor;
    if (m_bHot && info->dwHotTextColor)
        return info->dwHotTextColor;
    return info->dwTextColor ? info->dwTextColor : fallback;
}

void CListElementUI::DrawItemBk(sf::RenderTarget& target)
{
    TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    DWORD color = m_dwBackColor;
    if (info) {
        if (!IsEnabled() && info->dwDisabledBkColor)
            color = info->dwDisabledBkColor;
        else if (m_bSelected && info->dwSelectedBkColor)
            color = info->dwSelectedBkColor;
        else if (m_bHot && info->dwHotBkColor)
            color = info->dwHotBkColor;
        else if (color == 0)
            color = info->dwBkColor;
    }
    RECT rc;
    if (IntersectRect(rc, m_rcItem, m_rcPaint))
        CRenderEngine::DrawColor(target, rc, color);
    if (!m_sBkImage.IsEmpty())
        DrawImage(target, m_sBkImage);
    if (info && info->dwLineColor) {
        RECT line{m_rcItem.left, m_rcItem.bottom - 1, m_rcItem.right, m_rcItem.bottom};
        if (IntersectRect(rc, line, m_rcPaint))
            CRenderEngine::DrawColor(target, rc, info->dwLineColor);
    }
}

void CListElementUI::DoPaint(sf::RenderTarget& target, const RECT& rcPaint)
{
    if (!IntersectRect(m_rcPaint, rcPaint, m_rcItem))
        return;
    DrawItemBk(target);
    DrawItemText(target, m_rcItem);
    PaintBorder(target);
}

}  // namespace DuiLib
