#include "platform/duilib/CListContainerElementUI.h"

#include "platform/duilib/CListElementUI.h"
#include "platform/duilib/CRenderEngine.h"

#include <cstring>

namespace DuiLib {

void* CListContainerElementUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "ListItem") == 0)
        return static_cast<IListItemUI*>(this);
    if (std::strcmp(name, "ListContainerElement") == 0)
        return this;
    return CContainerUI::GetInterface(name);
}

void CListContainerElementUI::SetOwner(CControlUI* owner)
{
    m_pOwner = owner ? static_cast<IListOwnerUI*>(owner->GetInterface("IListOwner")) : nullptr;
}

bool CListContainerElementUI::Select(bool select)
{
    if (m_bSelected != select) {
        m_bSelected = select;
        Invalidate();
    }
    return true;
}

void CListContainerElementUI::DoEvent(TEventUI& event)
{
    if (HandleListItemEvent(this, this, m_bHot, event))
        return;
    CContainerUI::DoEvent(event);
}

void CListContainerElementUI::PaintBkColor(sf::RenderTarget& target)
{
    TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    DWORD color = m_dwBackColor;
    if (info && IsEnabled()) {
        if (m_bSelected && info->dwSelectedBkColor)
            color = info->dwSelectedBkColor;
        else if (m_bHot && info->dwHotBkColor)
            color = info->dwHotBkColor;
    }
    RECT rc;
    if (IntersectRect(rc, m_rcItem, m_rcPaint))
        CRenderEngine::DrawColor(target, rc, color);
}

}  // namespace DuiLib
