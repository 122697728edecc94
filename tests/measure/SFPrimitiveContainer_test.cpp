#include "app/measure/SFPrimitiveContainer.h"
#include "tests/support/measure/MessageRecorder.h"
#include "tests/support/measure/PrimitiveDriver.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kelvara;
using namespace kelvara::test;

namespace {

// The preview lies at (10, 20) in its host window, 800 x 600.
constexpr float kLeft = 10.0f;
constexpr float kTop = 20.0f;

class ContainerTest : public ::testing::Test
{
protected:
    ContainerTest()
        : recorder(container)
    {
        container.SetRect({10, 20, 810, 620});
        container.SetLock(&lock);
    }

    // Mouse events at view positions, converted to host coordinates.
    int Move(sf::Vector2f v) { return container.OnMouseMove(v.x + kLeft, v.y + kTop); }
    int Down(sf::Vector2f v) { return container.OnMouseDown(v.x + kLeft, v.y + kTop); }
    int Up(sf::Vector2f v) { return container.OnMouseUp(v.x + kLeft, v.y + kTop); }
    int Click(sf::Vector2f v)
    {
        Move(v);
        Down(v);
        return Up(v);
    }
    void Line(sf::Vector2f a, sf::Vector2f b)
    {
        container.SetTool(kToolLine);
        Click(a);
        Click(b);
    }
    std::string Label(int index) { return LabelText(*container.GetPrimitive(index)); }

    std::recursive_mutex lock;
    SFPrimitiveContainer container;
    MessageRecorder recorder;
};

}  // namespace

TEST_F(ContainerTest, LineIsBuiltByTwoClicksAndListed)
{
    container.SetTool(kToolLine);
    EXPECT_EQ(Click({100, 50}), 0);
    EXPECT_FALSE(container.GetPrimitive(0)->IsFinished());
    // Rubber band: each move refreshes the row.
    Move({150, 50});
    EXPECT_EQ(recorder.Messages().back(), (RecordedMessage{WM_MEASURE_UPDATE, 0, 0}));
    EXPECT_EQ(recorder.List().GetItemText(nullptr, 0, 8), "50.00");
    Click({200, 50});
    EXPECT_TRUE(container.GetPrimitive(0)->IsFinished());
    EXPECT_EQ(container.GetCount(), 1);
    EXPECT_EQ(recorder.Count(WM_MEASURE_ADD), 1);
    // Positions reach the primitive in view coordinates.
    EXPECT_FLOAT_EQ(container.GetResult(0).startX, 100.0f);
    EXPECT_FLOAT_EQ(container.GetResult(0).length, 100.0f);
    EXPECT_EQ(recorder.List().GetItemText(nullptr, 0, 2), "(100.0,50.0)");
    EXPECT_TRUE(container.GetPrimitive(0)->IsSelected());

    // Hovering away releases it; a click elsewhere starts the next line.
    EXPECT_EQ(Move({400, 400}), -1);
    Line({400, 400}, {400, 500});
    EXPECT_EQ(container.GetCount(), 2);
    EXPECT_FALSE(container.GetPrimitive(0)->IsSelected());
    EXPECT_EQ(recorder.List().GetRowCount(), 2);
}

TEST_F(ContainerTest, CreationToolOverAPrimitiveCreatesNothing)
{
    Line({100, 100}, {300, 100});
    Move({500, 500});
    container.SetTool(kToolPoint);
    EXPECT_EQ(Move({200, 100}), 0);
    EXPECT_EQ(Down({200, 100}), 0);
    Up({200, 100});
    EXPECT_EQ(container.GetCount(), 1);
    EXPECT_EQ(recorder.Count(WM_MEASURE_ADD), 1);
}

TEST_F(ContainerTest, HoverStopsAtTheFirstHit)
{
    Line({100, 100}, {300, 100});
    Move({500, 500});
    Line({150, 200}, {150, 110});
    EXPECT_EQ(Move({150, 200}), 1);
    EXPECT_EQ(VertexColor(*container.GetPrimitive(1), 0), sf::Color::Blue);
    EXPECT_EQ(Move({200, 100}), 0);
    // The later line was not tested in that round: it keeps its highlight.
    EXPECT_EQ(VertexColor(*container.GetPrimitive(0), 0), sf::Color::Blue);
    EXPECT_EQ(VertexColor(*container.GetPrimitive(1), 0), sf::Color::Blue);
    EXPECT_EQ(Move({500, 500}), -1);
    EXPECT_EQ(VertexColor(*container.GetPrimitive(1), 0), sf::Color::Green);
}

TEST_F(ContainerTest, MoveToolDragsTheHoveredPrimitive)
{
    Line({100, 100}, {300, 100});
    container.SetTool(kToolMove);
    Move({500, 500});
    Move({300, 100});
    Down({300, 100});
    Move({300, 200});
    Up({300, 200});
    EXPECT_FLOAT_EQ(container.GetResult(0).endY, 200.0f);
    EXPECT_EQ(recorder.List().GetItemText(nullptr, 0, 3), "(300.0,200.0)");
    EXPECT_EQ(container.GetCount(), 1);
}

TEST_F(ContainerTest, DeleteToolRemovesTheHoveredPrimitive)
{
    Line({100, 100}, {300, 100});
    Move({500, 500});
    Line({100, 300}, {300, 300});
    container.SetTool(kToolDelete);
    Move({200, 100});
    EXPECT_EQ(Down({200, 100}), -1);
    Up({200, 100});
    EXPECT_EQ(container.GetCount(), 1);
    EXPECT_EQ(recorder.Messages().back(), (RecordedMessage{WM_MEASURE_REMOVE, 0, 0}));
    // The list lost its first row; the second line moved up.
    ASSERT_EQ(recorder.List().GetRowCount(), 1);
    EXPECT_EQ(recorder.List().GetItemText(nullptr, 0, 2), "(100.0,300.0)");
    // A click on nothing deletes nothing.
    Click({600, 500});
    EXPECT_EQ(container.GetCount(), 1);
}

TEST_F(ContainerTest, DeletingAPrimitiveUnderConstructionLetsHoverResume)
{
    Line({100, 300}, {300, 300});
    Move({500, 500});
    container.SetTool(kToolLine);
    Click({100, 100});
    Move({200, 100});
    container.SetTool(kToolDelete);
    Click({200, 100});
    ASSERT_EQ(container.GetCount(), 1);
    // The finished line can still be found and deleted.
    EXPECT_EQ(Move({200, 300}), 0);
    Click({200, 300});
    EXPECT_EQ(container.GetCount(), 0);
}

TEST_F(ContainerTest, DeleteAllNotifiesOnlyWhenAsked)
{
    Line({100, 100}, {300, 100});
    container.DeleteAll(false);
    EXPECT_EQ(container.GetCount(), 0);
    EXPECT_EQ(recorder.Count(WM_MEASURE_CLEAR), 0);
    Line({100, 100}, {300, 100});
    container.DeleteAll(true);
    EXPECT_EQ(recorder.Messages().back(), (RecordedMessage{WM_MEASURE_CLEAR, 0, 0}));
    EXPECT_EQ(recorder.List().GetRowCount(), 0);
    EXPECT_EQ(container.GetHit().index, -1);
    EXPECT_FLOAT_EQ(container.GetResult(0).length, 0.0f);
    EXPECT_FLOAT_EQ(container.GetResult(-1).length, 0.0f);
}

TEST_F(ContainerTest, CalibrationModeParksAndRestoresPrimitives)
{
    container.SetViewTransform(30.0f, 0.0f, 1.0f);
    std::vector<std::string> labels;
    for (int i = 0; i < 5; ++i) {
        Move({500, 550});
        Line({100.0f, 100.0f + 60 * i}, {150.0f + 20 * i, 100.0f + 60 * i});
        labels.push_back(Label(i));
    }
    container.SetTool(kToolRectangle);
    const size_t messagesBefore = recorder.Messages().size();

    container.SetCalibrationMode(true);
    EXPECT_TRUE(container.IsCalibrationMode());
    ASSERT_EQ(container.GetCount(), 1);
    EXPECT_EQ(container.GetTool(), kToolMove);
    EXPECT_EQ(container.GetPrimitive(0)->GetTypeName(), "Calibration");
    EXPECT_EQ(recorder.Messages().size(), messagesBefore + 1);
    EXPECT_EQ(recorder.Messages().back(), (RecordedMessage{WM_MEASURE_UPDATE, 0, 1}));
    // 50 right of the picture's left edge, half the control's height.
    const sf::Vector2f start(80, 300);
    EXPECT_EQ(Vertex(*container.GetPrimitive(0), 0), start);
    EXPECT_FLOAT_EQ(container.GetResult(0).length, 200.0f);
    container.SetCalibrationMode(true);  // again: nothing changes
    EXPECT_EQ(container.GetCount(), 1);

    // Drag the far end; the calibration page reads the new pixel length.
    Move({280, 300});
    Down({280, 300});
    Move({330, 300});
    Up({330, 300});
    EXPECT_FLOAT_EQ(container.GetResult(0).length, 250.0f);
    EXPECT_EQ(recorder.Messages().back(), (RecordedMessage{WM_MEASURE_UPDATE, 0, 1}));
    EXPECT_EQ(recorder.Count(WM_MEASURE_ADD), 5);

    container.SetCalibrationMode(false);
    EXPECT_EQ(container.GetTool(), kToolRectangle);
    ASSERT_EQ(container.GetCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Label(i), labels[i]);
    EXPECT_FLOAT_EQ(container.GetResult(4).length, 130.0f);
    EXPECT_EQ(recorder.List().GetRowCount(), 5);
    container.SetCalibrationMode(false);
    EXPECT_EQ(container.GetCount(), 5);
}

TEST_F(ContainerTest, ParkedPrimitivesFollowRefitAndCalibration)
{
    Line({100, 100}, {300, 100});
    container.SetCalibrationMode(true);
    container.SetViewTransform(0.0f, 0.0f, 2.0f);
    container.SetCalibration("mm", 0.5f);
    container.SetCalibrationMode(false);
    EXPECT_EQ(Vertex(*container.GetPrimitive(0), 1), sf::Vector2f(600, 200));
    EXPECT_EQ(Label(0), "L: 100.00 mm");
}

TEST_F(ContainerTest, TakenPrimitivesComeBackInPlaceAfterAnotherPictureWasMeasured)
{
    Line({100, 100}, {300, 100});
    Move({500, 500});
    Line({100, 200}, {200, 200});
    SFPrimitiveContainer::PrimitiveList live = container.TakePrimitives();
    ASSERT_EQ(live.size(), 2u);
    EXPECT_EQ(container.GetCount(), 0);

    // Another picture: its own transform, calibration and primitives.
    container.SetViewTransform(0.0f, 0.0f, 0.25f);
    container.SetCalibration("um", 2.0f);
    Move({400, 400});
    Line({400, 400}, {450, 400});
    EXPECT_EQ(Label(0), "L: 400.00 um");

    // Back: the other picture's primitives go, the live ones return with the
    // transform and calibration that hold now.
    container.SetViewTransform(0.0f, 0.0f, 2.0f);
    container.SetCalibration("mm", 0.5f);
    container.RestorePrimitives(std::move(live));
    ASSERT_EQ(container.GetCount(), 2);
    EXPECT_EQ(Vertex(*container.GetPrimitive(0), 1), sf::Vector2f(600, 200));
    EXPECT_EQ(Label(0), "L: 100.00 mm");
    EXPECT_FLOAT_EQ(container.GetResult(1).length, 50.0f);  // 100 px at 0.5 mm/px
    // Hovering works on the restored set.
    EXPECT_EQ(Move({400, 200}), 0);

    // In calibration mode nothing is taken and nothing restored.
    container.SetCalibrationMode(true);
    EXPECT_TRUE(container.TakePrimitives().empty());
    container.RestorePrimitives(SFPrimitiveContainer::PrimitiveList());
    EXPECT_EQ(container.GetCount(), 1);
    container.SetCalibrationMode(false);
    EXPECT_EQ(container.GetCount(), 2);
}

TEST_F(ContainerTest, SetCalibrationRelabelsEveryPrimitive)
{
    Line({100, 100}, {300, 100});
    Move({500, 500});
    container.SetTool(kToolRectangle);
    Click({100, 200});
    Click({300, 300});
    Move({700, 500});
    container.SetTool(kToolPoint);
    Click({700, 500});
    container.SetCalibration("mm", 0.5f);
    EXPECT_EQ(Label(0), "L: 100.00 mm");
    EXPECT_EQ(Label(1), "S: 5000.0000 mm^2");
    EXPECT_EQ(Label(2), "(700.0,500.0)");
    // New primitives start in the new unit.
    Move({600, 50});
    Line({600, 50}, {700, 50});
    EXPECT_EQ(Label(3), "L: 50.00 mm");
}

TEST_F(ContainerTest, RefitKeepsResultsAndIgnoresAnEmptyView)
{
    Line({100, 100}, {300, 100});
    container.SetViewTransform(50.0f, 10.0f, 0.5f);
    EXPECT_EQ(Vertex(*container.GetPrimitive(0), 1), sf::Vector2f(200, 60));
    EXPECT_FLOAT_EQ(container.GetResult(0).length, 200.0f);
    container.SetViewTransform(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(Vertex(*container.GetPrimitive(0), 1), sf::Vector2f(200, 60));
    // New primitives use the stored transform: 100 view px at zoom 0.5.
    Move({500, 500});
    Line({400, 400}, {500, 400});
    EXPECT_FLOAT_EQ(container.GetResult(1).length, 200.0f);
    EXPECT_FLOAT_EQ(container.GetResult(1).startX, 700.0f);
}

TEST_F(ContainerTest, WorksWithoutNotifyWindowOrLock)
{
    SFPrimitiveContainer bare;
    bare.SetTool(kToolPoint);
    bare.OnMouseDown(10, 10);
    bare.OnMouseUp(10, 10);
    EXPECT_EQ(bare.GetCount(), 1);
    bare.SetCalibrationMode(true);
    bare.SetCalibrationMode(false);
    EXPECT_EQ(bare.GetCount(), 1);
}

TEST_F(ContainerTest, DrawsShapesAndLabels)
{
    Line({50, 50}, {350, 50});
    sf::RenderTexture target;
    ASSERT_TRUE(target.create(400, 300));
    target.clear(sf::Color::Black);
    target.draw(container);
    target.display();
    const sf::Image image = target.getTexture().copyToImage();

    bool lineDrawn = false;
    for (unsigned y = 49; y <= 51; ++y)
        lineDrawn |= image.getPixel(200, y) == sf::Color::Green;
    EXPECT_TRUE(lineDrawn);
    // The label "L: 300.00 px" lies below the first end.
    int labelPixels = 0;
    for (unsigned y = 55; y < 75; ++y)
        for (unsigned x = 50; x < 150; ++x)
            labelPixels += image.getPixel(x, y).g > 100;
    EXPECT_GT(labelPixels, 20);
    EXPECT_EQ(image.getPixel(200, 200), sf::Color::Black);
}
