#pragma once
// A picture larger than one texture may be, held as a grid of tile textures
// of at most tileSize x tileSize pixels (by default the driver's maximum
// texture size). Tile (column c, row r) holds the image area at
// (c * tileSize, r * tileSize), clipped to the image.
//
// Threads: GL work, so one thread at a time with a GL context (the preview's
// render thread under the preview's lock); GetGrid is pure arithmetic.

#include <SFML/Graphics/Texture.hpp>

#include <cstdint>
#include <memory>
#include <vector>

namespace sf {
class Image;
}

namespace kelvara {

class TiledTexture
{
public:
    struct Grid
    {
        unsigned columns = 0;
        unsigned rows = 0;
    };

    // tileSize 0: the driver's maximum texture size.
    explicit TiledTexture(unsigned tileSize = 0);
    TiledTexture(const TiledTexture&) = delete;
    TiledTexture& operator=(const TiledTexture&) = delete;

    // Tiles for a width x height image: (size - 1) / tileSize + 1 each way.
    static Grid GetGrid(unsigned width, unsigned height, unsigned tileSize);
    // The driver's maximum texture size (queried once).
    static unsigned GetMaximumTileSize();

    // Loads width x height R,G,B,A pixels (rows top to bottom, tightly
    // packed). The tile textures are reused while the size stays the same;
    // otherwise all are made anew. False, with the previous tiles kept, when
    // the size is empty or a tile texture cannot be made.
    bool loadFromPixels(unsigned width, unsigned height, const uint8_t* pixels);
    bool loadFromImage(const sf::Image& image);

    // Applies to every tile, now and after later loads.
    void setSmooth(bool smooth);
    bool isSmooth() const { return m_smooth; }

    unsigned getTileSize() const { return m_tileSize; }
    unsigned getColumns() const { return m_columns; }
    unsigned getRows() const { return m_rows; }
    unsigned getWidth() const { return m_width; }
    unsigned getHeight() const { return m_height; }
    // Row by row from the top, left to right.
    const sf::Texture& getTile(unsigned column, unsigned row) const;
    std::size_t getTileCount() const { return m_textures.size(); }

private:
    bool uploadTiles(std::vector<std::unique_ptr<sf::Texture>>& textures, unsigned width, unsigned height,
        unsigned columns, const uint8_t* pixels);

    std::vector<std::unique_ptr<sf::Texture>> m_textures;
    unsigned m_tileSize;
    unsigned m_columns = 0;
    unsigned m_rows = 0;
    unsigned m_width = 0;
    unsigned m_height = 0;
    bool m_smooth = false;
    std::vector<uint8_t> m_scratch;  // one tile's pixels when the image has several columns
};

}  // namespace kelvara
