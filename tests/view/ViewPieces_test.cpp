// Fit arithmetic, tile grids, the rounded box, the animated dot and the timer text.
#include "app/view/ImageFit.h"
#include "app/view/RecordingIndicator.h"
#include "app/view/RoundedRectangleShape.h"
#include "app/view/SFAnimatedSprite.h"
#include "app/view/TiledTexture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kelvara;

namespace {

struct FitCase
{
    const char* name;
    int w, h;
    float viewW, viewH;
    float zoom, originX, originY;
};

}  // namespace

TEST(ImageFit, FitsTheWholeImageCentred)
{
    const FitCase cases[] = {
        {"4000x3000 in 800x500: fills the height", 4000, 3000, 800, 500, 500.0f / 3000.0f, 66.6667f, 0.0f},
        {"wider than the view: fills the width", 1920, 1080, 800, 600, 800.0f / 1920.0f, 0.0f, 75.0f},
        {"exact aspect takes the height branch", 1600, 1000, 800, 500, 0.5f, 0.0f, 0.0f},
        {"smaller than the view is enlarged", 320, 240, 800, 600, 2.5f, 0.0f, 0.0f},
        {"a single row", 1000, 1, 500, 500, 0.5f, 0.0f, 249.75f},
    };
    for (const FitCase& c : cases) {
        ViewFit fit;
        ASSERT_TRUE(ComputeImageFit(c.w, c.h, c.viewW, c.viewH, fit)) << c.name;
        EXPECT_NEAR(fit.zoom, c.zoom, 1e-5) << c.name;
        EXPECT_NEAR(fit.originX, c.originX, 1e-3) << c.name;
        EXPECT_NEAR(fit.originY, c.originY, 1e-3) << c.name;
    }
}

TEST(ImageFit, ImagesWithoutAreaLeaveTheFitAlone)
{
    for (auto size : {std::pair{0, 100}, std::pair{100, 0}, std::pair{-640, 480}, std::pair{640, -480}}) {
        ViewFit fit{3.0f, 4.0f, 5.0f};
        EXPECT_FALSE(ComputeImageFit(size.first, size.second, 800, 500, fit));
        EXPECT_EQ(fit.zoom, 3.0f);
        EXPECT_EQ(fit.originX, 4.0f);
    }
}

TEST(TiledTexture, GridCountsFollowTheTileSize)
{
    struct
    {
        unsigned w, h, tile, columns, rows;
    } cases[] = {
        {8000, 6000, 16384, 1, 1},
        {8000, 6000, 4096, 2, 2},
        {8192, 4096, 4096, 2, 1},
        {8193, 4097, 4096, 3, 2},
        {1, 1, 4096, 1, 1},
        {0, 100, 4096, 0, 0},
        {100, 100, 0, 0, 0},
    };
    for (const auto& c : cases) {
        TiledTexture::Grid grid = TiledTexture::GetGrid(c.w, c.h, c.tile);
        EXPECT_EQ(grid.columns, c.columns) << c.w << "x" << c.h << " / " << c.tile;
        EXPECT_EQ(grid.rows, c.rows) << c.w << "x" << c.h << " / " << c.tile;
    }
}

TEST(RoundedRectangleShape, CornersRunCounterClockwiseFromTopRight)
{
    RoundedRectangleShape box({145, 44}, 6, 10);
    ASSERT_EQ(box.getPointCount(), 40u);
    struct
    {
        std::size_t index;
        float x, y;
    } cases[] = {
        {0, 145, 6},  // top-right arc starts at the right edge
        {9, 139, 0},  // ... and ends on the top edge
        {10, 6, 0},  // top-left arc
        {19, 0, 6}, {20, 0, 38},  // bottom-left
        {29, 6, 44}, {30, 139, 44},  // bottom-right
        {39, 145, 38}, {40, 0, 0},  // outside the shape
    };
    for (const auto& c : cases) {
        sf::Vector2f p = box.getPoint(c.index);
        EXPECT_NEAR(p.x, c.x, 1e-3) << "point " << c.index;
        EXPECT_NEAR(p.y, c.y, 1e-3) << "point " << c.index;
    }
    // Every arc point lies on its corner's circle, inside the box.
    for (std::size_t i = 0; i < box.getPointCount(); ++i) {
        sf::Vector2f p = box.getPoint(i);
        EXPECT_GE(p.x, -1e-3);
        EXPECT_LE(p.x, 145 + 1e-3);
        EXPECT_GE(p.y, -1e-3);
        EXPECT_LE(p.y, 44 + 1e-3);
    }
}

TEST(RoundedRectangleShape, OnePointPerCornerStaysFinite)
{
    RoundedRectangleShape box({100, 50}, 10, 1);
    for (std::size_t i = 0; i < box.getPointCount(); ++i) {
        EXPECT_TRUE(std::isfinite(box.getPoint(i).x)) << i;
        EXPECT_TRUE(std::isfinite(box.getPoint(i).y)) << i;
    }
}

class AnimatedSpriteTest : public ::testing::Test
{
protected:
    void SetUp() override { AppendRecordingFrames(strip, &texture); }
    sf::Texture texture;
    SFAnimation strip;
};

TEST_F(AnimatedSpriteTest, StripHasThirtyFramesLeftToRight)
{
    ASSERT_EQ(strip.frames.size(), 30u);
    EXPECT_EQ(strip.texture, &texture);
    EXPECT_EQ(strip.frames[0], sf::IntRect(0, 0, 20, 20));
    EXPECT_EQ(strip.frames[29], sf::IntRect(580, 0, 20, 20));
}

TEST_F(AnimatedSpriteTest, StepsOneFramePerFrameTimeKeepingTheRemainder)
{
    SFAnimatedSprite sprite(sf::seconds(0.1f));
    sprite.setAnimation(strip);
    sprite.update(sf::milliseconds(50));
    EXPECT_EQ(sprite.getCurrentFrame(), 0);
    sprite.update(sf::milliseconds(60));
    EXPECT_EQ(sprite.getCurrentFrame(), 1);
    EXPECT_EQ(sprite.getCurrentTime(), sf::milliseconds(10));
    // A long pause still advances one frame only.
    sprite.update(sf::milliseconds(750));
    EXPECT_EQ(sprite.getCurrentFrame(), 2);
    EXPECT_EQ(sprite.getCurrentTime(), sf::milliseconds(60));

    const sf::Vertex* quad = sprite.getVertices();
    EXPECT_EQ(quad[2].position, sf::Vector2f(20, 20));
    EXPECT_NEAR(quad[0].texCoords.x, 40.0001f, 1e-4);
    EXPECT_NEAR(quad[2].texCoords.x, 60.0001f, 1e-4);
    EXPECT_EQ(quad[2].texCoords.y, 20.0f);
}

TEST_F(AnimatedSpriteTest, LoopsOrStopsAfterTheLastFrame)
{
    for (bool looped : {true, false}) {
        SFAnimatedSprite sprite(sf::seconds(0.1f), false, looped);
        sprite.setAnimation(strip);
        for (int i = 0; i < 29; ++i)
            sprite.update(sf::milliseconds(100));
        EXPECT_EQ(sprite.getCurrentFrame(), 29);
        sprite.update(sf::milliseconds(100));
        EXPECT_EQ(sprite.getCurrentFrame(), 0);
        EXPECT_EQ(sprite.isPlaying(), looped);
        sprite.update(sf::milliseconds(100));
        EXPECT_EQ(sprite.getCurrentFrame(), looped ? 1 : 0);
    }
}

TEST_F(AnimatedSpriteTest, DegenerateAnimationsDoNotCrash)
{
    SFAnimatedSprite sprite(sf::Time::Zero);
    sprite.update(sf::milliseconds(10));  // no animation yet
    sprite.setAnimation(strip);
    sprite.update(sf::milliseconds(10));  // zero frame time: one step per update
    EXPECT_EQ(sprite.getCurrentFrame(), 1);
    SFAnimation empty;
    sprite.setAnimation(empty);
    sprite.update(sf::seconds(1));
    sprite.setFrame(5);
    EXPECT_EQ(sprite.getCurrentFrame(), 0);
}

TEST(RecordingIndicator, TimerTextShowsHoursMinutesSeconds)
{
    const std::pair<long long, const char*> cases[] = {
        {0, "00:00:00"},
        {59, "00:00:59"},
        {3725, "01:02:05"},
        {359999, "99:59:59"},
        {360000, "100:00:00"},
        {-3, "00:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatElapsedTime(c.first), c.second) << c.first;
}
