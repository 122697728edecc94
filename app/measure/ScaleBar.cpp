#include "app/measure/ScaleBar.h"

#include <cmath>
#include <cstdio>

namespace kelvara {

namespace {

// The next smaller unit and how many of it make one of the unit; 0 when
// there is none worth switching to (micro-inches would give labels like
// "500000 µin", so inches keep their decimals).
struct SmallerUnit
{
    int unit;
    double factor;
};

SmallerUnit NextSmaller(int unit)
{
    switch (unit) {
    case 1:
        return {2, 10.0};  // cm -> mm
    case 2:
        return {3, 1000.0};  // mm -> um
    default:
        return {0, 0.0};
    }
}

// The 1-2-5 value nearest to value in ratio.
double RoundLength(double value)
{
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    double best = decade;
    for (double step : {1.0, 2.0, 5.0, 10.0}) {
        const double candidate = step * decade;
        if (std::fabs(std::log(candidate / value)) < std::fabs(std::log(best / value)))
            best = candidate;
    }
    return best;
}

std::string FormatLength(double length)
{
    char text[32];
    // Round values: "%g" shows 500, 0.5 and 2e-05 as written.
    std::snprintf(text, sizeof(text), "%.6g", length);
    return text;
}

}  // namespace

const char* ScaleBarUnitText(int unit)
{
    switch (unit) {
    case 1:
        return "cm";
    case 2:
        return "mm";
    case 3:
        return "\xC2\xB5m";
    case 4:
        return "in";
    case 5:
        return "\xC2\xB5in";
    default:
        return "";
    }
}

bool ChooseScaleBar(double unitsPerPixel, int unit, double wantedPixels, ScaleBarLength* bar)
{
    if (bar == nullptr || unit < 1 || unit > 5)
        return false;
    if (!(unitsPerPixel > 0) || !std::isfinite(unitsPerPixel) || !(wantedPixels > 0)
        || !std::isfinite(wantedPixels))
        return false;
    double length = RoundLength(unitsPerPixel * wantedPixels);
    double perPixel = unitsPerPixel;
    // Below one unit, the next smaller unit reads better; the rounding is
    // the same in both (the factors are powers of ten).
    while (length < 1.0) {
        const SmallerUnit smaller = NextSmaller(unit);
        if (smaller.unit == 0)
            break;
        unit = smaller.unit;
        length = std::round(length * smaller.factor * 1e6) / 1e6;
        perPixel *= smaller.factor;
    }
    bar->length = length;
    bar->unit = unit;
    bar->picturePixels = length / perPixel;
    bar->label = FormatLength(length) + " " + ScaleBarUnitText(unit);
    return true;
}

}  // namespace kelvara
