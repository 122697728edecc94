#include "app/measure/SFPrimitiveCrosshair.h"
#include "app/measure/SFPrimitiveCrosshair2.h"
#include "app/measure/SFPrimitiveParallel.h"
#include "app/measure/SFPrimitivePerpendicular.h"
#include "tests/support/measure/FiniteCheck.h"
#include "tests/support/measure/PrimitiveDriver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace kelvara;
using namespace kelvara::test;

namespace {

float Cross(sf::Vector2f a, sf::Vector2f b)
{
    return a.x * b.y - a.y * b.x;
}

float Dot(sf::Vector2f a, sf::Vector2f b)
{
    return a.x * b.x + a.y * b.y;
}

// Lines (0, 0)-(100, 0) and (20, 50)-(120, 50): distance 50.
std::unique_ptr<SFPrimitiveParallel> MakeParallel()
{
    auto parallel = std::make_unique<SFPrimitiveParallel>(0, 0, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(*parallel, {100, 0}, kToolParallel);
    MoveAndClick(*parallel, {20, 50}, kToolParallel);
    MoveAndClick(*parallel, {120, 80}, kToolParallel);
    return parallel;
}

}  // namespace

TEST(SFPrimitivePerpendicular, DistanceFromPointToLine)
{
    SFPrimitivePerpendicular perpendicular(0, 100, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(perpendicular, {200, 100}, kToolPerpendicular);
    perpendicular.OnMouseMove(80, 100, kToolPerpendicular, false, HitRecord());
    EXPECT_EQ(LabelText(perpendicular), "D: 0.00 px");
    MoveAndClick(perpendicular, {50, 40}, kToolPerpendicular);
    EXPECT_TRUE(perpendicular.IsFinished());
    EXPECT_EQ(Vertex(perpendicular, 3), sf::Vector2f(50, 100));
    EXPECT_EQ(LabelText(perpendicular), "D: 60.00 px");

    // The foot follows the point; dragging the foot itself does not stick.
    Drag(perpendicular, {50, 40}, {150, 20});
    EXPECT_EQ(Vertex(perpendicular, 3), sf::Vector2f(150, 100));
    HitRecord foot = Drag(perpendicular, {150, 100}, {150, 150});
    EXPECT_EQ(foot.vertex, 3);
    EXPECT_EQ(Vertex(perpendicular, 3), sf::Vector2f(150, 100));
    EXPECT_EQ(LabelText(perpendicular), "D: 80.00 px");
}

TEST(SFPrimitivePerpendicular, ZeroLengthLineReadsZero)
{
    SFPrimitivePerpendicular perpendicular(100, 100, 1.0f, 1.0f, 0, 0, "px");
    perpendicular.OnMouseDown(100, 100, kToolPerpendicular);
    MoveAndClick(perpendicular, {150, 150}, kToolPerpendicular);
    EXPECT_TRUE(perpendicular.IsFinished());
    EXPECT_TRUE(IsAllFinite(perpendicular));
    EXPECT_EQ(perpendicular.GetResult().distance, 0.0f);
    EXPECT_EQ(LabelText(perpendicular), "D: 0.00 px");
    // Giving the line a length brings the foot and distance back.
    Drag(perpendicular, {100, 100}, {100, 200});
    EXPECT_EQ(Vertex(perpendicular, 3), sf::Vector2f(100, 150));
    EXPECT_EQ(LabelText(perpendicular), "D: 50.00 px");
}

TEST(SFPrimitiveParallel, FourthClickStaysParallel)
{
    SFPrimitiveParallel parallel(0, 0, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(parallel, {100, 0}, kToolParallel);
    MoveAndClick(parallel, {20, 50}, kToolParallel);
    // The second line starts with zero length: no distance yet, no NaN.
    EXPECT_TRUE(IsAllFinite(parallel));
    EXPECT_EQ(LabelText(parallel), "D: 0.00 px");
    MoveAndClick(parallel, {120, 80}, kToolParallel);
    EXPECT_TRUE(parallel.IsFinished());
    EXPECT_EQ(Vertex(parallel, 3), sf::Vector2f(120, 50));
    EXPECT_EQ(LabelText(parallel), "D: 50.00 px");
    const sf::VertexArray segment = parallel.GetAuxiliary();
    ASSERT_EQ(segment.getVertexCount(), 2u);
    EXPECT_EQ(segment[0].position, sf::Vector2f(50, 0));
    EXPECT_EQ(segment[1].position, sf::Vector2f(50, 50));
    EXPECT_EQ(segment[0].color, sf::Color(255, 0, 0));
}

TEST(SFPrimitiveParallel, LineDragChangesDistanceBySidewaysPart)
{
    auto made = MakeParallel();
    SFPrimitiveParallel& parallel = *made;
    HitRecord hit = Drag(parallel, {50, 1}, {80, 11});
    EXPECT_EQ(hit.kind, kHitBody);
    EXPECT_EQ(hit.part, 0);
    EXPECT_EQ(LabelText(parallel), "D: 40.00 px");
    EXPECT_EQ(parallel.GetAuxiliary()[0].position, sf::Vector2f(80, 10));
    EXPECT_EQ(Vertex(parallel, 2), sf::Vector2f(20, 50));
    EXPECT_EQ(parallel.HitTest(70, 50).part, 1);
}

TEST(SFPrimitiveParallel, VertexDragPivotsAndKeepsLinesParallel)
{
    struct Pivot
    {
        int vertex, pivot, fixed, paired;
    };
    const Pivot pivots[] = {{0, 1, 3, 2}, {1, 0, 2, 3}, {2, 3, 1, 0}, {3, 2, 0, 1}};
    for (const Pivot& p : pivots) {
        SCOPED_TRACE(p.vertex);
        auto made = MakeParallel();
        SFPrimitiveParallel& parallel = *made;
        const sf::Vector2f pivot = Vertex(parallel, p.pivot);
        const sf::Vector2f fixed = Vertex(parallel, p.fixed);
        // Grab a few pixels off the vertex.
        const sf::Vector2f grab = Vertex(parallel, p.vertex) + sf::Vector2f(4, -3);
        HitRecord hit = Drag(parallel, grab, grab + sf::Vector2f(10, 30));
        ASSERT_EQ(hit.kind, kHitVertex);
        ASSERT_EQ(hit.vertex, p.vertex);
        const sf::Vector2f moved = Vertex(parallel, p.vertex);
        EXPECT_EQ(moved, Vertex(*MakeParallel(), p.vertex) + sf::Vector2f(10, 30));
        EXPECT_EQ(Vertex(parallel, p.pivot), pivot);
        EXPECT_EQ(Vertex(parallel, p.fixed), fixed);
        const sf::Vector2f line = moved - pivot;
        const sf::Vector2f other = Vertex(parallel, p.paired) - fixed;
        EXPECT_NEAR(Cross(line, other) / (Distance({}, line) * Distance({}, other)), 0.0f, 1e-5f);
        EXPECT_NEAR(Dot(Vertex(parallel, p.paired) - moved, line), 0.0f, 0.05f);
        EXPECT_TRUE(IsAllFinite(parallel));
    }
}

TEST(SFPrimitiveCrosshair, FollowsUntilClickAndMarksCentre)
{
    SFPrimitiveCrosshair cross(100, 50, 2.0f, 1.0f, 10, 10, "px");
    EXPECT_EQ(Vertex(cross, 0), sf::Vector2f(0, 50));
    EXPECT_EQ(Vertex(cross, 1), sf::Vector2f(8000, 50));
    EXPECT_EQ(Vertex(cross, 2), sf::Vector2f(100, 0));
    EXPECT_EQ(Vertex(cross, 3), sf::Vector2f(100, 6000));
    MoveAndClick(cross, {110, 60}, kToolCrosshair);
    EXPECT_TRUE(cross.IsFinished());
    EXPECT_FLOAT_EQ(cross.GetResult().centerX, 50.0f);
    EXPECT_FLOAT_EQ(cross.GetResult().centerY, 25.0f);
    EXPECT_EQ(LabelText(cross), "");

    HitRecord hit = cross.HitTest(119, 51);
    EXPECT_EQ(hit.kind, kHitBody);
    EXPECT_EQ(hit.vertex, -1);
    EXPECT_EQ(cross.HitTest(120, 60).kind, kHitNone);
    cross.OnMouseMove(300, 200, kToolMove, true, hit);
    EXPECT_EQ(Vertex(cross, 2), sf::Vector2f(300, 0));
    EXPECT_EQ(Vertex(cross, 0), sf::Vector2f(0, 200));
}

TEST(SFPrimitiveCrosshair2, WidthAndHeightBetweenCentres)
{
    SFPrimitiveCrosshair2 pair(100, 100, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(pair, {100, 100}, kToolCrosshair2);
    ASSERT_EQ(pair.GetShape().getVertexCount(), 8u);
    // Both at one place: zero width and height, centre there.
    EXPECT_EQ(LabelText(pair), "W: 0.00 px\nH: 0.00 px\n");
    EXPECT_FLOAT_EQ(pair.GetResult().centerX, 100.0f);
    EXPECT_EQ(pair.GetLabel().getPosition(), sf::Vector2f(105, 105));
    MoveAndClick(pair, {250, 180}, kToolCrosshair2);
    EXPECT_TRUE(pair.IsFinished());
    EXPECT_EQ(LabelText(pair), "W: 150.00 px\nH: 80.00 px\n");
    EXPECT_FLOAT_EQ(pair.GetResult().centerX, 175.0f);
    EXPECT_FLOAT_EQ(pair.GetResult().centerY, 140.0f);
}

TEST(SFPrimitiveCrosshair2, HitsCentresWithinTenAndLinesWithinFive)
{
    SFPrimitiveCrosshair2 pair(100, 100, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(pair, {100, 100}, kToolCrosshair2);
    MoveAndClick(pair, {250, 180}, kToolCrosshair2);
    struct Case
    {
        sf::Vector2f p;
        int kind, vertex;
    };
    const Case cases[] = {
        {{109, 91}, kHitVertex, 0},
        {{241, 189}, kHitVertex, 1},
        {{400, 95.1f}, kHitBody, 0},
        {{400, 95.0f}, kHitNone, -1},
        {{104.9f, 400}, kHitBody, 1},
        {{400, 184}, kHitBody, 2},
        {{246, 400}, kHitBody, 3},
        {{400, 400}, kHitNone, -1},
    };
    for (const Case& c : cases) {
        HitRecord hit = pair.HitTest(c.p.x, c.p.y);
        EXPECT_EQ(hit.kind, c.kind) << c.p.x << "," << c.p.y;
        EXPECT_EQ(hit.vertex, c.vertex) << c.p.x << "," << c.p.y;
    }

    // A line moves alone; a centre re-centres its crosshair on the mouse.
    Drag(pair, {400, 98}, {400, 120});
    EXPECT_EQ(Vertex(pair, 0).y, 122.0f);
    EXPECT_EQ(Vertex(pair, 2).x, 100.0f);
    EXPECT_EQ(LabelText(pair), "W: 150.00 px\nH: 58.00 px\n");
    Drag(pair, {255, 185}, {300, 200});
    EXPECT_EQ(Vertex(pair, 6).x, 300.0f);
    EXPECT_EQ(Vertex(pair, 4).y, 200.0f);
}
