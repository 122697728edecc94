#include "platform/duilib/CVerticalLayoutUI.h"

#include <cstring>

namespace DuiLib {

void* CVerticalLayoutUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "VerticalLayout") == 0)
        return this;
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    LayoutLinear(true);
}

}  // namespace DuiLib
