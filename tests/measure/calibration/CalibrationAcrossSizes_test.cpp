// A calibration made on the demo camera at one preview size measures the
// same stage micrometer at the camera's other sizes once FitCalibration has
// adapted it.

#include "app/measure/CaliScaling.h"
#include "platform/directshow/MediaType.h"
#include "platform/directshow/VirtualDeviceDescription.h"
#include "platform/directshow/VirtualFrameGenerator.h"
#include "tests/support/directshow/MicrometerTicks.h"

#include <gtest/gtest.h>

using kelvara::dshow::DemoVirtualCamera;
using kelvara::dshow::VirtualDeviceDescription;
using kelvara::dshow::VirtualFrameGenerator;
using kelvara::dshow::VirtualSensorSize;
using kelvara::dshow::testing::FindMicrometerTicks;

namespace {

// Pixels between two micrometer ticks in the demo camera's YUY2 frame.
double MeasuredPitch(int width, int height)
{
    const VirtualDeviceDescription demo = DemoVirtualCamera();
    const auto [sensorWidth, sensorHeight] = VirtualSensorSize(demo);
    VirtualFrameGenerator generator(demo.micrometerPitchPx, sensorWidth, sensorHeight);
    generator.Configure(MEDIASUBTYPE_YUY2, width, height);
    const std::vector<uint8_t>& frame = generator.Frame(0);
    std::vector<uint8_t> luma(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < luma.size(); ++i)
        luma[i] = frame[2 * i];
    const auto ticks = FindMicrometerTicks(luma, width, height);
    EXPECT_GE(ticks.count, 20) << width << "x" << height;
    return ticks.pitch;
}

}  // namespace

TEST(CalibrationAcrossSizes, TheTickIntervalMeasuresTheSameAtEverySizeOfTheDemoCamera)
{
    // The user calibrates at 1920 x 1080: one tick interval is 10 um.
    const double interval = 10.0;
    const double madePitch = MeasuredPitch(1920, 1080);
    ASSERT_GT(madePitch, 0);
    const CaliData entry{"10 um ticks", static_cast<float>(interval / madePitch), 3, 1920, 1080};

    struct Case
    {
        int width;
        int height;
        CaliFit::Kind kind;
    };
    const Case cases[] = {
        {1920, 1080, CaliFit::kAsMade},
        {1280, 720, CaliFit::kScaled},
        {640, 360, CaliFit::kScaled},  // the value x 3
        {640, 480, CaliFit::kOtherShape},  // a crop: the value as it is
        {800, 600, CaliFit::kOtherShape},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const CaliFit fit = FitCalibration(entry, c.width, c.height);
        EXPECT_EQ(fit.kind, c.kind);
        EXPECT_NEAR(MeasuredPitch(c.width, c.height) * fit.value, interval, interval * 0.01);
    }
    EXPECT_NEAR(FitCalibration(entry, 640, 360).value, 3.0 * entry.value, 1e-9);
    EXPECT_EQ(FitCalibration(entry, 640, 480).value, entry.value);
}
