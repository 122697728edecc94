#include "app/view/BigSprite.h"

#include "app/view/TiledTexture.h"

#include <SFML/Graphics/RenderTarget.hpp>

namespace kelvara {

void BigSprite::setTiles(const TiledTexture& tiles)
{
    m_sprites.clear();
    const float tileSize = static_cast<float>(tiles.getTileSize());
    for (unsigned r = 0; r < tiles.getRows(); ++r) {
        for (unsigned c = 0; c < tiles.getColumns(); ++c) {
            sf::Sprite sprite(tiles.getTile(c, r));
            sprite.setPosition(static_cast<float>(c) * tileSize, static_cast<float>(r) * tileSize);
            m_sprites.push_back(sprite);
        }
    }
    m_size = {static_cast<float>(tiles.getWidth()), static_cast<float>(tiles.getHeight())};
}

sf::FloatRect BigSprite::getLocalBounds() const
{
    return {0.0f, 0.0f, m_size.x, m_size.y};
}

void BigSprite::draw(sf::RenderTarget& target, sf::RenderStates states) const
{
    states.transform *= getTransform();
    for (const sf::Sprite& sprite : m_sprites)
        target.draw(sprite, states);
}

}  // namespace kelvara
