#include "app/measure/SFPrimitiveTwoCircles3.h"

#include "app/measure/SFCircleGeometry.h"

namespace kelvara {

SFPrimitiveTwoCircles3::SFPrimitiveTwoCircles3(float x, float y, float viewZoom, float scale,
    float viewOriginX, float viewOriginY, const sf::String& unit)
    : SFPrimitiveTwoCircles(x, y, viewZoom, scale, viewOriginX, viewOriginY, unit)
{
}

bool SFPrimitiveTwoCircles3::CircleOf(int k, Circle& circle) const
{
    return Circumcircle(Point(3 * k), Point(3 * k + 1), Point(3 * k + 2), circle.centre, circle.radius);
}

bool SFPrimitiveTwoCircles3::CentreLine(sf::Vector2f& from, sf::Vector2f& to) const
{
    Circle first;
    Circle second;
    if (PointCount() < 6 || !CircleOf(0, first) || !CircleOf(1, second))
        return false;
    from = first.centre;
    to = second.centre;
    return true;
}

}  // namespace kelvara
