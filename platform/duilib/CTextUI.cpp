#include "platform/duilib/CTextUI.h"

#include <cstring>

namespace DuiLib {

CTextUI::CTextUI()
{
    m_uTextStyle = DT_WORDBREAK;
}

void* CTextUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "Text") == 0)
        return this;
    return CLabelUI::GetInterface(name);
}

}  // namespace DuiLib
