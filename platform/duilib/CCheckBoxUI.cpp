#include "platform/duilib/CCheckBoxUI.h"

#include <cstring>

namespace DuiLib {

void* CCheckBoxUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "CheckBox") == 0)
        return this;
    return COptionUI::GetInterface(name);
}

}  // namespace DuiLib
