// Format ranges.

#include "platform/directshow/CaptureDevice.h"

namespace kelvara::dshow {

FormatRange FormatRange::Discrete(const GUID& subtype, int width, int height)
{
    return Stepwise(subtype, width, height, width, height, 1, 1);
}

FormatRange FormatRange::Stepwise(const GUID& subtype, int minWidth, int minHeight, int maxWidth,
    int maxHeight, int stepWidth, int stepHeight)
{
    FormatRange r;
    r.subtype = subtype;
    r.minWidth = minWidth;
    r.minHeight = minHeight;
    r.maxWidth = maxWidth;
    r.maxHeight = maxHeight;
    r.stepWidth = stepWidth < 1 ? 1 : stepWidth;
    r.stepHeight = stepHeight < 1 ? 1 : stepHeight;
    return r;
}

bool FormatRange::Contains(int width, int height) const
{
    if (width < minWidth || width > maxWidth || height < minHeight || height > maxHeight)
        return false;
    const int sw = stepWidth < 1 ? 1 : stepWidth;
    const int sh = stepHeight < 1 ? 1 : stepHeight;
    return (width - minWidth) % sw == 0 && (height - minHeight) % sh == 0;
}

}  // namespace kelvara::dshow
