#include "platform/duilib/CHorizontalLayoutUI.h"

#include <cstring>

namespace DuiLib {

void* CHorizontalLayoutUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "HorizontalLayout") == 0)
        return this;
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    LayoutLinear(false);
}

}  // namespace DuiLib
