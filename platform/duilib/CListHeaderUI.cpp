#include "platform/duilib/CListHeaderUI.h"

#include <cstring>

namespace DuiLib {

CListHeaderUI::CListHeaderUI()
{
    m_dwBackColor = 0xFFEFEFEF;
}

void* CListHeaderUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "ListHeader") == 0)
        return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

SIZE CListHeaderUI::EstimateSize(SIZE)
{
    // Never "share the rest": a header is a row of its own height.
    return SIZE{m_cxyFixed.cx, m_cxyFixed.cy > 0 ? m_cxyFixed.cy : 24};
}

}  // namespace DuiLib
