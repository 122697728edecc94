#pragma once
// The scale bar shown on a calibrated picture: a round length (1, 2 or 5
// times a power of ten of the calibration's unit) close to a wanted length
// in picture pixels, in the next smaller unit when it would be below 1 (500
// um rather than 0.5 mm), with its label. Pure functions; any thread.

#include <string>

namespace kelvara {

struct ScaleBarLength
{
    double length = 0;  // in `unit`
    int unit = 0;  // unit code as in the calibrations ("cm", "mm", "um", "in", "uin")
    double picturePixels = 0;  // the bar's length in picture pixels
    std::string label;  // "500 µm" (UTF-8)
};

// unitsPerPixel: calibration value (unit per picture pixel); wantedPixels:
// about how long the bar should be, in picture pixels. False for unit 0
// ("px"), an unknown unit, or a value or wanted length that is not positive
// and finite.
bool ChooseScaleBar(double unitsPerPixel, int unit, double wantedPixels, ScaleBarLength* bar);

// The unit's name as a label shows it: "cm", "mm", "µm", "in", "µin".
const char* ScaleBarUnitText(int unit);

// Where the bar sits on the view.
enum class ScaleBarCorner
{
    kBottomRight = 0,
    kBottomLeft = 1,
    kTopRight = 2,
    kTopLeft = 3,
};

}  // namespace kelvara
