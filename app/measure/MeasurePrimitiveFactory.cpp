#include "app/measure/MeasurePrimitiveFactory.h"

#include "app/measure/SFPrimitiveAngle.h"
#include "app/measure/SFPrimitiveArc.h"
#include "app/measure/SFPrimitiveBrokenLine.h"
#include "app/measure/SFPrimitiveCalibration.h"
#include "app/measure/SFPrimitiveCircle.h"
#include "app/measure/SFPrimitiveCircle2.h"
#include "app/measure/SFPrimitiveCircle3.h"
#include "app/measure/SFPrimitiveConcentrical.h"
#include "app/measure/SFPrimitiveCrosshair.h"
#include "app/measure/SFPrimitiveCrosshair2.h"
#include "app/measure/SFPrimitiveLine.h"
#include "app/measure/SFPrimitiveParallel.h"
#include "app/measure/SFPrimitivePerpendicular.h"
#include "app/measure/SFPrimitivePoint.h"
#include "app/measure/SFPrimitivePolygon.h"
#include "app/measure/SFPrimitiveRectangle.h"
#include "app/measure/SFPrimitiveText.h"
#include "app/measure/SFPrimitiveTwoCircles.h"
#include "app/measure/SFPrimitiveTwoCircles2.h"
#include "app/measure/SFPrimitiveTwoCircles3.h"

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
        Make<SFPrimitiveCircle>,
        Make<SFPrimitiveCircle2>,
        Make<SFPrimitiveCircle3>,
        Make<SFPrimitiveArc>,
        Make<SFPrimitiveAngle>,
        Make<SFPrimitiveText>,
        Make<SFPrimitivePerpendicular>,
        Make<SFPrimitiveCrosshair>,
        Make<SFPrimitiveCrosshair2>,
        Make<SFPrimitiveParallel>,
        Make<SFPrimitiveConcentrical>,
        Make<SFPrimitiveTwoCircles>,
        Make<SFPrimitiveTwoCircles2>,
        Make<SFPrimitiveTwoCircles3>,
        Make<SFPrimitiveCalibration>,
    };
    if (kind < 0 || kind >= kPrimitiveKindCount)
        return nullptr;
    return factories[kind](x, y, viewZoom, scale, viewOriginX, viewOriginY, unit);
}

}  // namespace kelvara
