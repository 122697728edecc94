// Every kind a creation tool makes, driven through the container the way the
// preview drives it: built by its clicks, hovered, dragged with the move
// tool and deleted with the delete tool.

#include "app/measure/SFPrimitiveContainer.h"
#include "tests/support/measure/FiniteCheck.h"
#include "tests/support/measure/MessageRecorder.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

using namespace kelvara;
using namespace kelvara::test;

namespace {

struct KindCase
{
    const char* typeName;
    int tool;
    std::vector<sf::Vector2f> clicks;  // view positions; the first creates
    bool rightClickFinishes;  // the open polylines finish on the right button
    sf::Vector2f grab;  // a position that hovers the finished primitive
};

std::vector<sf::Vertex> Vertices(const sf::VertexArray& array)
{
    std::vector<sf::Vertex> out;
    for (std::size_t i = 0; i < array.getVertexCount(); ++i)
        out.push_back(array[i]);
    return out;
}

bool SamePositions(const std::vector<sf::Vertex>& a, const std::vector<sf::Vertex>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].position != b[i].position)
            return false;
    }
    return true;
}

class PrimitiveKinds : public ::testing::TestWithParam<KindCase>
{
protected:
    PrimitiveKinds()
        : recorder(container)
    {
        container.SetRect({10, 20, 810, 620});
        container.SetLock(&lock);
    }
    void Move(sf::Vector2f v) { container.OnMouseMove(v.x + 10, v.y + 20); }
    void Down(sf::Vector2f v) { container.OnMouseDown(v.x + 10, v.y + 20); }
    void Up(sf::Vector2f v) { container.OnMouseUp(v.x + 10, v.y + 20); }

    std::recursive_mutex lock;
    SFPrimitiveContainer container;
    MessageRecorder recorder;
};

}  // namespace

TEST_P(PrimitiveKinds, BuiltHoveredDraggedAndDeleted)
{
    const KindCase& c = GetParam();
    container.SetTool(c.tool);
    for (const sf::Vector2f& p : c.clicks) {
        Move(p);
        Down(p);
        Up(p);
    }
    if (c.rightClickFinishes)
        container.OnRightButtonDown(c.clicks.back().x + 10, c.clicks.back().y + 20);
    ASSERT_EQ(container.GetCount(), 1);
    const SFPrimitiveBase& primitive = *container.GetPrimitive(0);
    EXPECT_EQ(primitive.GetTypeName(), c.typeName);
    EXPECT_TRUE(primitive.IsFinished());
    EXPECT_TRUE(IsAllFinite(primitive));
    EXPECT_EQ(recorder.Count(WM_MEASURE_ADD), 1);

    // Hover away, then back onto it with the move tool and drag.
    container.SetTool(kToolMove);
    Move({700, 560});
    EXPECT_EQ(container.GetHit().index, -1);
    Move(c.grab);
    ASSERT_EQ(container.GetHit().index, 0);
    EXPECT_NE(container.GetHit().kind, kHitNone);
    const std::vector<sf::Vertex> before = Vertices(primitive.GetShape());
    const sf::Vector2f labelBefore = primitive.GetLabel().getPosition();
    const sf::Vector2f dropped = c.grab + sf::Vector2f(7, 5);
    Down(c.grab);
    Move(dropped);
    Up(dropped);
    EXPECT_TRUE(!SamePositions(before, Vertices(primitive.GetShape()))
        || labelBefore != primitive.GetLabel().getPosition());
    EXPECT_TRUE(IsAllFinite(primitive));

    // The delete tool removes what it hovers.
    container.SetTool(kToolDelete);
    Move({700, 560});
    Move(dropped);
    ASSERT_EQ(container.GetHit().index, 0);
    Down(dropped);
    Up(dropped);
    EXPECT_EQ(container.GetCount(), 0);
    EXPECT_EQ(recorder.Messages().back(), (RecordedMessage{WM_MEASURE_REMOVE, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(ByTool, PrimitiveKinds,
    ::testing::Values(KindCase{"Point", kToolPoint, {{100, 100}}, false, {100, 100}},
        KindCase{"Line", kToolLine, {{100, 100}, {200, 100}}, false, {100, 100}},
        KindCase{"Broken Line", kToolBrokenLine, {{100, 100}, {200, 100}, {200, 200}}, true, {100, 100}},
        KindCase{"Rectangle", kToolRectangle, {{100, 100}, {200, 200}}, false, {100, 100}},
        KindCase{"Polygon", kToolPolygon, {{100, 100}, {200, 100}, {200, 200}}, true, {100, 100}},
        KindCase{"Circle", kToolCircle, {{300, 300}, {350, 300}}, false, {300, 300}},
        KindCase{"Two Points Circle", kToolCircle2, {{100, 100}, {200, 100}}, false, {100, 100}},
        KindCase{"Three Points Circle", kToolCircle3, {{150, 100}, {100, 150}, {50, 100}}, false, {150, 100}},
        KindCase{"Arc", kToolArc, {{150, 100}, {100, 150}, {50, 100}}, false, {100, 150}},
        KindCase{"Angle", kToolAngle, {{200, 100}, {100, 100}, {100, 20}}, false, {200, 100}},
        KindCase{"Text", kToolText, {{100, 100}, {200, 100}}, false, {200, 100}},
        KindCase{
            "Perpendicular Line", kToolPerpendicular, {{50, 100}, {250, 100}, {150, 40}}, false, {150, 40}},
        KindCase{"Crosshair", kToolCrosshair, {{300, 300}, {300, 300}}, false, {300, 300}},
        KindCase{"Crosshair2", kToolCrosshair2, {{100, 100}, {100, 100}, {250, 180}}, false, {250, 180}},
        KindCase{"Parallel", kToolParallel, {{50, 50}, {150, 50}, {70, 100}, {170, 130}}, false, {100, 50}},
        KindCase{"Concentrical", kToolConcentrical, {{300, 300}, {330, 300}, {350, 300}}, false, {300, 300}},
        KindCase{"TwoCircles", kToolTwoCircles, {{100, 100}, {130, 100}, {300, 100}, {320, 100}}, false,
            {130, 100}},
        KindCase{"TwoCircles2", kToolTwoCircles2, {{100, 100}, {140, 100}, {300, 100}, {340, 100}}, false,
            {320, 100}},
        KindCase{"TwoCircles3", kToolTwoCircles3,
            {{150, 100}, {100, 150}, {50, 100}, {350, 100}, {300, 150}, {250, 100}}, false, {300, 100}}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return "Tool" + std::to_string(info.param.tool); });
