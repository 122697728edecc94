#pragma once
// A rectangle with rounded corners, each corner an arc of cornerPointCount
// points. Used by one thread at a time.

#include <SFML/Graphics/Shape.hpp>

namespace kelvara {

class RoundedRectangleShape : public sf::Shape
{
public:
    explicit RoundedRectangleShape(
        const sf::Vector2f& size = sf::Vector2f(0, 0), float radius = 0, unsigned int cornerPointCount = 0);
    ~RoundedRectangleShape() override = default;

    void setSize(const sf::Vector2f& newSize);
    const sf::Vector2f& getSize() const { return size; }
    void setCornersRadius(float newRadius);
    float getCornersRadius() const { return radius; }
    void setCornerPointCount(unsigned int count);

    std::size_t getPointCount() const override;
    // Point i walks the corners counter-clockwise from the top-right one;
    // any index outside the shape gives (0, 0).
    sf::Vector2f getPoint(std::size_t index) const override;

private:
    sf::Vector2f size;
    float radius;
    unsigned int cornerPointCount;
};

}  // namespace kelvara
