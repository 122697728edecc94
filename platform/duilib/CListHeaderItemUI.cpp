#include "platform/duilib/CListHeaderItemUI.h"

#include "platform/duilib/CRenderEngine.h"

#include <cstring>

namespace DuiLib {

CListHeaderItemUI::CListHeaderItemUI()
{
    m_uTextStyle = DT_VCENTER | DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
}

void* CListHeaderItemUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "ListHeaderItem") == 0)
        return this;
    return CLabelUI::GetInterface(name);
}

void CListHeaderItemUI::SetAttribute(const char* name, const char* value)
{
    if (std::strcmp(name, "sepcolor") == 0)
        SetSepColor(ParseColor(value));
    else
        CLabelUI::SetAttribute(name, value);
}

void CListHeaderItemUI::PaintBorder(sf::RenderTarget& target)
{
    CLabelUI::PaintBorder(target);
    RECT sep{m_rcItem.right - 1, m_rcItem.top + 3, m_rcItem.right, m_rcItem.bottom - 3};
    RECT clip;
    if (IntersectRect(clip, sep, m_rcPaint))
        CRenderEngine::DrawColor(target, clip, m_dwSepColor);
}

}  // namespace DuiLib
