#pragma once
// The frames of an animation: rectangles cut from one texture. A plain record;
// the texture is borrowed and must outlive every sprite that plays it.

#include <SFML/Graphics/Rect.hpp>

#include <vector>

namespace sf {
class Texture;
}

namespace kelvara {

struct SFAnimation
{
    std::vector<sf::IntRect> frames;
    const sf::Texture* texture = nullptr;
};

}  // namespace kelvara
