#include "app/measure/LabelFont.h"
#include "app/measure/SFPrimitiveLine.h"
#include "app/measure/SFPrimitivePoint.h"
#include "app/measure/SFPrimitiveRectangle.h"
#include "tests/support/measure/PrimitiveDriver.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

using namespace kelvara;
using namespace kelvara::test;

namespace {

// A primitive with two defining points among its handles.
class HandlePrimitive : public SFPrimitiveBase
{
public:
    HandlePrimitive()
        : SFPrimitiveBase(0, 0, "px", 1.0f, 1.0f)
    {
        m_handles.setPrimitiveType(sf::Points);
        m_handles.append(sf::Vertex({100, 100}));
        m_handles.append(sf::Vertex({200, 50}));
    }
    std::string GetTypeName() const override { return "Handles"; }
    HitRecord HitTest(float, float) override { return {}; }
    void Update() override { }
};

int OpenFileCount()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

}  // namespace

TEST(SFPrimitiveBase, RefitMovesTheDrawingButKeepsImageResults)
{
    // Zoom 0.5, origin (10, 20): view (110, 20) is image (200, 0).
    SFPrimitiveLine line(110, 20, 0.5f, 1.0f, 10, 20, "px");
    MoveAndClick(line, {160, 20}, kToolLine);
    const MeasureResult before = line.GetResult();
    EXPECT_FLOAT_EQ(before.length, 100.0f);
    EXPECT_EQ(LabelText(line), "L: 100.00 px");

    line.ApplyViewTransform(1.0f, 10, 20);
    EXPECT_EQ(Vertex(line, 0), sf::Vector2f(210, 20));
    EXPECT_EQ(Vertex(line, 1), sf::Vector2f(310, 20));
    EXPECT_EQ(line.GetLabel().getPosition(), sf::Vector2f(210, 30));
    const MeasureResult after = line.GetResult();
    EXPECT_FLOAT_EQ(after.length, before.length);
    EXPECT_FLOAT_EQ(after.startX, 200.0f);
    EXPECT_FLOAT_EQ(after.endX, 300.0f);
    EXPECT_EQ(LabelText(line), "L: 100.00 px");

    // A new origin only shifts the drawing.
    line.ApplyViewTransform(1.0f, 30, 60);
    EXPECT_EQ(Vertex(line, 0), sf::Vector2f(230, 60));
    EXPECT_FLOAT_EQ(line.GetResult().startX, 200.0f);
    EXPECT_FLOAT_EQ(line.GetResult().startY, 0.0f);
}

TEST(SFPrimitiveBase, RefitToAnEmptyViewKeepsTheGeometry)
{
    // A zero zoom (a collapsed preview) must not fold every vertex onto the
    // origin, from where no later refit could bring it back.
    SFPrimitiveRectangle rect(100, 100, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(rect, {150, 120}, kToolRectangle);
    for (float zoom : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        rect.ApplyViewTransform(zoom, 5, 5);
        EXPECT_EQ(Vertex(rect, 2), sf::Vector2f(150, 120));
        EXPECT_FLOAT_EQ(rect.GetResult().area, 1000.0f);
        EXPECT_FLOAT_EQ(rect.GetViewZoom(), 1.0f);
    }
    rect.ApplyViewTransform(2.0f, 0, 0);
    EXPECT_EQ(Vertex(rect, 2), sf::Vector2f(300, 240));
    EXPECT_FLOAT_EQ(rect.GetResult().area, 1000.0f);
}

TEST(SFPrimitiveBase, CalibrationRelabelsInTheNewUnit)
{
    SFPrimitiveLine line(0, 0, 1.0f, 1.0f, 0, 0, "px");
    MoveAndClick(line, {200, 0}, kToolLine);
    line.SetCalibration("mm", 0.5f);
    EXPECT_EQ(LabelText(line), "L: 100.00 mm");
    EXPECT_FLOAT_EQ(line.GetResult().length, 100.0f);
    // Positions stay in image pixels.
    EXPECT_FLOAT_EQ(line.GetResult().endX, 200.0f);
}

TEST(SFPrimitiveBase, HandleSquaresOnlyWhileSelected)
{
    HandlePrimitive primitive;
    EXPECT_EQ(primitive.GetHandleMarks().getVertexCount(), 0u);

    primitive.SetSelected(true);
    sf::VertexArray marks = primitive.GetHandleMarks();
    EXPECT_EQ(marks.getPrimitiveType(), sf::LineStrip);
    // Square, join, join, square.
    ASSERT_EQ(marks.getVertexCount(), 12u);
    const sf::Vector2f square[] = {{95, 95}, {105, 95}, {105, 105}, {95, 105}, {95, 95}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(marks[i].position, square[i]);
        EXPECT_EQ(marks[i].color, sf::Color::Blue);
    }
    EXPECT_EQ(marks[5].color.a, 0);
    EXPECT_EQ(marks[5].position, sf::Vector2f(95, 105));
    EXPECT_EQ(marks[6].color.a, 0);
    EXPECT_EQ(marks[6].position, sf::Vector2f(195, 45));
    EXPECT_EQ(marks[11].position, sf::Vector2f(195, 45));
}

TEST(SFPrimitiveBase, AThousandLabelsShareOneFontAndStillDraw)
{
    const sf::Font* font = GetLabelFont();
    ASSERT_NE(font, nullptr) << "fzht.ttf must lie next to the test program";
    const int filesBefore = OpenFileCount();

    std::vector<std::unique_ptr<SFPrimitiveBase>> primitives;
    for (int i = 0; i < 1000; ++i)
        primitives.push_back(
            std::make_unique<SFPrimitivePoint>(i % 40 * 20.0f, i / 40 * 20.0f, 1.0f, 1.0f, 0, 0, "px"));
    EXPECT_LE(OpenFileCount(), filesBefore + 2);
    for (const auto& primitive : primitives) {
        const sf::Text label = primitive->GetLabel();
        ASSERT_EQ(label.getFont(), font);
        EXPECT_GT(label.getGlobalBounds().width, 0.0f);
    }
    EXPECT_EQ(primitives[0]->GetLabel().getCharacterSize(), 14u);
    EXPECT_EQ(primitives[0]->GetLabel().getStyle(), sf::Text::Underlined);
    EXPECT_EQ(primitives[0]->GetLabel().getFillColor(), sf::Color::Green);
}
