#include "platform/duilib/CMenuElementUI.h"

#include "platform/duilib/CMenuWnd.h"
#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"

#include <SFML/Graphics/ConvexShape.hpp>
#include <SFML/Graphics/VertexArray.hpp>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace DuiLib {
namespace {
constexpr long kDefaultItemHeight = 28;
constexpr long kArrowColumn = 20;
}  // namespace

CMenuElementUI::CMenuElementUI()
{
    m_cxyFixed.cy = 0;
}

void* CMenuElementUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "MenuElement") == 0)
        return this;
    return CContainerUI::GetInterface(name);
}

void CMenuElementUI::SetIcon(const char* image)
{
    m_sIcon = image;
    Invalidate();
}

void CMenuElementUI::SetIconSize(long cx, long cy)
{
    m_szIcon = SIZE{cx, cy};
    NeedParentUpdate();
}

bool CMenuElementUI::HasSubMenu() const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (GetItemAt(i)->GetInterface("MenuElement"))
            return true;
    }
    return false;
}

CMenuWnd* CMenuElementUI::GetMenuWnd() const
{
    if (m_pManager == nullptr)
        return nullptr;
    return dynamic_cast<CMenuWnd*>(CWindowWnd::FromHandle(m_pManager->GetPaintWindow()));
}

void CMenuElementUI::SetChecked(bool checked)
{
    m_bChecked = checked;
    m_bCheckedByCode = true;
    if (CMenuWnd* wnd = GetMenuWnd()) {
        if (MenuCheckMap* map = wnd->GetCheckMap(); map && !m_sName.IsEmpty())
            (*map)[m_sName] = checked;
    }
    Invalidate();
}

void CMenuElementUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    CContainerUI::SetManager(manager, parent, init);
    // Joining a menu: the check map and the state set from code meet.
    CMenuWnd* wnd = GetMenuWnd();
    MenuCheckMap* map = wnd ? wnd->GetCheckMap() : nullptr;
    if (map == nullptr || !m_bCheckItem || m_sName.IsEmpty())
        return;
    if (m_bCheckedByCode) {
        (*map)[m_sName] = m_bChecked;
    } else {
        auto it = map->find(m_sName);
        if (it != map->end())
            m_bChecked = it->second;
    }
}

SIZE CMenuElementUI::EstimateSize(SIZE)
{
    // Full width in the menu's column; GetNeededWidth tells the menu how wide.
    if (m_bLine)
        return SIZE{0, m_cxyFixed.cy > 0 ? m_cxyFixed.cy : 7};
    return SIZE{0, m_cxyFixed.cy > 0 ? m_cxyFixed.cy : kDefaultItemHeight};
}

long CMenuElementUI::GetNeededWidth()
{
    if (m_bLine)
        return 0;
    long text = 0;
    if (m_pManager)
        text = CRenderEngine::GetTextSize(GetText(), m_pManager->GetFont(m_iFont)).cx;
    long iconColumn = std::max<long>(m_szIcon.cx, 16) + 12;
    return iconColumn + text + kArrowColumn + 16;
}

void CMenuElementUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    // Sub-items are shown by the sub-menu window, not inside the item.
    CControlUI::SetPos(rc, bNeedInvalidate);
}

CControlUI* CMenuElementUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags)
{
    if (flags & UIFIND_HITTEST)
        return CControlUI::FindControl(proc, data, flags);
    return CContainerUI::FindControl(proc, data, flags);
}

void CMenuElementUI::DoEvent(TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_MOUSEENTER:
        if (!m_bLine && IsEnabled()) {
            m_bHot = true;
            Invalidate();
        }
        if (CMenuWnd* wnd = GetMenuWnd())
            wnd->OnItemHover(this);
        return;
    case UIEVENT_MOUSELEAVE:
        if (m_bHot) {
            m_bHot = false;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        return;
    case UIEVENT_BUTTONUP:
    case UIEVENT_RBUTTONUP:
        if (!m_bLine && IsEnabled() && PtInRect(m_rcItem, event.ptMouse)) {
            if (CMenuWnd* wnd = GetMenuWnd()) {
                if (HasSubMenu())
                    wnd->OnItemHover(this);
                else
                    wnd->OnItemClick(this);
            }
        }
        return;
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

void CMenuElementUI::DoPaint(sf::RenderTarget& target, const RECT& rcPaint)
{
    if (!IntersectRect(m_rcPaint, rcPaint, m_rcItem) || m_pManager == nullptr)
        return;
    RECT clip = m_rcPaint;
    if (m_bLine) {
        long y = (m_rcItem.top + m_rcItem.bottom) / 2;
        RECT line{m_rcItem.left + 6, y, m_rcItem.right - 6, y + 1};
        RECT rc;
        if (IntersectRect(rc, line, clip))
            CRenderEngine::DrawColor(target, rc, m_dwLineColor);
        return;
    }
    // Text, check mark and sub-menu arrow share the item's text colour.
    const DWORD color = !IsEnabled() ? m_pManager->GetDefaultDisabledColor()
        : m_dwTextColor              ? m_dwTextColor
                                     : m_pManager->GetDefaultFontColor();
    PaintBkColor(target);
    if (m_bHot && IsEnabled())
        CRenderEngine::DrawColor(target, clip, m_dwHotBkColor);
    PaintBkImage(target);

    long iconColumn = std::max<long>(m_szIcon.cx, 16) + 12;
    long midY = (m_rcItem.top + m_rcItem.bottom) / 2;
    bool showIcon = !m_bCheckItem || m_bChecked;
    if (showIcon && !m_sIcon.IsEmpty()) {
        RECT icon{m_rcItem.left + (iconColumn - m_szIcon.cx) / 2, midY - m_szIcon.cy / 2, 0, 0};
        icon.right = icon.left + m_szIcon.cx;
        icon.bottom = icon.top + m_szIcon.cy;
        CRenderEngine::DrawImageString(target, icon, clip, m_sIcon);
    } else if (m_bCheckItem && m_bChecked) {
        // A check mark when the item has no icon of its own.
        CRenderEngine::ClipScope scope(target, clip);
        if (!scope.IsEmpty()) {
            float cx = static_cast<float>(m_rcItem.left + iconColumn / 2);
            float cy = static_cast<float>(midY);
            sf::VertexArray mark(sf::LinesStrip, 3);
            const sf::Color markColor = CRenderEngine::ToColor(color);
            mark[0] = sf::Vertex({cx - 5, cy}, markColor);
            mark[1] = sf::Vertex({cx - 1, cy + 4}, markColor);
            mark[2] = sf::Vertex({cx + 6, cy - 5}, markColor);
            target.draw(mark);
        }
    }
    RECT text{m_rcItem.left + iconColumn, m_rcItem.top, m_rcItem.right - kArrowColumn, m_rcItem.bottom};
    RECT textClip;
    if (IntersectRect(textClip, text, clip)) {
        CRenderEngine::ClipScope scope(target, textClip);
        if (!scope.IsEmpty())
            CRenderEngine::DrawText(
                &target, text, GetText(), color, m_pManager->GetFont(m_iFont), DT_SINGLELINE | DT_VCENTER);
    }
    if (m_bShowExpandIcon && HasSubMenu()) {
        CRenderEngine::ClipScope scope(target, clip);
        if (!scope.IsEmpty()) {
            float x = static_cast<float>(m_rcItem.right - kArrowColumn / 2);
            float y = static_cast<float>(midY);
            sf::ConvexShape arrow(3);
            arrow.setPoint(0, {x - 2, y - 4});
            arrow.setPoint(1, {x + 2, y});
            arrow.setPoint(2, {x - 2, y + 4});
            arrow.setFillColor(CRenderEngine::ToColor(color));
            target.draw(arrow);
        }
    }
}

void CMenuElementUI::SetAttribute(const char* name, const char* value)
{
    std::string n = name;
    if (n == "icon")
        SetIcon(value);
    else if (n == "iconsize") {
        SIZE size = ParseSize(value);
        SetIconSize(size.cx, size.cy);
    } else if (n == "checkitem")
        SetCheckItem(ParseBool(value));
    else if (n == "checked") {
        m_bChecked = ParseBool(value);
    } else if (n == "showexpandicon" || n == "expandicon")
        SetShowExplandIcon(ParseBool(value));
    else if (n == "line")
        SetLine(ParseBool(value));
    else if (n == "textcolor")
        m_dwTextColor = ParseColor(value);
    else if (n == "hotbkcolor")
        m_dwHotBkColor = ParseColor(value);
    else if (n == "linecolor")
        m_dwLineColor = ParseColor(value);
    else if (n == "font")
        m_iFont = std::atoi(value);
    else
        CContainerUI::SetAttribute(name, value);
}

}  // namespace DuiLib
