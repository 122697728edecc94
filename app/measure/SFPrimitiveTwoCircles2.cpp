#include "app/measure/SFPrimitiveTwoCircles2.h"

namespace kelvara {

SFPrimitiveTwoCircles2::SFPrimitiveTwoCircles2(float x, float y, float viewZoom, float scale,
    float viewOriginX, float viewOriginY, const sf::String& unit)
    : SFPrimitiveTwoCircles(x, y, viewZoom, scale, viewOriginX, viewOriginY, unit)
{
}

bool SFPrimitiveTwoCircles2::CircleOf(int k, Circle& circle) const
{
    const sf::Vector2f a = Point(2 * k);
    const sf::Vector2f b = Point(2 * k + 1);
    circle.centre = (a + b) / 2.0f;
    circle.radius = Distance(a, b) * 0.5f;
    return true;
}

bool SFPrimitiveTwoCircles2::CentreLine(sf::Vector2f& from, sf::Vector2f& to) const
{
    if (PointCount() != 4)
        return false;
    from = (Point(0) + Point(1)) / 2.0f;
    to = (Point(2) + Point(3)) / 2.0f;
    return true;
}

}  // namespace kelvara
