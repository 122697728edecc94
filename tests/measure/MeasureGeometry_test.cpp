#include "app/measure/MeasureGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace kelvara;

namespace {

sf::VertexArray Vertices(std::initializer_list<sf::Vector2f> points)
{
    sf::VertexArray array(sf::LineStrip);
    for (sf::Vector2f p : points)
        array.append(sf::Vertex(p, sf::Color::Green));
    return array;
}

}  // namespace

TEST(MeasureGeometry, NearIsAStrictTenPixelBox)
{
    struct Case
    {
        sf::Vector2f p;
        bool near;
    };
    const Case cases[] = {
        {{100.0f, 100.0f}, true},
        {{109.9f, 100.0f}, true},
        {{90.1f, 109.9f}, true},
        {{110.0f, 100.0f}, false},
        {{100.0f, 90.0f}, false},
        {{109.9f, 110.0f}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNear({100.0f, 100.0f}, c.p), c.near) << c.p.x << "," << c.p.y;
}

TEST(MeasureGeometry, FindVertexReturnsLowerIndexOfOverlappingVertices)
{
    sf::VertexArray v = Vertices({{0, 0}, {50, 50}, {52, 52}, {50, 50}});
    EXPECT_EQ(FindVertex(v, {51, 51}), 1);
    EXPECT_EQ(FindVertex(v, {60, 60}), 2);
    EXPECT_EQ(FindVertex(v, {200, 200}), -1);
    EXPECT_EQ(FindVertex(sf::VertexArray(), {0, 0}), -1);
}

TEST(MeasureGeometry, IsInRectMirrorsNegativeSizesAndExcludesRightBottom)
{
    struct Case
    {
        float x0, y0, w, h;
        sf::Vector2f p;
        bool inside;
    };
    const Case cases[] = {
        {10, 10, 20, 20, {10, 10}, true},
        {10, 10, 20, 20, {29.9f, 29.9f}, true},
        {10, 10, 20, 20, {30, 15}, false},
        {10, 10, 20, 20, {15, 30}, false},
        {30, 30, -20, -20, {10, 10}, true},
        {30, 30, -20, -20, {30, 20}, false},
        {10, 30, 20, -20, {20, 20}, true},
        {10, 10, 0, 10, {10, 15}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsInRect(c.x0, c.y0, c.w, c.h, c.p), c.inside) << c.x0 << " " << c.w << " " << c.p.x;
}

TEST(MeasureGeometry, SetColorRangeStopsAtTheLastVertex)
{
    sf::VertexArray v = Vertices({{0, 0}, {1, 1}, {2, 2}, {3, 3}});
    SetColorRange(v, sf::Color::Blue, 2, 10);
    EXPECT_EQ(v[1].color, sf::Color::Green);
    EXPECT_EQ(v[2].color, sf::Color::Blue);
    EXPECT_EQ(v[3].color, sf::Color::Blue);
    SetColor(v, sf::Color::Red);
    for (std::size_t i = 0; i < v.getVertexCount(); ++i)
        EXPECT_EQ(v[i].color, sf::Color::Red);
}

TEST(MeasureGeometry, AppendArcCountsAndClosesOnlyTheFullTurn)
{
    sf::VertexArray full(sf::LineStrip);
    AppendArc(full, 0.0f, kTwoPi, {100, 100}, 50.0f);
    ASSERT_EQ(full.getVertexCount(), 201u);
    EXPECT_EQ(full[0].position, full[200].position);
    EXPECT_EQ(full[0].position, sf::Vector2f(150, 100));
    // Angles grow towards +y: a quarter turn lies below the centre.
    EXPECT_NEAR(full[50].position.x, 100.0f, 0.01f);
    EXPECT_NEAR(full[50].position.y, 150.0f, 0.01f);

    sf::VertexArray half(sf::LineStrip);
    AppendArc(half, 0.0f, kPi, {0, 0}, 10.0f);
    EXPECT_EQ(half.getVertexCount(), 100u);
    EXPECT_NE(half[99].position, half[0].position);
}

TEST(MeasureGeometry, CircumcentreRejectsDegenerateTriangles)
{
    const sf::Vector2f a(0, 0), b(100, 0), c(50, 50);  // circumcentre (50, 0), radius 50
    sf::Vector2f o(-1, -1);
    ASSERT_TRUE(Circumcentre(a, b, c, o));
    EXPECT_NEAR(o.x, 50.0f, 1e-3f);
    EXPECT_NEAR(o.y, 0.0f, 1e-3f);

    o = {-1, -1};
    EXPECT_FALSE(Circumcentre(a, a, a, o));
    EXPECT_FALSE(Circumcentre(a, b, {200, 0}, o));  // collinear
    EXPECT_EQ(o, sf::Vector2f(-1, -1));
}

TEST(MeasureGeometry, SmallCirclesFarFromTheOriginKeepTheirRadius)
{
    for (float radius : {3.0f, 10.0f, 250.0f}) {
        for (sf::Vector2f centre : {sf::Vector2f(1500.25f, 1000.5f), sf::Vector2f(3800.0f, 2100.0f)}) {
            SCOPED_TRACE(radius);
            const sf::Vector2f a = centre + sf::Vector2f(radius, 0.0f);
            const sf::Vector2f b = centre + sf::Vector2f(0.0f, radius);
            const sf::Vector2f c = centre + sf::Vector2f(-radius * 0.6f, -radius * 0.8f);
            sf::Vector2f o;
            ASSERT_TRUE(Circumcentre(a, b, c, o));
            EXPECT_NEAR(o.x, centre.x, 2e-3f);
            EXPECT_NEAR(o.y, centre.y, 2e-3f);
            EXPECT_NEAR(Distance(o, a) / radius, 1.0f, 1e-3f);
        }
    }
}

TEST(MeasureGeometry, BandCornersFollowTheNormalAndSurviveCoincidentEnds)
{
    auto corners = GetBandCorners({0, 0}, {100, 0}, 50.0f);
    EXPECT_EQ(corners[0], sf::Vector2f(100, 50));
    EXPECT_EQ(corners[1], sf::Vector2f(100, -50));
    EXPECT_EQ(corners[2], sf::Vector2f(0, 50));
    EXPECT_EQ(corners[3], sf::Vector2f(0, -50));

    corners = GetBandCorners({10, 10}, {10, 10}, 5.0f);
    for (const sf::Vector2f& c : corners)
        EXPECT_TRUE(std::isfinite(c.x) && std::isfinite(c.y));
    EXPECT_EQ(corners[0], sf::Vector2f(10, 15));
}

TEST(MeasureGeometry, FormatCutsAt1023Characters)
{
    EXPECT_EQ(Format("L: %.2f", 12.345f), "L: 12.35");
    EXPECT_EQ(Format("%s", std::string(5000, 'x').c_str()).size(), 1023u);
}
