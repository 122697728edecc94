#include "app/measure/MeasurePrimitiveFactory.h"

#include "app/measure/SFPrimitiveBrokenLine.h"
#include "app/measure/SFPrimitiveCalibration.h"
#include "app/measure/SFPrimitiveLine.h"
#include "app/measure/SFPrimitivePoint.h"
#include "app/measure/SFPrimitivePolygon.h"
#include "app/measure/SFPrimitiveRectangle.h"
#include "app/measure/SFPrimitiveText.h"

namespace kelvara {

namespace {

template <class Primitive>
std::unique_ptr<SFPrimitiveBase> Make(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
{
    return std::make_unique<Primitive>(x, y, viewZoom, scale, viewOriginX, viewOriginY, unit);
}

}  // namespace

std::unique_ptr<SFPrimitiveBase> MakePrimitive(int kind, float x, float y, float viewZoom, float scale,
    float viewOriginX, float viewOriginY, const sf::String& unit)
{
    using Factory
        = std::unique_ptr<SFPrimitiveBase> (*)(float, float, float, float, float, float, const sf::String&);
    static const Factory factories[kPrimitiveKindCount] = {
        Make<SFPrimitivePoint>,
        Make<SFPrimitiveLine>,
        Make<SFPrimitiveBrokenLine>,
        Make<SFPrimitiveRectangle>,
        Make<SFPrimitivePolygon>,
        nullptr,  // circle
        nullptr,  // two-point circle
        nullptr,  // three-point circle
        nullptr,  // arc
        nullptr,  // angle
        Make<SFPrimitiveText>,
        nullptr,  // perpendicular
        nullptr,  // crosshair
        nullptr,  // crosshair with size
        nullptr,  // parallel
        nullptr,  // concentric circles
        nullptr,  // two circles, centre and rim
        nullptr,  // two circles by diameters
        nullptr,  // two circles by three points
        Make<SFPrimitiveCalibration>,
    };
    if (kind < 0 || kind >= kPrimitiveKindCount || !factories[kind])
        return nullptr;
    return factories[kind](x, y, viewZoom, scale, viewOriginX, viewOriginY, unit);
}

}  // namespace kelvara
