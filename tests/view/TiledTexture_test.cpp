// Tiles of a picture larger than one texture: content, reuse, failure, drawing.
#include "app/view/BigSprite.h"
#include "app/view/TiledTexture.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>

#include <gtest/gtest.h>

#include <vector>

using namespace kelvara;

namespace {

// A picture whose every pixel tells where it is: R = x, G = y (mod 256), B = seed.
std::vector<uint8_t> Pattern(unsigned w, unsigned h, uint8_t seed)
{
    std::vector<uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    for (unsigned y = 0; y < h; ++y) {
        for (unsigned x = 0; x < w; ++x) {
            uint8_t* p = &pixels[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y);
            p[2] = seed;
            p[3] = 255;
        }
    }
    return pixels;
}

sf::Color Expected(unsigned x, unsigned y, uint8_t seed)
{
    return sf::Color(static_cast<uint8_t>(x), static_cast<uint8_t>(y), seed, 255);
}

}  // namespace

TEST(TiledTexture, SplitsThePictureIntoClippedTilesWithTheRightPixels)
{
    const unsigned w = 600, h = 300;
    TiledTexture tiles(256);
    std::vector<uint8_t> pixels = Pattern(w, h, 7);
    ASSERT_TRUE(tiles.loadFromPixels(w, h, pixels.data()));
    ASSERT_EQ(tiles.getColumns(), 3u);
    ASSERT_EQ(tiles.getRows(), 2u);
    EXPECT_EQ(tiles.getTile(2, 0).getSize(), sf::Vector2u(88, 256));
    EXPECT_EQ(tiles.getTile(0, 1).getSize(), sf::Vector2u(256, 44));
    EXPECT_EQ(tiles.getTile(2, 1).getSize(), sf::Vector2u(88, 44));

    for (unsigned r = 0; r < 2; ++r) {
        for (unsigned c = 0; c < 3; ++c) {
            sf::Image tile = tiles.getTile(c, r).copyToImage();
            const unsigned x0 = c * 256, y0 = r * 256;
            const sf::Vector2u size = tile.getSize();
            for (sf::Vector2u p :
                {sf::Vector2u(0, 0), sf::Vector2u(size.x - 1, size.y - 1), sf::Vector2u(size.x / 2, 3)})
                EXPECT_EQ(tile.getPixel(p.x, p.y), Expected(x0 + p.x, y0 + p.y, 7))
                    << "tile " << c << "," << r;
        }
    }
}

TEST(TiledTexture, SameSizeReusesTexturesNewSizeRemakesThem)
{
    TiledTexture tiles(256);
    std::vector<uint8_t> first = Pattern(300, 200, 1);
    ASSERT_TRUE(tiles.loadFromPixels(300, 200, first.data()));
    const unsigned handle = tiles.getTile(1, 0).getNativeHandle();

    std::vector<uint8_t> second = Pattern(300, 200, 2);
    ASSERT_TRUE(tiles.loadFromPixels(300, 200, second.data()));
    EXPECT_EQ(tiles.getTile(1, 0).getNativeHandle(), handle);
    EXPECT_EQ(tiles.getTile(1, 0).copyToImage().getPixel(5, 5), Expected(261, 5, 2));

    std::vector<uint8_t> third = Pattern(100, 600, 3);
    ASSERT_TRUE(tiles.loadFromPixels(100, 600, third.data()));
    EXPECT_EQ(tiles.getColumns(), 1u);
    EXPECT_EQ(tiles.getRows(), 3u);
    EXPECT_EQ(tiles.getTile(0, 2).copyToImage().getPixel(1, 1), Expected(1, 513, 3));
}

TEST(TiledTexture, AFailedLoadKeepsThePreviousTiles)
{
    TiledTexture tiles(256);
    std::vector<uint8_t> pixels = Pattern(64, 64, 9);
    ASSERT_TRUE(tiles.loadFromPixels(64, 64, pixels.data()));
    EXPECT_FALSE(tiles.loadFromPixels(0, 64, pixels.data()));
    EXPECT_FALSE(tiles.loadFromPixels(64, 64, nullptr));
    // Larger than any texture may be: the tile cannot be made.
    TiledTexture huge(TiledTexture::GetMaximumTileSize() * 2);
    EXPECT_FALSE(huge.loadFromPixels(TiledTexture::GetMaximumTileSize() + 1, 1, pixels.data()));
    EXPECT_EQ(tiles.getWidth(), 64u);
    EXPECT_EQ(tiles.getTile(0, 0).copyToImage().getPixel(10, 20), Expected(10, 20, 9));
}

TEST(BigSprite, DrawsEveryTileUnderItsTransform)
{
    const unsigned w = 600, h = 300;
    TiledTexture tiles(256);
    std::vector<uint8_t> pixels = Pattern(w, h, 5);
    ASSERT_TRUE(tiles.loadFromPixels(w, h, pixels.data()));
    BigSprite sprite;
    sprite.setTiles(tiles);
    EXPECT_EQ(sprite.getSpriteCount(), 6u);
    EXPECT_EQ(sprite.getLocalBounds(), sf::FloatRect(0, 0, 600, 300));

    sf::RenderTexture target;
    ASSERT_TRUE(target.create(400, 400));
    target.clear(sf::Color::Black);
    sprite.setPosition(10, 20);
    target.draw(sprite);
    target.display();
    sf::Image shot = target.getTexture().copyToImage();
    // Target pixel (tx, ty) shows image pixel (tx - 10, ty - 20), across tile edges.
    for (sf::Vector2u t :
        {sf::Vector2u(10, 20), sf::Vector2u(270, 30), sf::Vector2u(399, 290), sf::Vector2u(300, 319)})
        EXPECT_EQ(shot.getPixel(t.x, t.y), Expected(t.x - 10, t.y - 20, 5)) << t.x << "," << t.y;
    EXPECT_EQ(shot.getPixel(5, 5), sf::Color::Black);
}
