// Calibrations across picture sizes.

#include "app/measure/CaliScaling.h"

#include <algorithm>
#include <cmath>

CaliFit FitPixelSize(double unitsPerPixel, int madeWidth, int madeHeight, int width, int height)
{
    CaliFit fit;
    fit.value = unitsPerPixel;
    if (madeWidth <= 0 || madeHeight <= 0 || width <= 0 || height <= 0
        || (madeWidth == width && madeHeight == height))
        return fit;
    // Aspect ratios compared as width x madeHeight against height x madeWidth,
    // relative to the larger (the same both ways round; no overflow in double).
    const double cross = static_cast<double>(width) * madeHeight;
    const double made = static_cast<double>(height) * madeWidth;
    if (std::fabs(cross - made) > kSameShapeTolerance * std::max(cross, made)) {
        fit.kind = CaliFit::kOtherShape;
        return fit;
    }
    fit.kind = CaliFit::kScaled;
    fit.value = unitsPerPixel * madeWidth / width;
    return fit;
}

CaliFit FitCalibration(const CaliData& entry, int width, int height)
{
    return FitPixelSize(entry.value, entry.width, entry.height, width, height);
}
