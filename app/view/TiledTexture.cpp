#include "app/view/TiledTexture.h"

#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <cstring>

namespace kelvara {

TiledTexture::TiledTexture(unsigned tileSize)
    : m_tileSize(tileSize)
{
}

TiledTexture::Grid TiledTexture::GetGrid(unsigned width, unsigned height, unsigned tileSize)
{
    Grid grid;
    if (width == 0 || height == 0 || tileSize == 0)
        return grid;
    grid.columns = (width - 1) / tileSize + 1;
    grid.rows = (height - 1) / tileSize + 1;
    return grid;
}

unsigned TiledTexture::GetMaximumTileSize()
{
    static const unsigned size = sf::Texture::getMaximumSize();
    return size;
}

bool TiledTexture::loadFromImage(const sf::Image& image)
{
    return loadFromPixels(image.getSize().x, image.getSize().y, image.getPixelsPtr());
}

bool TiledTexture::loadFromPixels(unsigned width, unsigned height, const uint8_t* pixels)
{
    if (m_tileSize == 0)
        m_tileSize = GetMaximumTileSize();
    if (width == 0 || height == 0 || pixels == nullptr || m_tileSize == 0)
        return false;
    const Grid grid = GetGrid(width, height, m_tileSize);

    if (width == m_width && height == m_height && !m_textures.empty())
        return uploadTiles(m_textures, width, height, grid.columns, pixels);

    // A new size: make every tile first, so a failure keeps the old ones.
    std::vector<std::unique_ptr<sf::Texture>> textures;
    textures.reserve(static_cast<std::size_t>(grid.columns) * grid.rows);
    for (unsigned r = 0; r < grid.rows; ++r) {
        for (unsigned c = 0; c < grid.columns; ++c) {
            const unsigned w = std::min(m_tileSize, width - c * m_tileSize);
            const unsigned h = std::min(m_tileSize, height - r * m_tileSize);
            auto texture = std::make_unique<sf::Texture>();
            if (!texture->create(w, h))
                return false;
            texture->setSmooth(m_smooth);
            textures.push_back(std::move(texture));
        }
    }
    if (!uploadTiles(textures, width, height, grid.columns, pixels))
        return false;
    m_textures.swap(textures);
    m_columns = grid.columns;
    m_rows = grid.rows;
    m_width = width;
    m_height = height;
    return true;
}

bool TiledTexture::uploadTiles(std::vector<std::unique_ptr<sf::Texture>>& textures, unsigned width,
    unsigned height, unsigned columns, const uint8_t* pixels)
{
    if (columns == 1 && textures.size() == 1) {
        textures[0]->update(pixels, width, height, 0, 0);
        return true;
    }
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    for (std::size_t i = 0; i < textures.size(); ++i) {
        const unsigned c = static_cast<unsigned>(i % columns);
        const unsigned r = static_cast<unsigned>(i / columns);
        const unsigned x = c * m_tileSize;
        const unsigned y = r * m_tileSize;
        const unsigned w = std::min(m_tileSize, width - x);
        const unsigned h = std::min(m_tileSize, height - y);
        const uint8_t* first = pixels + y * stride + static_cast<std::size_t>(x) * 4;
        if (columns == 1) {
            // Full rows: the tile's pixels are contiguous already.
            textures[i]->update(first, w, h, 0, 0);
            continue;
        }
        const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
        m_scratch.resize(rowBytes * h);
        for (unsigned row = 0; row < h; ++row)
            std::memcpy(m_scratch.data() + row * rowBytes, first + row * stride, rowBytes);
        textures[i]->update(m_scratch.data(), w, h, 0, 0);
    }
    return true;
}

void TiledTexture::setSmooth(bool smooth)
{
    m_smooth = smooth;
    for (auto& texture : m_textures)
        texture->setSmooth(smooth);
}

const sf::Texture& TiledTexture::getTile(unsigned column, unsigned row) const
{
    return *m_textures.at(static_cast<std::size_t>(row) * m_columns + column);
}

}  // namespace kelvara
