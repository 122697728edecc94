#include "platform/ywdevsdk/YWImageSettings.h"
#include "tests/support/ywdevsdk/ScopedSimulatedDevices.h"

#include <gtest/gtest.h>

using namespace kelvara::ywdevsdk;
using kelvara::ywdevsdk::testing::ChannelMean;

namespace {

// A 4 x 2 frame: a red-to-blue ramp with a dark and a bright grey.
const std::vector<uint8_t> kFrame = {200, 40, 40, 150, 80, 60, 100, 100, 100, 40, 60, 200,  //
    30, 30, 30, 90, 120, 150, 220, 220, 220, 64, 128, 32};
constexpr int kWidth = 4;
constexpr int kHeight = 2;

std::vector<uint8_t> Process(const YWImageSettings& s)
{
    std::vector<uint8_t> out(kFrame.size());
    ProcessFrame(s, kFrame.data(), kWidth, kHeight, out.data());
    return out;
}

double Spread(const std::vector<uint8_t>& bgr)
{
    auto [lo, hi] = std::minmax_element(bgr.begin(), bgr.end());
    return *hi - *lo;
}

// Largest difference between a pixel's channels: 0 for grey.
int MaxChroma(const std::vector<uint8_t>& bgr)
{
    int chroma = 0;
    for (size_t i = 0; i < bgr.size(); i += 3)
        chroma = std::max(
            chroma, std::max({bgr[i], bgr[i + 1], bgr[i + 2]}) - std::min({bgr[i], bgr[i + 1], bgr[i + 2]}));
    return chroma;
}

}  // namespace

TEST(YWImageSettings, NeutralSettingsOnlyReorderToBgr)
{
    const auto out = Process(YWImageSettings{});
    for (size_t i = 0; i < kFrame.size(); i += 3) {
        EXPECT_EQ(out[i], kFrame[i + 2]);
        EXPECT_EQ(out[i + 1], kFrame[i + 1]);
        EXPECT_EQ(out[i + 2], kFrame[i]);
    }
}

TEST(YWImageSettings, EachSettingChangesThePicture)
{
    const auto neutral = Process(YWImageSettings{});
    YWImageSettings s;

    s = {};
    s.redGain = 255;
    auto out = Process(s);
    EXPECT_GT(ChannelMean(out, 2), ChannelMean(neutral, 2) * 1.5);
    EXPECT_EQ(ChannelMean(out, 0), ChannelMean(neutral, 0));

    s = {};
    s.contrast = 80;
    out = Process(s);
    EXPECT_EQ(out, neutral) << "contrast is applied only while switched on";
    s.contrastOn = true;
    EXPECT_GT(Spread(Process(s)), Spread(neutral));

    s = {};
    s.saturation = 0;
    s.saturationOn = true;
    EXPECT_LE(MaxChroma(Process(s)), 1);
    s.saturation = 255;
    EXPECT_GT(MaxChroma(Process(s)), MaxChroma(neutral));

    s = {};
    s.gamma = 2.0f;
    EXPECT_EQ(Process(s), neutral) << "gamma is applied only while switched on";
    s.gammaOn = true;
    out = Process(s);
    EXPECT_GT(ChannelMean(out, 1), ChannelMean(neutral, 1));  // mid-tones lifted
}

TEST(YWImageSettings, MirrorAndFlipMovePixels)
{
    const auto neutral = Process(YWImageSettings{});
    auto pixel = [](const std::vector<uint8_t>& bgr, int x, int y) {
        const size_t i = (static_cast<size_t>(y) * kWidth + x) * 3;
        return std::vector<uint8_t>(
            bgr.begin() + static_cast<long>(i), bgr.begin() + static_cast<long>(i) + 3);
    };
    YWImageSettings s;
    s.mirror = true;
    auto out = Process(s);
    EXPECT_EQ(pixel(out, 0, 0), pixel(neutral, kWidth - 1, 0));
    EXPECT_EQ(pixel(out, 1, 1), pixel(neutral, kWidth - 2, 1));
    s = {};
    s.flip = true;
    out = Process(s);
    EXPECT_EQ(pixel(out, 2, 0), pixel(neutral, 2, 1));
    s.mirror = true;
    out = Process(s);
    EXPECT_EQ(pixel(out, 0, 0), pixel(neutral, kWidth - 1, kHeight - 1));
}
