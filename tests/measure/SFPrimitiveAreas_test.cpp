#include "app/measure/SFPrimitiveBrokenLine.h"
#include "app/measure/SFPrimitivePolygon.h"
#include "app/measure/SFPrimitiveRectangle.h"
#include "tests/support/measure/PrimitiveDriver.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kelvara;
using namespace kelvara::test;

namespace {

const sf::Color kBlue(0, 0, 255);
const sf::Color kGreen(0, 255, 0);

std::unique_ptr<SFPrimitiveRectangle> MakeRectangle(
    sf::Vector2f a, sf::Vector2f b, float zoom = 1.0f, float scale = 1.0f)
{
    auto rect = std::make_unique<SFPrimitiveRectangle>(a.x, a.y, zoom, scale, 0, 0, "mm");
    MoveAndClick(*rect, b, kToolRectangle);
    return rect;
}

// Clicks the given points, then right-clicks at the last mouse position.
template <class Primitive>
void Build(Primitive& p, std::initializer_list<sf::Vector2f> clicks, sf::Vector2f rightClick, int tool)
{
    for (sf::Vector2f c : clicks)
        MoveAndClick(p, c, tool);
    p.OnMouseMove(rightClick.x, rightClick.y, tool, false, HitRecord());
    p.OnRightButtonDown(rightClick.x, rightClick.y, tool);
}

}  // namespace

TEST(SFPrimitiveBrokenLine, RightClickFinishesOnlyAfterASecondVertex)
{
    SFPrimitiveBrokenLine line(0, 0, 1.0f, 1.0f, 0, 0, "px");
    line.OnMouseMove(30, 40, kToolBrokenLine, false, HitRecord());
    line.OnRightButtonDown(30, 40, kToolBrokenLine);
    EXPECT_FALSE(line.IsFinished());
    line.OnMouseMove(60, 80, kToolBrokenLine, false, HitRecord());
    EXPECT_EQ(LabelText(line), "L: 100.00 px");

    MoveAndClick(line, {30, 40}, kToolBrokenLine);
    line.OnMouseMove(30, 140, kToolBrokenLine, false, HitRecord());
    line.OnRightButtonDown(30, 140, kToolBrokenLine);
    EXPECT_TRUE(line.IsFinished());
    // The rubber-band vertex at the right click stays part of the line.
    EXPECT_EQ(line.GetShape().getVertexCount(), 3u);
    EXPECT_EQ(Vertex(line, 2), sf::Vector2f(30, 140));
    EXPECT_FLOAT_EQ(line.GetResult().length, 150.0f);
    EXPECT_EQ(line.GetResult().startX, 0.0f);
}

TEST(SFPrimitiveBrokenLine, HasNoBodyHitAndDragsOneVertex)
{
    SFPrimitiveBrokenLine line(0, 0, 1.0f, 1.0f, 0, 0, "px");
    Build(line, {{100, 0}}, {100, 100}, kToolBrokenLine);
    EXPECT_EQ(line.HitTest(50, 0).kind, kHitNone);
    HitRecord hit = Drag(line, {100, 95}, {200, 95});
    EXPECT_EQ(hit.vertex, 2);
    EXPECT_EQ(Vertex(line, 2), sf::Vector2f(200, 100));
    EXPECT_EQ(Vertex(line, 1), sf::Vector2f(100, 0));
    EXPECT_NEAR(line.GetResult().length, 100.0f + 141.4214f, 1e-3f);
}

TEST(SFPrimitiveRectangle, DrawnBackwardsHasPositiveArea)
{
    auto rectPtr = MakeRectangle({300, 200}, {100, 100}, 2.0f, 0.1f);
    SFPrimitiveRectangle& rect = *rectPtr;
    EXPECT_TRUE(rect.IsFinished());
    // 200 x 100 view pixels = 100 x 50 image pixels = 10 x 5 mm.
    const MeasureResult& r = rect.GetResult();
    EXPECT_FLOAT_EQ(r.width, 10.0f);
    EXPECT_FLOAT_EQ(r.height, 5.0f);
    EXPECT_NEAR(r.area, 50.0f, 1e-4f);
    EXPECT_FLOAT_EQ(r.length, 30.0f);
    EXPECT_EQ(LabelText(rect), "S: 50.0000 mm^2");
    EXPECT_EQ(Vertex(rect, 1), sf::Vector2f(100, 200));
    EXPECT_EQ(Vertex(rect, 3), sf::Vector2f(300, 100));
    EXPECT_EQ(Vertex(rect, 4), Vertex(rect, 0));
}

TEST(SFPrimitiveRectangle, CornerDragsKeepItAxisAligned)
{
    struct Case
    {
        int corner;
        sf::Vector2f expected[5];
    };
    // Rectangle (100,100)-(300,200); each corner dragged by (+10, +20).
    const Case cases[] = {
        {0, {{110, 120}, {300, 120}, {300, 200}, {110, 200}, {110, 120}}},
        {1, {{100, 120}, {310, 120}, {310, 200}, {100, 200}, {100, 120}}},
        {2, {{100, 100}, {310, 100}, {310, 220}, {100, 220}, {100, 100}}},
        {3, {{110, 100}, {300, 100}, {300, 220}, {110, 220}, {110, 100}}},
    };
    for (const Case& c : cases) {
        auto rectPtr = MakeRectangle({100, 100}, {300, 200});
        SFPrimitiveRectangle& rect = *rectPtr;
        const sf::Vector2f corner = Vertex(rect, c.corner);
        HitRecord hit = Drag(rect, corner + sf::Vector2f(3, 3), corner + sf::Vector2f(13, 23));
        EXPECT_EQ(hit.vertex, c.corner);
        for (std::size_t i = 0; i < 5; ++i)
            EXPECT_EQ(Vertex(rect, i), c.expected[i]) << "corner " << c.corner << " vertex " << i;
    }
}

TEST(SFPrimitiveRectangle, FirstCornerHighlightsBothOfItsVertices)
{
    auto rectPtr = MakeRectangle({100, 100}, {300, 200});
    SFPrimitiveRectangle& rect = *rectPtr;
    rect.HitTest(100, 100);
    EXPECT_EQ(VertexColor(rect, 0), kBlue);
    EXPECT_EQ(VertexColor(rect, 4), kBlue);
    EXPECT_EQ(rect.HitTest(200, 100).kind, kHitNone);  // no body hit
    EXPECT_EQ(VertexColor(rect, 0), kGreen);
}

TEST(SFPrimitivePolygon, RightClickAfterSecondClickMakesATriangle)
{
    SFPrimitivePolygon poly(0, 0, 1.0f, 1.0f, 0, 0, "px");
    Build(poly, {{100, 0}}, {100, 50}, kToolPolygon);
    EXPECT_TRUE(poly.IsFinished());
    const sf::VertexArray shape = poly.GetShape();
    ASSERT_EQ(shape.getVertexCount(), 4u);
    EXPECT_EQ(shape[1].position, sf::Vector2f(100, 0));
    EXPECT_EQ(shape[2].position, sf::Vector2f(100, 50));
    EXPECT_EQ(shape[3].position, shape[0].position);
    EXPECT_FLOAT_EQ(poly.GetResult().area, 2500.0f);
    EXPECT_EQ(LabelText(poly), "S: 2500.0000 px^2");
}

TEST(SFPrimitivePolygon, AreaIsPositiveInEitherWindingAndUnderScale)
{
    SFPrimitivePolygon cw(0, 0, 2.0f, 0.5f, 0, 0, "um");
    Build(cw, {{200, 0}, {200, 100}}, {0, 100}, kToolPolygon);
    SFPrimitivePolygon ccw(0, 0, 2.0f, 0.5f, 0, 0, "um");
    Build(ccw, {{0, 100}, {200, 100}}, {200, 0}, kToolPolygon);
    // 200 x 100 view = 100 x 50 image pixels = 50 x 25 um.
    EXPECT_FLOAT_EQ(cw.GetResult().area, 1250.0f);
    EXPECT_FLOAT_EQ(ccw.GetResult().area, 1250.0f);
    EXPECT_EQ(cw.GetShape().getVertexCount(), 5u);
}

TEST(SFPrimitivePolygon, DraggingTheFirstVertexKeepsItClosed)
{
    SFPrimitivePolygon poly(0, 0, 1.0f, 1.0f, 0, 0, "px");
    Build(poly, {{100, 0}}, {100, 100}, kToolPolygon);
    poly.HitTest(2, 2);
    EXPECT_EQ(VertexColor(poly, 3), kBlue);
    HitRecord hit = Drag(poly, {2, 2}, {2, 102});
    EXPECT_EQ(hit.vertex, 0);
    EXPECT_EQ(Vertex(poly, 0), sf::Vector2f(0, 100));
    EXPECT_EQ(Vertex(poly, 3), sf::Vector2f(0, 100));
    Drag(poly, {100, 0}, {150, 0});
    EXPECT_EQ(Vertex(poly, 1), sf::Vector2f(150, 0));
    EXPECT_FLOAT_EQ(poly.GetResult().area, 5000.0f);
}
