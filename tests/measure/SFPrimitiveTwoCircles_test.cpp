#include "app/measure/SFPrimitiveTwoCircles.h"
#include "app/measure/SFPrimitiveTwoCircles2.h"
#include "app/measure/SFPrimitiveTwoCircles3.h"
#include "tests/support/measure/FiniteCheck.h"
#include "tests/support/measure/PrimitiveDriver.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kelvara;
using namespace kelvara::test;

namespace {

const sf::Color kGreen(0, 255, 0);
const sf::Color kBlue(0, 0, 255);

// Creates the primitive at the first point and clicks the others.
template <typename T> std::unique_ptr<T> Build(std::initializer_list<sf::Vector2f> points, int tool)
{
    auto it = points.begin();
    auto primitive = std::make_unique<T>(it->x, it->y, 1.0f, 1.0f, 0, 0, "px");
    for (++it; it != points.end(); ++it)
        MoveAndClick(*primitive, *it, tool);
    return primitive;
}

}  // namespace

TEST(SFPrimitiveTwoCircles, CentreAndRimPointsGiveCentreDistance)
{
    SFPrimitiveTwoCircles circles(100, 100, 1.0f, 1.0f, 0, 0, "px");
    ASSERT_EQ(circles.GetShape().getVertexCount(), 1u);
    // While the first rim point is placed the label shows the first radius.
    circles.OnMouseMove(130, 100, kToolTwoCircles, false, HitRecord());
    EXPECT_EQ(LabelText(circles), "D: 30.00 px");
    circles.OnMouseDown(130, 100, kToolTwoCircles);
    MoveAndClick(circles, {300, 100}, kToolTwoCircles);
    EXPECT_FALSE(circles.IsFinished());
    MoveAndClick(circles, {320, 100}, kToolTwoCircles);
    EXPECT_TRUE(circles.IsFinished());

    EXPECT_EQ(LabelText(circles), "D: 200.00 px");
    EXPECT_FLOAT_EQ(circles.GetResult().distance, 200.0f);
    EXPECT_FLOAT_EQ(circles.GetResult().length, 200.0f);
    EXPECT_FLOAT_EQ(circles.GetResult().startX, 100.0f);
    EXPECT_FLOAT_EQ(circles.GetResult().endX, 300.0f);
    ASSERT_EQ(circles.GetShape().getVertexCount(), 404u);
    EXPECT_EQ(VertexColor(circles, 201), sf::Color::Transparent);
    EXPECT_EQ(VertexColor(circles, 202), sf::Color::Transparent);
    EXPECT_EQ(Vertex(circles, 203), sf::Vector2f(320, 100));
    EXPECT_EQ(circles.GetAuxiliary().getVertexCount(), 2u);
    EXPECT_EQ(circles.GetAuxiliary()[0].color, sf::Color(255, 0, 0));
}

TEST(SFPrimitiveTwoCircles, HitsRimPointsAsHandlesAndCentresAsCircles)
{
    auto built = Build<SFPrimitiveTwoCircles>(
        {{100, 100}, {130, 100}, {300, 100}, {320, 100}, {320, 100}}, kToolTwoCircles);
    auto& circles = *built;
    HitRecord rim = circles.HitTest(131, 99);
    EXPECT_EQ(rim.kind, kHitHandle);
    EXPECT_EQ(rim.vertex, 1);
    // The centre point itself is not a handle: it picks its circle.
    HitRecord first = circles.HitTest(100, 100);
    EXPECT_EQ(first.kind, kHitBody);
    EXPECT_EQ(first.part, 0);
    EXPECT_EQ(VertexColor(circles, 0), kBlue);
    EXPECT_EQ(VertexColor(circles, 210), kGreen);
    HitRecord second = circles.HitTest(300, 80);
    EXPECT_EQ(second.kind, kHitBody);
    EXPECT_EQ(second.part, 1);
    EXPECT_EQ(circles.HitTest(200, 300).kind, kHitNone);
    EXPECT_EQ(VertexColor(circles, 210), kGreen);
    EXPECT_EQ(VertexColor(circles, 202), sf::Color::Transparent);

    // Dragging circle 2 moves both of its points.
    circles.OnMouseMove(300, 130, kToolMove, true, second);
    EXPECT_EQ(LabelText(circles), "D: 206.16 px");
    Drag(circles, {320, 150}, {340, 150});
    EXPECT_EQ(LabelText(circles), "D: 206.16 px");
    EXPECT_EQ(Vertex(circles, 203), sf::Vector2f(340, 150));
}

TEST(SFPrimitiveTwoCircles2, NoDistanceUntilTheFourthPoint)
{
    SFPrimitiveTwoCircles2 circles(100, 100, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(circles, {140, 100}, kToolTwoCircles2);
    EXPECT_EQ(LabelText(circles), "");
    EXPECT_EQ(circles.GetAuxiliary().getVertexCount(), 0u);
    EXPECT_EQ(circles.GetShape().getVertexCount(), 202u);
    MoveAndClick(circles, {300, 100}, kToolTwoCircles2);
    MoveAndClick(circles, {340, 100}, kToolTwoCircles2);
    circles.OnMouseDown(340, 100, kToolTwoCircles2);
    EXPECT_TRUE(circles.IsFinished());
    EXPECT_EQ(LabelText(circles), "D: 200.00 px");
    EXPECT_FLOAT_EQ(circles.GetResult().startX, 120.0f);
    EXPECT_FLOAT_EQ(circles.GetResult().endX, 320.0f);

    // Every defining point is a handle; near a midpoint picks the circle.
    EXPECT_EQ(circles.HitTest(100, 100).kind, kHitHandle);
    HitRecord second = circles.HitTest(322, 102);
    EXPECT_EQ(second.kind, kHitBody);
    EXPECT_EQ(second.part, 1);
}

TEST(SFPrimitiveTwoCircles3, SixClicksOnTwoCircles)
{
    auto built = Build<SFPrimitiveTwoCircles3>(
        {{150, 100}, {100, 150}, {50, 100}, {350, 100}, {300, 150}}, kToolTwoCircles3);
    auto& circles = *built;
    EXPECT_FALSE(circles.IsFinished());
    MoveAndClick(circles, {250, 100}, kToolTwoCircles3);
    EXPECT_TRUE(circles.IsFinished());
    EXPECT_EQ(LabelText(circles), "D: 200.00 px");
    EXPECT_EQ(circles.GetShape().getVertexCount(), 404u);
    EXPECT_EQ(circles.HitTest(100, 52).part, 0);
    EXPECT_EQ(circles.HitTest(300, 100).part, 1);

    // Dragging the first circle moves its three points.
    Drag(circles, {100, 100}, {100, 150});
    EXPECT_EQ(LabelText(circles), "D: 206.16 px");
}

TEST(SFPrimitiveTwoCircles3, CollinearCircleReadsZeroAndKeepsItsOutline)
{
    auto built = Build<SFPrimitiveTwoCircles3>(
        {{150, 100}, {100, 150}, {50, 100}, {350, 100}, {300, 150}, {250, 100}}, kToolTwoCircles3);
    auto& circles = *built;
    const sf::Vector2f outline = Vertex(circles, 50);
    // Put the first circle's middle point on the line through the others.
    HitRecord hit = Drag(circles, {100, 150}, {100, 100});
    EXPECT_EQ(hit.kind, kHitHandle);
    EXPECT_TRUE(IsAllFinite(circles));
    EXPECT_EQ(circles.GetShape().getVertexCount(), 404u);
    EXPECT_EQ(Vertex(circles, 50), outline);
    EXPECT_EQ(circles.GetAuxiliary().getVertexCount(), 0u);
    EXPECT_EQ(circles.GetResult().distance, 0.0f);
    EXPECT_EQ(LabelText(circles), "D: 0.00 px");

    // Built on a line from the start: only the second circle is drawn.
    auto builtFlat = Build<SFPrimitiveTwoCircles3>(
        {{0, 100}, {50, 100}, {100, 100}, {350, 100}, {300, 150}, {250, 100}, {250, 100}}, kToolTwoCircles3);
    auto& flat = *builtFlat;
    EXPECT_TRUE(flat.IsFinished());
    EXPECT_TRUE(IsAllFinite(flat));
    EXPECT_EQ(flat.GetShape().getVertexCount(), 202u);
    EXPECT_EQ(LabelText(flat), "D: 0.00 px");
    EXPECT_EQ(flat.HitTest(300, 100).part, 1);
    // Mending the first circle brings the distance back.
    Drag(flat, {50, 100}, {50, 50});
    EXPECT_EQ(flat.GetShape().getVertexCount(), 404u);
    EXPECT_NEAR(flat.GetResult().distance, Distance({50, 100}, {300, 100}), 0.01f);
}
