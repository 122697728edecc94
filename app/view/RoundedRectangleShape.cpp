#include "app/view/RoundedRectangleShape.h"

#include <cmath>

namespace kelvara {

RoundedRectangleShape::RoundedRectangleShape(
    const sf::Vector2f& size, float radius, unsigned int cornerPointCount)
    : size(size)
    , radius(radius)
    , cornerPointCount(cornerPointCount)
{
    update();
}

void RoundedRectangleShape::setSize(const sf::Vector2f& newSize)
{
    size = newSize;
    update();
}

void RoundedRectangleShape::setCornersRadius(float newRadius)
{
    radius = newRadius;
    update();
}

void RoundedRectangleShape::setCornerPointCount(unsigned int count)
{
    cornerPointCount = count;
    update();
}

std::size_t RoundedRectangleShape::getPointCount() const
{
    return static_cast<std::size_t>(cornerPointCount) * 4;
}

sf::Vector2f RoundedRectangleShape::getPoint(std::size_t index) const
{
    const std::size_t n = cornerPointCount;
    if (index >= n * 4)
        return {0, 0};
    const std::size_t quadrant = index / n;
    sf::Vector2f centre;
    switch (quadrant) {
    case 0:
        centre = {size.x - radius, radius};
        break;
    case 1:
        centre = {radius, radius};
        break;
    case 2:
        centre = {radius, size.y - radius};
        break;
    default:
        centre = {size.x - radius, size.y - radius};
        break;
    }
    const float pi = 3.141592654f;
    float degrees;
    if (n > 1)
        degrees = 90.0f / static_cast<float>(n - 1) * static_cast<float>(index - quadrant);
    else
        degrees = 45.0f + 90.0f * static_cast<float>(quadrant);  // one point: the arc's middle
    const float angle = degrees * pi / 180.0f;
    return {radius * std::cos(angle) + centre.x, centre.y - radius * std::sin(angle)};
}

}  // namespace kelvara
