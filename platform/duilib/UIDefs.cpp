#include "platform/duilib/UIDefs.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace DuiLib {

bool IntersectRect(RECT& out, const RECT& a, const RECT& b)
{
    out.left = std::max(a.left, b.left);
    out.top = std::max(a.top, b.top);
    out.right = std::min(a.right, b.right);
    out.bottom = std::min(a.bottom, b.bottom);
    if (IsRectEmpty(out)) {
        out = RECT{0, 0, 0, 0};
        return false;
    }
    return true;
}

DWORD ParseColor(const char* value)
{
    if (value == nullptr)
        return 0;
    while (*value == ' ')
        ++value;
    if (*value == '#')
        ++value;
    return static_cast<DWORD>(std::strtoul(value, nullptr, 16));
}

RECT ParseRect(const char* value)
{
    long v[4] = {0, 0, 0, 0};
    const char* p = value ? value : "";
    for (int i = 0; i < 4 && *p; ++i) {
        char* end = nullptr;
        v[i] = std::strtol(p, &end, 10);
        if (end == p)
            break;
        p = end;
        while (*p == ',' || *p == ' ')
            ++p;
    }
    return RECT{v[0], v[1], v[2], v[3]};
}

SIZE ParseSize(const char* value)
{
    RECT rc = ParseRect(value);
    return SIZE{rc.left, rc.top};
}

bool ParseBool(const char* value)
{
    return value != nullptr && std::strcmp(value, "true") == 0;
}

}  // namespace DuiLib
