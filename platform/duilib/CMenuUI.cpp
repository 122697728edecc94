#include "platform/duilib/CMenuUI.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace DuiLib {

CMenuUI::CMenuUI()
{
    m_dwBackColor = 0xFFFFFFFF;
    m_dwBorderColor = 0xFF9A9A9A;
    m_nBorderSize = 1;
    m_rcInset = RECT{2, 2, 2, 2};
}

void* CMenuUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "Menu") == 0)
        return this;
    return CVerticalLayoutUI::GetInterface(name);
}

SIZE CMenuUI::EstimateMenuSize()
{
    long width = m_nMinWidth;
    long height = m_rcInset.top + m_rcInset.bottom;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsOwnVisible())
            continue;
        SIZE size = item->EstimateSize(SIZE{0, 0});
        long needed = size.cx;
        if (auto* element = static_cast<CMenuElementUI*>(item->GetInterface("MenuElement")))
            needed = element->GetNeededWidth();
        width = std::max<long>(width, needed + m_rcInset.left + m_rcInset.right);
        height += size.cy;
    }
    return SIZE{width, height};
}

void CMenuUI::SetAttribute(const char* name, const char* value)
{
    if (std::strcmp(name, "minwidth") == 0)
        SetMinMenuWidth(std::atoi(value));
    else
        CVerticalLayoutUI::SetAttribute(name, value);
}

}  // namespace DuiLib
