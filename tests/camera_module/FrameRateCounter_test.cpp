#include "camera_module/FrameRateCounter.h"

#include <gtest/gtest.h>

namespace {

uint32_t g_now = 0;
uint32_t FakeTick()
{
    return g_now;
}

}  // namespace

TEST(FrameRateCounter, ZeroUntilTheFirstFullSecond)
{
    g_now = 5000;
    FrameRateCounter counter(FakeTick);
    for (int i = 0; i < 29; ++i) {
        g_now += 33;
        counter.CountFrame();
    }
    EXPECT_EQ(counter.Rate(), 0.0f);
    g_now = 6000;
    counter.CountFrame();
    EXPECT_FLOAT_EQ(counter.Rate(), 30.0f);
}

TEST(FrameRateCounter, WrapOfTheTickCounterStillMeasures)
{
    g_now = 0xFFFFFF00u;
    FrameRateCounter counter(FakeTick);
    for (int i = 0; i < 24; ++i)
        counter.CountFrame();
    g_now = 0xFFFFFF00u + 1200u;  // wraps past zero
    counter.CountFrame();
    EXPECT_FLOAT_EQ(counter.Rate(), 25.0f / 1200.0f * 1000.0f);
}

TEST(FrameRateCounter, SilentSecondsAreNotMeasuredAndCountRestarts)
{
    g_now = 0;
    FrameRateCounter counter(FakeTick);
    g_now = 1000;
    for (int i = 0; i < 10; ++i)
        counter.CountFrame();  // the first frame closes the span: 1 frame in 1000 ms
    EXPECT_FLOAT_EQ(counter.Rate(), 1.0f);

    // Nine frames after the restart, then three silent seconds: the rate stays
    // until the next frame arrives and covers the whole span.
    g_now = 4000;
    EXPECT_FLOAT_EQ(counter.Rate(), 1.0f);
    counter.CountFrame();
    EXPECT_FLOAT_EQ(counter.Rate(), 10.0f / 3000.0f * 1000.0f);
}
