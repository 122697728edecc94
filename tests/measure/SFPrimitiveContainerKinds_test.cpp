#include "app/measure/MeasurePrimitiveFactory.h"
#include "app/measure/SFPrimitiveContainer.h"
#include "tests/support/measure/MessageRecorder.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

using namespace kelvara;
using namespace kelvara::test;

namespace {

// How a user builds one kind: the clicks, an optional finishing right click,
// and a point that grabs something draggable once it is finished.
struct KindWalk
{
    int tool;
    const char* type;
    std::vector<sf::Vector2f> clicks;
    std::optional<sf::Vector2f> rightClick;
    sf::Vector2f grab;
};

const KindWalk kWalks[] = {
    {kToolPoint, "Point", {{100, 100}}, {}, {100, 100}},
    {kToolLine, "Line", {{100, 100}, {300, 100}}, {}, {300, 100}},
    {kToolBrokenLine, "Broken Line", {{100, 100}, {200, 150}}, sf::Vector2f(300, 100), {300, 100}},
    {kToolRectangle, "Rectangle", {{100, 100}, {300, 200}}, {}, {300, 200}},
    {kToolPolygon, "Polygon", {{100, 100}, {300, 100}}, sf::Vector2f(200, 250), {300, 100}},
    {kToolCircle, "Circle", {{200, 200}, {250, 200}}, {}, {200, 200}},
    {kToolCircle2, "Two Points Circle", {{150, 200}, {250, 200}}, {}, {250, 200}},
    {kToolCircle3, "Three Points Circle", {{150, 200}, {200, 150}, {250, 200}}, {}, {250, 200}},
    {kToolArc, "Arc", {{150, 200}, {200, 150}, {250, 200}}, {}, {250, 200}},
    {kToolAngle, "Angle", {{100, 200}, {200, 200}, {200, 100}}, {}, {200, 100}},
    {kToolText, "Text", {{100, 100}, {300, 150}}, {}, {300, 150}},
    {kToolPerpendicular, "Perpendicular Line", {{100, 100}, {300, 100}, {200, 200}}, {}, {200, 200}},
    {kToolCrosshair, "Crosshair", {{200, 200}, {220, 220}}, {}, {220, 220}},
    {kToolCrosshair2, "Crosshair2", {{100, 100}, {150, 150}, {300, 250}}, {}, {300, 250}},
    {kToolParallel, "Parallel", {{100, 100}, {300, 100}, {100, 200}, {300, 210}}, {}, {100, 100}},
    {kToolConcentrical, "Concentrical", {{200, 200}, {250, 200}, {280, 200}}, {}, {200, 200}},
    {kToolTwoCircles, "TwoCircles", {{100, 200}, {150, 200}, {300, 200}, {340, 200}}, {}, {340, 200}},
    {kToolTwoCircles2, "TwoCircles2", {{100, 200}, {200, 200}, {300, 200}, {400, 200}}, {}, {400, 200}},
    {kToolTwoCircles3, "TwoCircles3",
        {{100, 200}, {150, 150}, {200, 200}, {300, 200}, {350, 150}, {400, 200}}, {}, {400, 200}},
    {kToolCalibration, "Calibration", {{100, 100}}, {}, {300, 100}},
};

// Everything drawn of a primitive, to tell whether a drag moved anything.
std::vector<sf::Vector2f> Drawing(const SFPrimitiveBase& p)
{
    std::vector<sf::Vector2f> out;
    for (const sf::VertexArray& a : {p.GetShape(), p.GetAuxiliary()})
        for (std::size_t i = 0; i < a.getVertexCount(); ++i)
            out.push_back(a[i].position);
    out.push_back(p.GetLabel().getPosition());
    return out;
}

bool AllFinite(const MeasureResult& r)
{
    for (float v : {r.centerX, r.centerY, r.startX, r.startY, r.endX, r.endY, r.radius, r.area, r.length,
             r.angle, r.distance, r.width, r.height})
        if (!std::isfinite(v))
            return false;
    return true;
}

class KindsTest : public ::testing::Test
{
protected:
    KindsTest()
        : recorder(container)
    {
        container.SetLock(&lock);
    }

    int Move(sf::Vector2f p) { return container.OnMouseMove(p.x, p.y); }
    void Click(sf::Vector2f p)
    {
        Move(p);
        container.OnMouseDown(p.x, p.y);
        container.OnMouseUp(p.x, p.y);
    }
    // Builds the kind with the mouse; checks it finishes on the last action.
    void Build(const KindWalk& walk)
    {
        container.SetTool(walk.tool);
        for (std::size_t i = 0; i < walk.clicks.size(); ++i) {
            const bool last = i + 1 == walk.clicks.size() && !walk.rightClick;
            if (last && i > 0) {
                EXPECT_FALSE(container.GetPrimitive(0)->IsFinished()) << walk.type;
            }
            Click(walk.clicks[i]);
        }
        if (walk.rightClick) {
            EXPECT_FALSE(container.GetPrimitive(0)->IsFinished()) << walk.type;
            Move(*walk.rightClick);
            container.OnRightButtonDown(walk.rightClick->x, walk.rightClick->y);
        }
    }

    std::recursive_mutex lock;
    SFPrimitiveContainer container;
    MessageRecorder recorder;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST_F(KindsTest, EveryKindIsCreatedFinishedHoveredDraggedAndDeleted)
{
    ASSERT_EQ(std::size(kWalks), static_cast<std::size_t>(kPrimitiveKindCount));
    for (const KindWalk& walk : kWalks) {
        SCOPED_TRACE(walk.type);
        container.DeleteAll(false);
        recorder.Messages().clear();
        Move({700, 550});

        Build(walk);
        ASSERT_EQ(container.GetCount(), 1);
        const SFPrimitiveBase& primitive = *container.GetPrimitive(0);
        EXPECT_EQ(primitive.GetTypeName(), walk.type);
        EXPECT_TRUE(primitive.IsFinished());
        EXPECT_TRUE(AllFinite(container.GetResult(0)));
        EXPECT_EQ(recorder.Count(WM_MEASURE_ADD), walk.tool == kToolCalibration ? 0 : 1);

        // Hover finds it again once the mouse has left it.
        EXPECT_EQ(Move({700, 550}), -1);
        container.SetTool(kToolMove);
        EXPECT_EQ(Move(walk.grab), 0);
        const std::vector<sf::Vector2f> before = Drawing(primitive);
        const sf::Vector2f to = walk.grab + sf::Vector2f(15, 25);
        container.OnMouseDown(walk.grab.x, walk.grab.y);
        Move(to);
        container.OnMouseUp(to.x, to.y);
        EXPECT_NE(Drawing(primitive), before);
        EXPECT_TRUE(AllFinite(container.GetResult(0)));
        EXPECT_EQ(recorder.Messages().back(), (RecordedMessage{WM_MEASURE_UPDATE, 0, 0}));

        container.SetTool(kToolDelete);
        EXPECT_EQ(Move(to), 0);
        container.OnMouseDown(to.x, to.y);
        EXPECT_EQ(container.GetCount(), 0);
        EXPECT_EQ(recorder.Messages().back(), (RecordedMessage{WM_MEASURE_REMOVE, 0, 0}));
    }
    EXPECT_EQ(MakePrimitive(kPrimitiveKindCount, 0, 0, 1, 1, 0, 0, "px"), nullptr);
    EXPECT_EQ(MakePrimitive(-1, 0, 0, 1, 1, 0, 0, "px"), nullptr);
}

TEST_F(KindsTest, CsvRowsOfLineCircleAndAngleMatchFixtures)
{
    char pattern[] = "/tmp/kelvara-kinds-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    const std::string path = dir + "/results.csv";
    for (const char* name : {"circle", "angle"}) {
        container.DeleteAll(false);
        Move({700, 550});
        for (const KindWalk& walk : kWalks) {
            if ((std::string(name) == "circle" && walk.tool == kToolCircle)
                || (std::string(name) == "angle" && walk.tool == kToolAngle))
                Build(walk);
        }
        ASSERT_EQ(container.GetCount(), 1);
        EXPECT_NE(container.ExportCsv(L"" + std::wstring(path.begin(), path.end()), "px"), 0);
        EXPECT_EQ(ReadFile(path), ReadFile(std::string(KELVARA_MEASURE_FIXTURES "/") + name + ".csv"))
            << name;
    }
    unlink(path.c_str());
    rmdir(dir.c_str());
}

TEST_F(KindsTest, CalibrationRelabelsEveryKindAtOnce)
{
    // All kinds side by side on a diagonal, so no click lands on another.
    std::vector<std::string> before;
    for (const KindWalk& walk : kWalks) {
        if (walk.tool == kToolCalibration)
            continue;
        const sf::Vector2f offset(600.0f * before.size(), 600.0f * before.size());
        KindWalk moved = walk;
        for (sf::Vector2f& c : moved.clicks)
            c += offset;
        if (moved.rightClick)
            *moved.rightClick += offset;
        Move(moved.clicks[0] + sf::Vector2f(-90, -90));
        container.SetTool(moved.tool);
        for (sf::Vector2f c : moved.clicks)
            Click(c);
        if (moved.rightClick) {
            Move(*moved.rightClick);
            container.OnRightButtonDown(moved.rightClick->x, moved.rightClick->y);
        }
        ASSERT_EQ(container.GetCount(), static_cast<int>(before.size()) + 1) << walk.type;
        before.push_back(
            container.GetPrimitive(container.GetCount() - 1)->GetLabel().getString().toAnsiString());
    }

    container.SetCalibration("mm", 0.5f);
    for (int i = 0; i < container.GetCount(); ++i) {
        const std::string after = container.GetPrimitive(i)->GetLabel().getString().toAnsiString();
        SCOPED_TRACE(container.GetPrimitive(i)->GetTypeName() + ": " + before[i] + " -> " + after);
        EXPECT_EQ(after.find(" px"), std::string::npos);
        if (before[i].find(" px") != std::string::npos) {
            EXPECT_NE(after.find(" mm"), std::string::npos);
        }
    }
    EXPECT_EQ(container.GetPrimitive(1)->GetLabel().getString().toAnsiString(), "L: 100.00 mm");
    EXPECT_FLOAT_EQ(container.GetResult(5).radius, 25.0f);
}
