// The scale bar burned into a picture: exactly as long as the calibration
// says, outlined, labelled, in the corner asked for, and nothing without a
// physical unit.
#include "app/capture/ScaleBarPainter.h"
#include "app/measure/ScaleBar.h"
#include "platform/system/ProgramDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelvara::capture {
namespace {

struct Picture
{
    Picture(int w, int h, uint8_t grey)
        : width(w)
        , height(h)
        , bgra(static_cast<size_t>(w) * h * 4, grey)
    {
    }
    const uint8_t* At(int x, int y) const { return &bgra[(static_cast<size_t>(y) * width + x) * 4]; }
    bool Is(int x, int y, uint8_t level) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return false;
        const uint8_t* p = At(x, y);
        return p[0] == level && p[1] == level && p[2] == level;
    }
    // The longest run of pure white on any row in [y0, y1), and where it starts.
    int LongestWhite(int y0, int y1, int* startX = nullptr, int* row = nullptr) const
    {
        int best = 0;
        for (int y = y0; y < y1; ++y) {
            int run = 0;
            for (int x = 0; x < width; ++x) {
                run = Is(x, y, 255) ? run + 1 : 0;
                if (run > best) {
                    best = run;
                    if (startX)
                        *startX = x - run + 1;
                    if (row)
                        *row = y;
                }
            }
        }
        return best;
    }
    int width;
    int height;
    std::vector<uint8_t> bgra;
};

TEST(ScaleBarPainter, BurnsABarOfTheCalibratedLengthWithItsLabelInTheCorner)
{
    const std::string font = GetProgramDirectory() + "fzht.ttf";
    ScaleBarPainter painter(font);
    for (int corner : {0, 1, 2, 3}) {
        for (const auto& [width, height] : {std::pair<int, int>{1920, 1080}, {3840, 2160}, {640, 480}}) {
            SCOPED_TRACE(testing::Message() << "corner " << corner << " " << width << "x" << height);
            Picture picture(width, height, 128);
            const double unitsPerPixel = 0.37 * 1920 / width;
            const int drawn = painter.Paint(picture.bgra.data(), width, height, unitsPerPixel, 3, corner);
            ScaleBarLength bar;
            ASSERT_TRUE(ChooseScaleBar(unitsPerPixel, 3, width / 5.0, &bar));
            EXPECT_EQ(drawn, static_cast<int>(std::lround(bar.picturePixels)));

            const bool bottom = corner == 0 || corner == 1;
            const bool right = corner == 0 || corner == 2;
            int startX = 0;
            int row = 0;
            const int y0 = bottom ? height / 2 : 0;
            const int longest = picture.LongestWhite(y0, y0 + height / 2, &startX, &row);
            EXPECT_EQ(longest, drawn);
            EXPECT_EQ(right, startX > width / 2);
            // Outlined in black on both ends.
            EXPECT_TRUE(picture.Is(startX - 1, row, 0));
            EXPECT_TRUE(picture.Is(startX + drawn, row, 0));
            // A label: white and black pixels above (bottom) or above the bar within its text height.
            int labelWhite = 0;
            ASSERT_GT(drawn, 0);
            for (int y = std::max(0, row - height / 20); y < row - 2; ++y) {
                for (int x = startX; x < startX + drawn; ++x)
                    labelWhite += picture.Is(x, y, 255) ? 1 : 0;
            }
            EXPECT_GT(labelWhite, 10);
        }
    }
}

TEST(ScaleBarPainter, DrawsNothingWithoutAPhysicalUnitOrRoom)
{
    ScaleBarPainter painter(GetProgramDirectory() + "fzht.ttf");
    Picture picture(640, 480, 128);
    const std::vector<uint8_t> before = picture.bgra;
    EXPECT_EQ(painter.Paint(picture.bgra.data(), 640, 480, 1.0, 0, 0), 0);  // px
    EXPECT_EQ(painter.Paint(picture.bgra.data(), 640, 480, 0.0, 3, 0), 0);
    EXPECT_EQ(painter.Paint(picture.bgra.data(), 32, 32, 1.0, 3, 0), 0);
    EXPECT_EQ(painter.Paint(nullptr, 640, 480, 1.0, 3, 0), 0);
    EXPECT_TRUE(picture.bgra == before);

    // Without a font the bar is still drawn, without its label.
    ScaleBarPainter fontless("/nonexistent/font.ttf");
    EXPECT_GT(fontless.Paint(picture.bgra.data(), 640, 480, 1.0, 3, 0), 0);
}

}  // namespace
}  // namespace kelvara::capture
