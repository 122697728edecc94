#include "platform/duilib/CListLabelElementUI.h"

#include "platform/duilib/CHtmlText.h"
#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"

#include <cstring>

namespace DuiLib {

void* CListLabelElementUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "ListLabelElement") == 0)
        return this;
    return CListElementUI::GetInterface(name);
}

void CListLabelElementUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    m_bOwnPadding = true;
    Invalidate();
}

void CListLabelElementUI::SetAttribute(const char* name, const char* value)
{
    if (std::strcmp(name, "textpadding") == 0)
        SetTextPadding(ParseRect(value));
    else
        CListElementUI::SetAttribute(name, value);
}

void CListLabelElementUI::DrawCell(sf::RenderTarget& target, RECT rc, const CDuiString& text)
{
    if (m_pManager == nullptr || text.IsEmpty())
        return;
    TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    RECT pad = m_bOwnPadding ? m_rcTextPadding : (info ? info->rcTextPadding : RECT{0, 0, 0, 0});
    rc.left += pad.left;
    rc.top += pad.top;
    rc.right -= pad.right;
    rc.bottom -= pad.bottom;
    RECT clip;
    if (!IntersectRect(clip, rc, m_rcPaint))
        return;
    CRenderEngine::ClipScope scope(target, clip);
    if (scope.IsEmpty())
        return;
    int font = info ? info->nFont : -1;
    UINT style = info ? info->uTextStyle : (DT_VCENTER | DT_SINGLELINE);
    if (info && info->bShowHtml)
        CHtmlText::Draw(&target, m_pManager, rc, text, ItemTextColor(), font, style);
    else
        CRenderEngine::DrawText(&target, rc, text, ItemTextColor(), m_pManager->GetFont(font), style);
}

void CListLabelElementUI::DrawItemText(sf::RenderTarget& target, const RECT& rcItem)
{
    DrawCell(target, rcItem, GetText());
}

}  // namespace DuiLib
