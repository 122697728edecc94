#include "platform/duilib/CListTextElementUI.h"

#include "platform/duilib/UIListCallback.h"

#include <cstring>

namespace DuiLib {

void* CListTextElementUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "ListTextElement") == 0)
        return this;
    return CListLabelElementUI::GetInterface(name);
}

void CListTextElementUI::SetOwner(CControlUI* owner)
{
    CListLabelElementUI::SetOwner(owner);
    m_pList = owner ? static_cast<IListUI*>(owner->GetInterface("IList")) : nullptr;
}

CDuiString CListTextElementUI::GetText(int column) const
{
    if (column < 0 || column >= static_cast<int>(m_aTexts.size()))
        return CDuiString();
    return m_aTexts[static_cast<size_t>(column)];
}

void CListTextElementUI::SetText(int column, const char* text)
{
    if (column < 0 || column >= UILIST_MAX_COLUMNS)
        return;
    if (static_cast<int>(m_aTexts.size()) <= column)
        m_aTexts.resize(static_cast<size_t>(column) + 1);
    m_aTexts[static_cast<size_t>(column)] = text;
    Invalidate();
}

void CListTextElementUI::DrawItemText(sf::RenderTarget& target, const RECT& rcItem)
{
    TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    IListCallbackUI* callback = m_pList ? m_pList->GetTextCallback() : nullptr;
    int columns = info && info->nColumns > 0 ? info->nColumns : 1;
    if (static_cast<int>(m_aTexts.size()) < columns)
        m_aTexts.resize(static_cast<size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        if (callback)
            m_aTexts[static_cast<size_t>(i)] = callback->GetItemText(this, m_iIndex, i);
        RECT cell = rcItem;
        if (info && info->nColumns > 0) {
            cell.left = info->rcColumn[i].left;
            cell.right = info->rcColumn[i].right;
        }
        DrawCell(target, cell, m_aTexts[static_cast<size_t>(i)]);
    }
}

}  // namespace DuiLib
