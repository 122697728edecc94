#include "app/measure/CaliScaling.h"

#include <gtest/gtest.h>

#include <limits>

TEST(CaliScaling, SizesOfTheSameShapeScaleOthersKeepTheValue)
{
    struct Case
    {
        int madeWidth, madeHeight, width, height;
        CaliFit::Kind kind;
        double factor;  // expected value / made value
    };
    const Case cases[] = {
        // The same field at another size.
        {1920, 1080, 640, 360, CaliFit::kScaled, 3.0},
        {1920, 1080, 1280, 720, CaliFit::kScaled, 1.5},
        {640, 360, 1920, 1080, CaliFit::kScaled, 1.0 / 3.0},
        {800, 600, 1600, 1200, CaliFit::kScaled, 0.5},
        {800, 600, 2592, 1944, CaliFit::kScaled, 800.0 / 2592.0},
        {1920, 1080, 1366, 768, CaliFit::kScaled, 1920.0 / 1366.0},  // 0.05 % off 16:9
        // Another shape: a cropped mode at the sensor's pitch.
        {1920, 1080, 640, 480, CaliFit::kOtherShape, 1.0},
        {640, 480, 1920, 1080, CaliFit::kOtherShape, 1.0},
        {1920, 1080, 1920, 1088, CaliFit::kOtherShape, 1.0},  // 0.74 % taller
        {1920, 1080, 1080, 1920, CaliFit::kOtherShape, 1.0},
        // As made: the same size, no size known, degenerate sizes.
        {1920, 1080, 1920, 1080, CaliFit::kAsMade, 1.0},
        {0, 0, 640, 480, CaliFit::kAsMade, 1.0},
        {1920, 0, 640, 360, CaliFit::kAsMade, 1.0},
        {-1920, -1080, 640, 360, CaliFit::kAsMade, 1.0},
        {1920, 1080, 0, 0, CaliFit::kAsMade, 1.0},
        {1920, 1080, 640, -360, CaliFit::kAsMade, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            testing::Message() << c.madeWidth << "x" << c.madeHeight << " -> " << c.width << "x" << c.height);
        const CaliFit fit = FitPixelSize(0.0125, c.madeWidth, c.madeHeight, c.width, c.height);
        EXPECT_EQ(fit.kind, c.kind);
        EXPECT_NEAR(fit.value, 0.0125 * c.factor, 1e-12);

        CaliData entry{"e", 0.0125f, 2, c.madeWidth, c.madeHeight};
        const CaliFit fromEntry = FitCalibration(entry, c.width, c.height);
        EXPECT_EQ(fromEntry.kind, c.kind);
        EXPECT_NEAR(fromEntry.value, static_cast<double>(0.0125f) * c.factor, 1e-9);
    }
}

TEST(CaliScaling, TheToleranceLiesAtHalfAPercentOfTheAspectRatio)
{
    // 1000 x 1000 against sizes around it, either way round: 996 and 1004 are
    // within, 994 and 1006 not.
    for (int other : {996, 1004, 994, 1006}) {
        const CaliFit::Kind kind = other == 994 || other == 1006 ? CaliFit::kOtherShape : CaliFit::kScaled;
        EXPECT_EQ(FitPixelSize(1.0, 1000, 1000, 500, other / 2).kind, kind) << other;
        EXPECT_EQ(FitPixelSize(1.0, 1000, other, 500, 500).kind, kind) << other;
        EXPECT_EQ(FitPixelSize(1.0, other, 1000, 2000, 2000).kind, kind) << other;
    }
    // The largest sizes do not overflow.
    const int big = std::numeric_limits<int>::max();
    const CaliFit fit = FitPixelSize(2.0, big, big, big / 2, big / 2);
    EXPECT_EQ(fit.kind, CaliFit::kScaled);
    EXPECT_NEAR(fit.value, 4.0, 1e-6);
}
