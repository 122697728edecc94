#include "app/view/ImageFit.h"

namespace kelvara {

bool ComputeImageFit(int imageWidth, int imageHeight, float viewWidth, float viewHeight, ViewFit& out)
{
    if (imageWidth <= 0 || imageHeight <= 0)
        return false;
    const float w = static_cast<float>(imageWidth);
    const float h = static_cast<float>(imageHeight);
    ViewFit fit;
    if (w / h > viewWidth / viewHeight) {
        fit.zoom = viewWidth / w;
        fit.originX = 0.0f;
        fit.originY = (viewHeight - fit.zoom * h) * 0.5f;
    } else {
        fit.zoom = viewHeight / h;
        fit.originY = 0.0f;
        fit.originX = (viewWidth - fit.zoom * w) * 0.5f;
    }
    out = fit;
    return true;
}

}  // namespace kelvara
