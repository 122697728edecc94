#include "app/measure/SFPrimitiveAngle.h"
#include "app/measure/SFPrimitiveArc.h"
#include "app/measure/SFPrimitiveCircle.h"
#include "app/measure/SFPrimitiveCircle2.h"
#include "app/measure/SFPrimitiveCircle3.h"
#include "app/measure/SFPrimitiveConcentrical.h"
#include "tests/support/measure/FiniteCheck.h"
#include "tests/support/measure/PrimitiveDriver.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kelvara;
using namespace kelvara::test;

namespace {

const sf::Color kGreen(0, 255, 0);
const sf::Color kBlue(0, 0, 255);

sf::Vector2f OnCircle(sf::Vector2f centre, float radius, float degrees)
{
    const float a = degrees * kPi / 180.0f;
    return centre + radius * sf::Vector2f(std::cos(a), std::sin(a));
}

// Every shape vertex from `first` on lies on the circle.
void ExpectOnCircle(const SFPrimitiveBase& primitive, std::size_t first, sf::Vector2f centre, float radius)
{
    const sf::VertexArray shape = primitive.GetShape();
    for (std::size_t i = first; i < shape.getVertexCount(); ++i)
        EXPECT_NEAR(Distance(shape[i].position, centre), radius, 0.01f) << "vertex " << i;
}

}  // namespace

TEST(SFPrimitiveCircle, SecondClickFixesRadiusOfFullOutline)
{
    SFPrimitiveCircle circle(100, 100, 1.0f, 1.0f, 0, 0, "px");
    EXPECT_EQ(circle.GetShape().getVertexCount(), 1u);
    circle.OnMouseMove(130, 100, kToolCircle, false, HitRecord());
    EXPECT_EQ(LabelText(circle), "R: 30.00 px");
    EXPECT_FALSE(circle.IsFinished());
    circle.OnMouseDown(100, 150, kToolCircle);
    EXPECT_TRUE(circle.IsFinished());
    // Centre, then 200 outline points and the closing point.
    ASSERT_EQ(circle.GetShape().getVertexCount(), 202u);
    EXPECT_EQ(Vertex(circle, 1), sf::Vector2f(150, 100));
    EXPECT_EQ(Vertex(circle, 201), Vertex(circle, 1));
    ExpectOnCircle(circle, 1, {100, 100}, 50);
    EXPECT_EQ(LabelText(circle), "R: 50.00 px");
    EXPECT_FLOAT_EQ(circle.GetResult().radius, 50.0f);
    EXPECT_NEAR(circle.GetResult().length, 314.159f, 0.001f);
    EXPECT_NEAR(circle.GetResult().area, 7853.98f, 0.01f);
}

TEST(SFPrimitiveCircle, HitsCentreRimAndLabelThenDrags)
{
    SFPrimitiveCircle circle(100, 100, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(circle, {150, 100}, kToolCircle);

    HitRecord centre = circle.HitTest(105, 95);
    EXPECT_EQ(centre.kind, kHitBody);
    EXPECT_EQ(centre.part, -1);
    EXPECT_EQ(VertexColor(circle, 0), kBlue);
    EXPECT_EQ(VertexColor(circle, 10), kGreen);
    HitRecord rim = circle.HitTest(100, 145);
    EXPECT_EQ(rim.kind, kHitBody);
    EXPECT_EQ(rim.part, 0);
    EXPECT_EQ(VertexColor(circle, 10), kBlue);
    EXPECT_EQ(circle.HitTest(125, 110).kind, kHitLabel);
    EXPECT_EQ(circle.HitTest(100, 165).kind, kHitNone);
    EXPECT_EQ(VertexColor(circle, 0), kGreen);

    Drag(circle, {150, 100}, {170, 100});
    EXPECT_EQ(LabelText(circle), "R: 70.00 px");
    Drag(circle, {100, 100}, {120, 110});
    EXPECT_EQ(Vertex(circle, 0), sf::Vector2f(120, 110));
    EXPECT_EQ(circle.GetLabel().getPosition(), sf::Vector2f(120, 115));
    ExpectOnCircle(circle, 1, {120, 110}, 70);
}

TEST(SFPrimitiveCircle, RefitKeepsRadiusThroughLaterDrags)
{
    SFPrimitiveCircle circle(100, 100, 1.0f, 0.5f, 0, 0, "mm");
    MoveAndClick(circle, {150, 100}, kToolCircle);
    circle.ApplyViewTransform(2.0f, 0, 0);
    EXPECT_EQ(LabelText(circle), "R: 25.00 mm");
    // Moving the centre redraws the outline with the refitted radius.
    Drag(circle, {200, 200}, {210, 200});
    ExpectOnCircle(circle, 1, {210, 200}, 100);
    EXPECT_EQ(LabelText(circle), "R: 25.00 mm");
}

TEST(SFPrimitiveCircle2, DiameterOfHundredHidesTheJoin)
{
    SFPrimitiveCircle2 circle(100, 100, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(circle, {200, 100}, kToolCircle2);
    EXPECT_TRUE(circle.IsFinished());
    ASSERT_EQ(circle.GetShape().getVertexCount(), 204u);
    EXPECT_EQ(VertexColor(circle, 2), sf::Color::Transparent);
    EXPECT_EQ(VertexColor(circle, 3), sf::Color::Transparent);
    ExpectOnCircle(circle, 3, {150, 100}, 50);
    EXPECT_FLOAT_EQ(circle.GetResult().radius, 50.0f);
    EXPECT_NEAR(circle.GetResult().length, 314.159f, 0.001f);
    EXPECT_NEAR(circle.GetResult().area, 7853.98f, 0.01f);
    EXPECT_EQ(LabelText(circle), "R: 50.00 px");

    HitRecord hit = circle.HitTest(195, 104);
    EXPECT_EQ(hit.kind, kHitVertex);
    EXPECT_EQ(hit.vertex, 1);
    EXPECT_EQ(circle.HitTest(150, 50).kind, kHitNone);
    EXPECT_EQ(VertexColor(circle, 1), kGreen);
    EXPECT_EQ(VertexColor(circle, 3), sf::Color::Transparent);

    Drag(circle, {200, 100}, {300, 100});
    EXPECT_EQ(LabelText(circle), "R: 100.00 px");
    ExpectOnCircle(circle, 3, {200, 100}, 100);
}

TEST(SFPrimitiveCircle3, ThirdClickFinishesAtLastMousePosition)
{
    SFPrimitiveCircle3 circle(150, 100, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(circle, {100, 150}, kToolCircle3);
    EXPECT_FALSE(circle.IsFinished());
    MoveAndClick(circle, {50, 100}, kToolCircle3);
    EXPECT_TRUE(circle.IsFinished());
    ASSERT_EQ(circle.GetShape().getVertexCount(), 205u);
    EXPECT_EQ(Vertex(circle, 2), sf::Vector2f(50, 100));
    EXPECT_EQ(VertexColor(circle, 3), sf::Color::Transparent);
    EXPECT_EQ(VertexColor(circle, 4), sf::Color::Transparent);
    ExpectOnCircle(circle, 4, {100, 100}, 50);
    EXPECT_EQ(LabelText(circle), "R: 50.00 px");

    HitRecord hit = circle.HitTest(52, 98);
    EXPECT_EQ(hit.kind, kHitVertex);
    EXPECT_EQ(hit.vertex, 2);
    // No rim hit.
    EXPECT_EQ(circle.HitTest(100, 50).kind, kHitNone);
}

TEST(SFPrimitiveCircle3, CollinearPointsKeepLastOutlineAndReadZero)
{
    SFPrimitiveCircle3 circle(150, 100, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(circle, {100, 150}, kToolCircle3);
    MoveAndClick(circle, {50, 100}, kToolCircle3);
    const sf::Vector2f outline = Vertex(circle, 10);
    // (150, 100), (100, 150) and (200, 50) lie on one line.
    Drag(circle, {50, 100}, {200, 50});
    EXPECT_TRUE(IsAllFinite(circle));
    EXPECT_EQ(Vertex(circle, 2), sf::Vector2f(200, 50));
    EXPECT_EQ(Vertex(circle, 10), outline);
    EXPECT_EQ(circle.GetResult().radius, 0.0f);
    EXPECT_EQ(circle.GetResult().area, 0.0f);
    EXPECT_EQ(LabelText(circle), "R: 0.00 px");

    // Three clicks on one line: no outline at all.
    SFPrimitiveCircle3 flat(0, 0, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(flat, {50, 0}, kToolCircle3);
    MoveAndClick(flat, {100, 0}, kToolCircle3);
    EXPECT_TRUE(flat.IsFinished());
    EXPECT_TRUE(IsAllFinite(flat));
    EXPECT_EQ(flat.GetShape().getVertexCount(), 3u);
    EXPECT_EQ(LabelText(flat), "R: 0.00 px");
}

struct ArcCase
{
    float start, middle, end;  // degrees about (100, 100), clockwise on screen
    float sweepDegrees;
};

class SFPrimitiveArcSweep : public ::testing::TestWithParam<ArcCase>
{
};

TEST_P(SFPrimitiveArcSweep, RunsThroughTheMiddlePoint)
{
    const ArcCase c = GetParam();
    const sf::Vector2f centre(100, 100);
    const sf::Vector2f p0 = OnCircle(centre, 50, c.start);
    const sf::Vector2f p1 = OnCircle(centre, 50, c.middle);
    const sf::Vector2f p2 = OnCircle(centre, 50, c.end);
    SFPrimitiveArc arc(p0.x, p0.y, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(arc, p1, kToolArc);
    MoveAndClick(arc, p2, kToolArc);
    ASSERT_TRUE(arc.IsFinished());

    const float sweep = c.sweepDegrees * kPi / 180.0f;
    EXPECT_NEAR(arc.GetResult().radius, 50.0f, 0.01f);
    EXPECT_NEAR(arc.GetResult().length, sweep * 50.0f, 0.05f);
    EXPECT_EQ(LabelText(arc), Format("C: %.2f px", arc.GetResult().length));
    // About one outline point per 1.8 degrees, all on the circle, one of
    // them next to the middle point.
    const sf::VertexArray shape = arc.GetShape();
    EXPECT_NEAR(static_cast<float>(shape.getVertexCount() - 4), c.sweepDegrees / 1.8f, 2.0f);
    ExpectOnCircle(arc, 4, centre, 50);
    float closest = 1e9f;
    for (std::size_t i = 4; i < shape.getVertexCount(); ++i)
        closest = std::min(closest, Distance(shape[i].position, p1));
    EXPECT_LT(closest, 2.0f);
}

INSTANTIATE_TEST_SUITE_P(BothDirections, SFPrimitiveArcSweep,
    ::testing::Values(ArcCase{0, 45, 90, 90}, ArcCase{90, 45, 0, 90}, ArcCase{350, 0, 10, 20},
        ArcCase{10, 0, 350, 20}, ArcCase{0, 180, 270, 270}, ArcCase{90, 270, 0, 270},
        ArcCase{200, 300, 30, 190}, ArcCase{30, 300, 200, 190}));

TEST(SFPrimitiveArc, CollinearPointsReadZero)
{
    SFPrimitiveArc arc(0, 0, 2.0f, 1.0f, 0, 0, "px");
    MoveAndClick(arc, {50, 50}, kToolArc);
    EXPECT_EQ(LabelText(arc), "C: 0.00 px");
    MoveAndClick(arc, {100, 100}, kToolArc);
    EXPECT_TRUE(IsAllFinite(arc));
    EXPECT_EQ(arc.GetResult().length, 0.0f);
    EXPECT_EQ(arc.GetResult().radius, 0.0f);
}

TEST(SFPrimitiveAngle, RightAngleLabelledBelowApex)
{
    SFPrimitiveAngle angle(200, 100, 1.0f, 0.5f, 0, 0, "mm");
    MoveAndClick(angle, {100, 100}, kToolAngle);
    EXPECT_EQ(angle.GetLabel().getPosition(), sf::Vector2f(100, 105));
    // The second arm starts with zero length: no angle yet, and no NaN.
    EXPECT_TRUE(IsAllFinite(angle));
    EXPECT_EQ(LabelText(angle), "A: 0.00 deg");
    angle.OnMouseMove(100, 0, kToolAngle, false, HitRecord());
    EXPECT_EQ(LabelText(angle), "A: 90.00 deg");
    angle.OnMouseDown(100, 0, kToolAngle);
    EXPECT_TRUE(angle.IsFinished());
    EXPECT_FLOAT_EQ(angle.GetResult().angle, 90.0f);

    HitRecord hit = Drag(angle, {200, 100}, {0, 100});
    EXPECT_EQ(hit.kind, kHitVertex);
    EXPECT_EQ(hit.vertex, 0);
    EXPECT_EQ(LabelText(angle), "A: 90.00 deg");
    Drag(angle, {0, 100}, {300, 100});
    EXPECT_FLOAT_EQ(angle.GetResult().angle, 90.0f);
    Drag(angle, {100, 0}, {200, 100});
    EXPECT_FLOAT_EQ(angle.GetResult().angle, 0.0f);
    Drag(angle, {200, 100}, {0, 100});
    EXPECT_FLOAT_EQ(angle.GetResult().angle, 180.0f);

    // An arm dragged onto the apex.
    Drag(angle, {300, 100}, {100, 100});
    EXPECT_TRUE(IsAllFinite(angle));
    EXPECT_EQ(angle.GetResult().angle, 0.0f);
    EXPECT_EQ(LabelText(angle), "A: 0.00 deg");
}

TEST(SFPrimitiveConcentrical, MovingAfterSecondClickChangesSecondRadiusOnly)
{
    SFPrimitiveConcentrical rings(100, 100, 2.0f, 1.0f, 0, 0, "px");
    MoveAndClick(rings, {130, 100}, kToolConcentrical);
    rings.OnMouseMove(160, 100, kToolConcentrical, false, HitRecord());
    EXPECT_EQ(LabelText(rings), "R1: 15.00 px\nR2: 30.00 px");
    rings.OnMouseDown(160, 100, kToolConcentrical);
    EXPECT_TRUE(rings.IsFinished());
    ASSERT_EQ(rings.GetShape().getVertexCount(), 403u);
    EXPECT_FLOAT_EQ(rings.GetResult().radius, 15.0f);
    EXPECT_FLOAT_EQ(rings.GetResult().centerX, 50.0f);
    EXPECT_FLOAT_EQ(rings.GetResult().centerY, 50.0f);

    EXPECT_EQ(rings.HitTest(104, 96).part, -1);
    EXPECT_EQ(rings.HitTest(100, 128).part, 0);
    HitRecord outer = rings.HitTest(100, 165);
    EXPECT_EQ(outer.kind, kHitBody);
    EXPECT_EQ(outer.part, 1);
    rings.OnMouseMove(100, 180, kToolMove, true, outer);
    EXPECT_EQ(LabelText(rings), "R1: 15.00 px\nR2: 40.00 px");
    ExpectOnCircle(rings, 202, {100, 100}, 80);
}

TEST(SFPrimitiveConcentrical, UnmovedSecondClickNeedsAFourthClick)
{
    SFPrimitiveConcentrical rings(100, 100, 1.0f, 1.0f, 0, 0, "px");
    rings.OnMouseDown(130, 100, kToolConcentrical);
    MoveAndClick(rings, {140, 100}, kToolConcentrical);
    EXPECT_FALSE(rings.IsFinished());
    EXPECT_EQ(LabelText(rings), "R1: 40.00 px\nR2: 40.00 px");
    MoveAndClick(rings, {160, 100}, kToolConcentrical);
    EXPECT_TRUE(rings.IsFinished());
    EXPECT_EQ(LabelText(rings), "R1: 40.00 px\nR2: 60.00 px");
}
