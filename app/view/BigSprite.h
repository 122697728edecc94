#pragma once
// Draws a TiledTexture: one sprite per tile at (c * tileSize, r * tileSize),
// all under the BigSprite's own transform. Used by one thread at a time (the
// preview's render thread under its lock; the transform is also set under
// that lock).

#include <SFML/Graphics/Drawable.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Transformable.hpp>

#include <vector>

namespace kelvara {

class TiledTexture;

class BigSprite : public sf::Drawable, public sf::Transformable
{
public:
    BigSprite() = default;
    ~BigSprite() override = default;

    // Rebuilds the tile sprites; the textures are borrowed from tiles and
    // must stay until the next setTiles.
    void setTiles(const TiledTexture& tiles);
    sf::FloatRect getLocalBounds() const;
    std::size_t getSpriteCount() const { return m_sprites.size(); }

protected:
    void draw(sf::RenderTarget& target, sf::RenderStates states) const override;

private:
    std::vector<sf::Sprite> m_sprites;
    sf::Vector2f m_size;
};

}  // namespace kelvara
