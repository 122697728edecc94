// The scale bar's length: round, near the wanted length, in a readable unit,
// and exactly as long in pixels as the calibration says.
#include "app/measure/ScaleBar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kelvara {
namespace {

struct Case
{
    double unitsPerPixel;
    int unit;
    double wanted;
    double length;
    int barUnit;
    const char* label;
};

TEST(ScaleBar, PicksARoundLengthNearTheWantedOneInAReadableUnit)
{
    const Case cases[] = {
        {0.5, 3, 384, 200, 3, "200 \xC2\xB5m"},  // 192 um wanted
        {0.5, 3, 700, 500, 3, "500 \xC2\xB5m"},  // 350 um: 500 is nearer than 200 in ratio
        {0.001, 2, 384, 500, 3, "500 \xC2\xB5m"},  // 0.384 mm -> 500 um, not 0.5 mm
        {0.01, 2, 384, 5, 2, "5 mm"},  // 3.84 mm
        {0.01, 1, 384, 5, 1, "5 cm"},
        {0.0001, 1, 384, 500, 3, "500 \xC2\xB5m"},  // 0.0384 cm -> 0.384 mm -> 500 um
        {0.002, 1, 384, 1, 1, "1 cm"},  // 0.768 cm rounds up to 1: no switch
        {0.0005, 4, 384, 0.2, 4, "0.2 in"},  // inches keep their decimals
        {0.00002, 3, 384, 0.01, 3, "0.01 \xC2\xB5m"},  // nothing below um
        {3.0, 5, 384, 1000, 5, "1000 \xC2\xB5in"},
    };
    for (const Case& c : cases) {
        ScaleBarLength bar;
        ASSERT_TRUE(ChooseScaleBar(c.unitsPerPixel, c.unit, c.wanted, &bar)) << c.label;
        EXPECT_DOUBLE_EQ(bar.length, c.length) << c.label;
        EXPECT_EQ(bar.unit, c.barUnit) << c.label;
        EXPECT_EQ(bar.label, c.label);
        // The bar is that length at the calibration: unit conversions included.
        const double factor = (c.unit == 1 && c.barUnit == 2) ? 10
            : (c.unit == 2 && c.barUnit == 3)                 ? 1000
            : (c.unit == 1 && c.barUnit == 3)                 ? 10000
                                                              : 1;
        EXPECT_NEAR(bar.picturePixels * c.unitsPerPixel * factor, c.length, c.length * 1e-9) << c.label;
        // Within a factor of the 1-2-5 steps of the wanted length.
        EXPECT_GT(bar.picturePixels, c.wanted / 2.6) << c.label;
        EXPECT_LT(bar.picturePixels, c.wanted * 2.6) << c.label;
    }
}

TEST(ScaleBar, RefusesWhatHasNoPhysicalLength)
{
    ScaleBarLength bar;
    EXPECT_FALSE(ChooseScaleBar(0.5, 0, 384, &bar));  // px
    EXPECT_FALSE(ChooseScaleBar(0.5, 6, 384, &bar));
    EXPECT_FALSE(ChooseScaleBar(0, 3, 384, &bar));
    EXPECT_FALSE(ChooseScaleBar(-1, 3, 384, &bar));
    EXPECT_FALSE(ChooseScaleBar(std::numeric_limits<double>::quiet_NaN(), 3, 384, &bar));
    EXPECT_FALSE(ChooseScaleBar(std::numeric_limits<double>::infinity(), 3, 384, &bar));
    EXPECT_FALSE(ChooseScaleBar(0.5, 3, 0, &bar));
    EXPECT_FALSE(ChooseScaleBar(0.5, 3, 384, nullptr));
}

TEST(ScaleBar, StepsThroughTheDecadesSmoothly)
{
    // As the view widens the bar never jumps to more than 2.5 times its length.
    double previous = 0;
    for (double wanted = 50; wanted < 5000; wanted *= 1.05) {
        ScaleBarLength bar;
        ASSERT_TRUE(ChooseScaleBar(0.37, 3, wanted, &bar));
        if (previous > 0) {
            EXPECT_GE(bar.picturePixels, previous);
            EXPECT_LE(bar.picturePixels, previous * 2.5 + 1e-9);
        }
        previous = bar.picturePixels;
    }
}

}  // namespace
}  // namespace kelvara
