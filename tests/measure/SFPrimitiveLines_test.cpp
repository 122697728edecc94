#include "app/measure/SFPrimitiveCalibration.h"
#include "app/measure/SFPrimitiveLine.h"
#include "app/measure/SFPrimitivePoint.h"
#include "app/measure/SFPrimitiveText.h"
#include "tests/support/measure/PrimitiveDriver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace kelvara;
using namespace kelvara::test;

namespace {

const sf::Color kGreen(0, 255, 0);
const sf::Color kBlue(0, 0, 255);
const sf::Color kRed(255, 0, 0);

std::unique_ptr<SFPrimitiveLine> MakeLine(sf::Vector2f a, sf::Vector2f b)
{
    auto line = std::make_unique<SFPrimitiveLine>(a.x, a.y, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(*line, b, kToolLine);
    return line;
}

}  // namespace

TEST(SFPrimitivePoint, LabelShowsImagePixelsWithoutUnit)
{
    // Zoom 2, origin (10, 5): view (110, 45) is image (50, 20).
    SFPrimitivePoint point(110, 45, 2.0f, 0.01f, 10, 5, "mm");
    EXPECT_TRUE(point.IsFinished());
    EXPECT_EQ(LabelText(point), "(50.0,20.0)");
    EXPECT_EQ(point.GetLabel().getPosition(), sf::Vector2f(115, 50));
    EXPECT_FLOAT_EQ(point.GetResult().centerX, 50.0f);
    EXPECT_FLOAT_EQ(point.GetResult().centerY, 20.0f);
    EXPECT_EQ(point.GetShape().getPrimitiveType(), sf::Points);
}

TEST(SFPrimitivePoint, DragMovesPointAndLabelTogether)
{
    SFPrimitivePoint point(100, 100, 1.0f, 1.0f, 0, 0, "px");
    EXPECT_EQ(point.HitTest(110, 100).kind, kHitNone);
    HitRecord hit = Drag(point, {109, 100}, {129, 130});
    EXPECT_EQ(hit.kind, kHitBody);
    EXPECT_EQ(hit.vertex, 0);
    EXPECT_EQ(Vertex(point, 0), sf::Vector2f(120, 130));
    EXPECT_EQ(point.GetLabel().getPosition(), sf::Vector2f(125, 135));
    EXPECT_EQ(LabelText(point), "(120.0,130.0)");
}

TEST(SFPrimitiveLine, RubberBandShowsLiveLengthUntilTheSecondClick)
{
    SFPrimitiveLine line(10, 10, 1.0f, 1.0f, 0, 0, "px");
    EXPECT_FALSE(line.IsFinished());
    line.OnMouseMove(110, 10, kToolLine, false, HitRecord());
    EXPECT_EQ(LabelText(line), "L: 100.00 px");
    // Moves under another tool leave the band alone.
    line.OnMouseMove(300, 300, kToolMove, false, HitRecord());
    EXPECT_EQ(Vertex(line, 1), sf::Vector2f(110, 10));

    line.OnMouseDown(210, 10, kToolLine);
    EXPECT_TRUE(line.IsFinished());
    EXPECT_FLOAT_EQ(line.GetResult().length, 200.0f);
    // A click on a finished line only refreshes it.
    line.OnMouseDown(500, 500, kToolLine);
    EXPECT_EQ(Vertex(line, 1), sf::Vector2f(210, 10));
}

TEST(SFPrimitiveLine, LengthFollowsZoomAndScale)
{
    struct Case
    {
        float zoom, scale;
        const char* unit;
        const char* label;
        float length;
    };
    const Case cases[] = {
        {1.0f, 1.0f, "px", "L: 200.00 px", 200.0f},
        {2.0f, 0.01f, "mm", "L: 1.00 mm", 1.0f},
        {0.5f, 0.254f, "in", "L: 101.60 in", 101.6f},
        {1.0f, 0.5f, "mm", "L: 100.00 mm", 100.0f},
    };
    for (const Case& c : cases) {
        SFPrimitiveLine line(0, 0, c.zoom, c.scale, 0, 0, c.unit);
        MoveAndClick(line, {200, 0}, kToolLine);
        EXPECT_EQ(LabelText(line), c.label);
        EXPECT_NEAR(line.GetResult().length, c.length, 1e-4f);
        EXPECT_FLOAT_EQ(line.GetResult().endX, 200.0f / c.zoom);
    }
}

TEST(SFPrimitiveLine, HitTestOrderVertexBodyLabel)
{
    auto linePtr = MakeLine({100, 100}, {300, 100});
    SFPrimitiveLine& line = *linePtr;
    struct Case
    {
        sf::Vector2f p;
        int kind;
        int vertex;
    };
    const Case cases[] = {
        {{309.9f, 109.9f}, kHitVertex, 1},
        {{90.1f, 100}, kHitVertex, 0},
        {{200, 100.5f}, kHitBody, -1},
        {{310, 100}, kHitNone, -1},  // on the extension, 10 away from the end
        {{200, 120}, kHitNone, -1},
        {{102, 112}, kHitLabel, -1},
    };
    for (const Case& c : cases) {
        HitRecord hit = line.HitTest(c.p.x, c.p.y);
        EXPECT_EQ(hit.kind, c.kind) << c.p.x << "," << c.p.y;
        EXPECT_EQ(hit.vertex, c.vertex) << c.p.x << "," << c.p.y;
        EXPECT_EQ(hit.index, -1);
        EXPECT_EQ(hit.mouseX, c.p.x);
    }
}

TEST(SFPrimitiveLine, HoverHighlightsWhatIsHitAndAMissRestores)
{
    auto linePtr = MakeLine({100, 100}, {300, 100});
    SFPrimitiveLine& line = *linePtr;
    line.HitTest(300, 100);
    EXPECT_EQ(VertexColor(line, 1), kBlue);
    EXPECT_EQ(VertexColor(line, 0), kGreen);
    line.HitTest(200, 100);
    EXPECT_EQ(VertexColor(line, 0), kBlue);
    line.HitTest(105, 111);
    EXPECT_EQ(line.GetLabel().getFillColor(), kBlue);
    line.HitTest(500, 500);
    EXPECT_EQ(VertexColor(line, 0), kGreen);
    EXPECT_EQ(VertexColor(line, 1), kGreen);
    EXPECT_EQ(line.GetLabel().getFillColor(), kGreen);
}

TEST(SFPrimitiveLine, DragsMoveVertexBodyOrLabel)
{
    auto linePtr = MakeLine({100, 100}, {300, 100});
    SFPrimitiveLine& line = *linePtr;
    // Grabbed 5 px off the end: the end keeps that offset, the label stays.
    Drag(line, {305, 100}, {305, 200});
    EXPECT_EQ(Vertex(line, 1), sf::Vector2f(300, 200));
    EXPECT_EQ(line.GetLabel().getPosition(), sf::Vector2f(100, 105));
    EXPECT_NEAR(line.GetResult().length, std::hypot(200.0f, 100.0f), 1e-3f);

    auto bodyPtr = MakeLine({100, 100}, {300, 100});
    SFPrimitiveLine& body = *bodyPtr;
    Drag(body, {200, 100}, {210, 150});
    EXPECT_EQ(Vertex(body, 0), sf::Vector2f(110, 150));
    EXPECT_EQ(Vertex(body, 1), sf::Vector2f(310, 150));
    EXPECT_EQ(body.GetLabel().getPosition(), sf::Vector2f(110, 155));
    EXPECT_FLOAT_EQ(body.GetResult().startY, 150.0f);

    auto labelPtr = MakeLine({100, 100}, {300, 100});
    SFPrimitiveLine& label = *labelPtr;
    Drag(label, {105, 112}, {125, 142});
    EXPECT_EQ(label.GetLabel().getPosition(), sf::Vector2f(120, 135));
    EXPECT_EQ(Vertex(label, 0), sf::Vector2f(100, 100));

    // Without the button held, or with another tool, nothing moves.
    auto idlePtr = MakeLine({100, 100}, {300, 100});
    SFPrimitiveLine& idle = *idlePtr;
    HitRecord hit = idle.HitTest(300, 100);
    idle.OnMouseMove(350, 150, kToolMove, false, hit);
    idle.OnMouseMove(350, 150, kToolLine, true, hit);
    EXPECT_EQ(Vertex(idle, 1), sf::Vector2f(300, 100));
}

TEST(SFPrimitiveText, KeepsItsTextThroughCalibrationAndRefit)
{
    SFPrimitiveText text(50, 50, 1.0f, 1.0f, 0, 0, "px");
    EXPECT_EQ(LabelText(text), "Hello world");
    MoveAndClick(text, {150, 80}, kToolText);
    EXPECT_TRUE(text.IsFinished());
    EXPECT_EQ(Vertex(text, 1), sf::Vector2f(150, 80));
    text.SetCalibration("mm", 0.5f);
    text.ApplyViewTransform(2.0f, 0, 0);
    EXPECT_EQ(LabelText(text), "Hello world");
    EXPECT_EQ(Vertex(text, 1), sf::Vector2f(300, 160));
}

TEST(SFPrimitiveText, VertexJumpsToTheMouseAndBodyStays)
{
    SFPrimitiveText text(50, 50, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(text, {150, 50}, kToolText);
    Drag(text, {155, 55}, {200, 90});
    EXPECT_EQ(Vertex(text, 1), sf::Vector2f(200, 90));

    EXPECT_EQ(text.HitTest(100, 150).kind, kHitNone);
    HitRecord body = Drag(text, {125, 70}, {125, 10});  // on the leader, away from the vertices
    EXPECT_EQ(body.kind, kHitBody);
    EXPECT_EQ(Vertex(text, 0), sf::Vector2f(50, 50));
    EXPECT_EQ(VertexColor(text, 0), kBlue);
}

TEST(SFPrimitiveCalibration, StartsAsA200PixelRedLineWithTicks)
{
    SFPrimitiveCalibration cal(100, 100, 2.0f, 0.01f, 0, 0, "mm");
    EXPECT_TRUE(cal.IsFinished());
    const sf::VertexArray shape = cal.GetShape();
    ASSERT_EQ(shape.getVertexCount(), 6u);
    const sf::Vector2f expected[] = {{100, 100}, {300, 100}, {300, 150}, {300, 50}, {100, 150}, {100, 50}};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(shape[i].position, expected[i]) << i;
        EXPECT_EQ(shape[i].color, kRed);
    }
    // Image pixels whatever the calibration.
    EXPECT_EQ(LabelText(cal), "L: 100.00 px");
    EXPECT_FLOAT_EQ(cal.GetResult().length, 100.0f);
    cal.SetCalibration("mm", 0.5f);
    EXPECT_EQ(LabelText(cal), "L: 100.00 px");
    EXPECT_EQ(cal.GetLabel().getFillColor(), kGreen);
}

TEST(SFPrimitiveCalibration, OnlyTheEndsAreVertexHits)
{
    SFPrimitiveCalibration cal(100, 100, 1.0f, 1.0f, 0, 0, "px");
    EXPECT_EQ(cal.HitTest(300, 100).kind, kHitVertex);
    EXPECT_EQ(cal.HitTest(300, 100).vertex, 1);
    EXPECT_EQ(cal.HitTest(300, 150).kind, kHitNone);  // tick end
    HitRecord body = cal.HitTest(200, 100);
    EXPECT_EQ(body.kind, kHitBody);
    EXPECT_EQ(VertexColor(cal, 4), kBlue);
    cal.HitTest(600, 600);
    EXPECT_EQ(VertexColor(cal, 4), kRed);
    EXPECT_EQ(cal.GetLabel().getFillColor(), kRed);
}

TEST(SFPrimitiveCalibration, DraggedEndJumpsToMouseAndTicksTurn)
{
    SFPrimitiveCalibration cal(100, 100, 1.0f, 1.0f, 0, 0, "px");
    Drag(cal, {305, 100}, {200, 200});
    EXPECT_EQ(Vertex(cal, 1), sf::Vector2f(200, 200));
    EXPECT_NEAR(cal.GetResult().length, std::hypot(100.0f, 100.0f), 1e-3f);
    const float h = 50.0f / std::sqrt(2.0f);
    EXPECT_NEAR(Vertex(cal, 2).x, 200 - h, 1e-3f);
    EXPECT_NEAR(Vertex(cal, 2).y, 200 + h, 1e-3f);

    Drag(cal, {150, 150}, {170, 150});
    EXPECT_EQ(Vertex(cal, 0), sf::Vector2f(120, 100));
    EXPECT_EQ(cal.GetLabel().getPosition(), sf::Vector2f(120, 105));
    EXPECT_NEAR(Vertex(cal, 4).x, 120 - h, 1e-3f);
}

TEST(SFPrimitiveCalibration, ZeroLengthKeepsTheTickDirection)
{
    SFPrimitiveCalibration cal(100, 100, 1.0f, 1.0f, 0, 0, "px");
    Drag(cal, {300, 100}, {200, 200});
    const sf::Vector2f tick = Vertex(cal, 2) - Vertex(cal, 3);
    Drag(cal, {200, 200}, {100, 100});
    EXPECT_EQ(LabelText(cal), "L: 0.00 px");
    EXPECT_FLOAT_EQ(cal.GetResult().length, 0.0f);
    for (std::size_t i = 2; i < 6; ++i)
        EXPECT_TRUE(std::isfinite(Vertex(cal, i).x) && std::isfinite(Vertex(cal, i).y)) << i;
    const sf::Vector2f kept = Vertex(cal, 2) - Vertex(cal, 3);
    EXPECT_NEAR(kept.x, tick.x, 1e-3f);
    EXPECT_NEAR(kept.y, tick.y, 1e-3f);
    EXPECT_NEAR(Vertex(cal, 4).x, Vertex(cal, 2).x, 1e-3f);
}
