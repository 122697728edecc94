// Virtual cameras as optics on one sensor: the micrometer's pitch measured in
// the generated pixels at sizes of the sensor's shape, of other shapes and
// larger than the sensor.

#include <gtest/gtest.h>

#include <cmath>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <turbojpeg.h>

#include "platform/directshow/MediaType.h"
#include "platform/directshow/VirtualCaptureDevice.h"
#include "platform/directshow/VirtualDeviceDescription.h"
#include "platform/directshow/VirtualFrameGenerator.h"
#include "tests/support/directshow/MicrometerTicks.h"

namespace kelvara::dshow {
namespace {

using testing::FindMicrometerTicks;
using testing::MeasuredTicks;

// The luma plane of a YUY2 or MJPG frame.
std::vector<uint8_t> Luma(const GUID& subtype, const uint8_t* frame, size_t length, int width, int height)
{
    std::vector<uint8_t> luma(static_cast<size_t>(width) * height);
    if (subtype == MEDIASUBTYPE_MJPG) {
        tjhandle tj = tjInitDecompress();
        EXPECT_EQ(tjDecompress2(tj, frame, length, luma.data(), width, width, height, TJPF_GRAY, 0), 0);
        tjDestroy(tj);
    } else {
        EXPECT_EQ(length, static_cast<size_t>(width) * height * 2);
        for (size_t i = 0; i < luma.size() && 2 * i < length; ++i)
            luma[i] = frame[2 * i];
    }
    return luma;
}

MeasuredTicks MeasureFrame(VirtualFrameGenerator& generator, const GUID& subtype, int width, int height)
{
    generator.Configure(subtype, width, height);
    const std::vector<uint8_t>& frame = generator.Frame(0);
    return FindMicrometerTicks(Luma(subtype, frame.data(), frame.size(), width, height), width, height);
}

TEST(VirtualOptics, SizesOfTheSensorsShapeScaleTheFieldOthersCropIt)
{
    // A 1280 x 720 sensor with ticks 12 pixels apart.
    struct Case
    {
        GUID subtype;
        int width;
        int height;
        double pitch;
    };
    const Case cases[] = {
        {MEDIASUBTYPE_YUY2, 1280, 720, 12.0},  // the sensor
        {MEDIASUBTYPE_YUY2, 640, 360, 6.0},  // binned
        {MEDIASUBTYPE_MJPG, 960, 540, 9.0},
        {MEDIASUBTYPE_YUY2, 2560, 1440, 24.0},  // a still twice as wide: twice the pixels per tick
        {MEDIASUBTYPE_YUY2, 640, 480, 12.0},  // cropped modes keep the sensor's pitch
        {MEDIASUBTYPE_MJPG, 960, 720, 12.0}, {MEDIASUBTYPE_YUY2, 480, 640, 12.0},
        {MEDIASUBTYPE_YUY2, 1600, 1200, 20.0},  // taller than the sensor: scaled up by 1200 / 720
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << SubtypeName(c.subtype) << " " << c.width << "x" << c.height);
        VirtualFrameGenerator generator(12.0, 1280, 720);
        const MeasuredTicks ticks = MeasureFrame(generator, c.subtype, c.width, c.height);
        const MicroscopeScene& scene = generator.Scene();
        ASSERT_GE(ticks.count, 20);
        EXPECT_NEAR(ticks.pitch, c.pitch, c.pitch * 0.01);
        EXPECT_DOUBLE_EQ(scene.TickPitch(), c.pitch);
        // The accessors describe the drawn scale: frame 0 is shifted by its drift.
        int dx = 0, dy = 0;
        MicroscopeScene::DriftOffset(0, &dx, &dy);
        EXPECT_NEAR(ticks.count, scene.TickCount(), 1);
        EXPECT_LT(ticks.row, scene.BaselineY() - dy);
        EXPECT_GE(ticks.row, scene.BaselineY() - dy - scene.ShortTickLength());
    }
}

TEST(VirtualOptics, AScaledFrameShowsTheSameCellsAndBackground)
{
    // The 640 x 360 frame is the 1280 x 720 frame at half the size: block
    // means of the two agree. Frame 0 drifts 6 frame pixels right: sensor x
    // = X + 6 in the large frame and 2 (x + 6) in the small one.
    VirtualFrameGenerator large(12.0, 1280, 720);
    VirtualFrameGenerator small(12.0, 1280, 720);
    large.Configure(MEDIASUBTYPE_YUY2, 1280, 720);
    small.Configure(MEDIASUBTYPE_YUY2, 640, 360);
    const std::vector<uint8_t> big
        = Luma(MEDIASUBTYPE_YUY2, large.Frame(0).data(), 1280 * 720 * 2, 1280, 720);
    const std::vector<uint8_t> half = Luma(MEDIASUBTYPE_YUY2, small.Frame(0).data(), 640 * 360 * 2, 640, 360);
    int dx = 0, dy = 0;
    MicroscopeScene::DriftOffset(0, &dx, &dy);
    ASSERT_EQ(dy, 0);
    auto mean = [](const std::vector<uint8_t>& luma, int stride, int x0, int y0, int size) {
        double sum = 0;
        for (int y = y0; y < y0 + size; ++y)
            for (int x = x0; x < x0 + size; ++x)
                sum += luma[static_cast<size_t>(y) * stride + x];
        return sum / (size * size);
    };
    double worst = 0;
    double total = 0;
    int blocks = 0;
    for (int sy = 32; sy + 32 <= 720 - 32; sy += 32) {
        for (int sx = 32; sx + 32 <= 1280 - 32; sx += 32) {
            const double a = mean(big, 1280, sx - dx, sy, 32);
            const double b = mean(half, 640, sx / 2 - dx, sy / 2, 16);
            worst = std::max(worst, std::abs(a - b));
            total += std::abs(a - b);
            ++blocks;
        }
    }
    EXPECT_LT(total / blocks, 3.0);
    EXPECT_LT(worst, 40.0);  // block edges on a tick or a cell rim
}

// Collects the first frame a pin delivers.
struct FirstFrame
{
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<uint8_t> bytes;

    FrameSink Sink()
    {
        return [this](const BYTE* data, size_t length, REFERENCE_TIME) {
            std::lock_guard<std::mutex> lock(mutex);
            if (bytes.empty()) {
                bytes.assign(data, data + length);
                arrived.notify_all();
            }
        };
    }
    bool Wait()
    {
        std::unique_lock<std::mutex> lock(mutex);
        return arrived.wait_for(lock, std::chrono::seconds(20), [this] { return !bytes.empty(); });
    }
};

TEST(VirtualOptics, ADevicesPreviewAndStillPinsLookThroughOneSensor)
{
    VirtualDeviceDescription d;
    d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 640, 360),
        FormatRange::Discrete(MEDIASUBTYPE_YUY2, 1280, 720),
        FormatRange::Discrete(MEDIASUBTYPE_YUY2, 640, 480)};
    d.stillPin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 2560, 1440)};
    d.micrometerPitchPx = 12.0;
    ASSERT_EQ(VirtualSensorSize(d), std::make_pair(1280, 720));  // the largest, not the first

    struct Step
    {
        int width;
        int height;
        double pitch;
    };
    for (const Step& step : {Step{640, 360, 6.0}, Step{640, 480, 12.0}}) {
        VirtualCaptureDevice device(d, std::make_shared<VirtualDeviceState>());
        ASSERT_EQ(device.SetFormat(PinKind::Capture, {MEDIASUBTYPE_YUY2, step.width, step.height, 0}), S_OK);
        FirstFrame preview;
        FirstFrame still;
        ASSERT_EQ(device.Start(PinKind::Capture, preview.Sink()), S_OK);
        ASSERT_EQ(device.Start(PinKind::Still, still.Sink()), S_OK);
        ASSERT_EQ(device.TriggerStill(), S_OK);
        const bool gotPreview = preview.Wait();
        const bool gotStill = still.Wait();
        device.Stop(PinKind::Still);
        device.Stop(PinKind::Capture);
        ASSERT_TRUE(gotPreview && gotStill);

        const MeasuredTicks previewTicks = FindMicrometerTicks(
            Luma(MEDIASUBTYPE_YUY2, preview.bytes.data(), preview.bytes.size(), step.width, step.height),
            step.width, step.height);
        EXPECT_NEAR(previewTicks.pitch, step.pitch, step.pitch * 0.01) << step.width << "x" << step.height;
        const MeasuredTicks stillTicks = FindMicrometerTicks(
            Luma(MEDIASUBTYPE_YUY2, still.bytes.data(), still.bytes.size(), 2560, 1440), 2560, 1440);
        EXPECT_NEAR(stillTicks.pitch, 24.0, 0.24);
    }
}

TEST(VirtualOptics, TheSensorCanBeDescribedAndTheDemoShowsBothShapes)
{
    std::vector<VirtualDeviceDescription> devices;
    std::string error;
    ASSERT_TRUE(ParseVirtualDevices(R"({"pins": {"capture": [{"format": "YUY2", "sizes": [[640, 480]]}]},
        "sensor": [2592, 1944], "micrometer_pitch_px": 20})",
        &devices, &error))
        << error;
    EXPECT_EQ(VirtualSensorSize(devices.at(0)), std::make_pair(2592, 1944));
    VirtualFrameGenerator generator(20.0, 2592, 1944);
    EXPECT_NEAR(MeasureFrame(generator, MEDIASUBTYPE_YUY2, 648, 486).pitch, 5.0, 0.05);
    for (const char* bad : {R"("sensor": [0, 480])", R"("sensor": [640])", R"("sensor": "640x480")"}) {
        const std::string text
            = std::string(R"({"pins": {"capture": [{"format": "YUY2", "sizes": [[640, 480]]}]}, )") + bad
            + "}";
        EXPECT_FALSE(ParseVirtualDevices(text, &devices, &error)) << bad;
    }

    // Stepwise ranges count with their largest size.
    VirtualDeviceDescription stepwise;
    stepwise.previewPin = {FormatRange::Discrete(MEDIASUBTYPE_MJPG, 1280, 720),
        FormatRange::Stepwise(MEDIASUBTYPE_YUY2, 160, 120, 1600, 1200, 16, 8)};
    EXPECT_EQ(VirtualSensorSize(stepwise), std::make_pair(1600, 1200));

    const VirtualDeviceDescription demo = DemoVirtualCamera();
    EXPECT_EQ(VirtualSensorSize(demo), std::make_pair(1920, 1080));
    const std::pair<int, int> sizes[] = {{1920, 1080}, {1280, 720}, {640, 480}, {640, 360}};
    for (const GUID& subtype : {MEDIASUBTYPE_MJPG, MEDIASUBTYPE_YUY2})
        for (auto [w, h] : sizes)
            EXPECT_TRUE(std::any_of(demo.capturePin.begin(), demo.capturePin.end(),
                [&](const FormatRange& r) { return r.subtype == subtype && r.Contains(w, h); }))
                << SubtypeName(subtype) << " " << w << "x" << h;
    EXPECT_EQ(demo.capturePin.front().maxWidth, 1920);  // still the default
}

}  // namespace
}  // namespace kelvara::dshow

namespace kelvara::dshow {
namespace {

double MeanLuma(const std::vector<uint8_t>& luma)
{
    double sum = 0;
    for (uint8_t v : luma)
        sum += v;
    return luma.empty() ? 0 : sum / static_cast<double>(luma.size());
}

TEST(VirtualOptics, BrightnessAndContrastChangeThePictureAsTheControlsSay)
{
    const VirtualDeviceDescription demo = DemoVirtualCamera();
    struct Setting
    {
        long brightness;
        long contrast;
    };
    // Mean luma at default, brighter, darker and with more contrast, for an uncompressed and a JPEG format.
    for (const GUID& subtype : {MEDIASUBTYPE_YUY2, MEDIASUBTYPE_MJPG}) {
        std::vector<double> means;
        std::vector<double> spreads;
        for (const Setting& s : {Setting{0, 50}, Setting{48, 50}, Setting{-48, 50}, Setting{0, 90}}) {
            VirtualCaptureDevice device(demo, std::make_shared<VirtualDeviceState>());
            ASSERT_EQ(device.SetFormat(PinKind::Capture, {subtype, 640, 480, 0}), S_OK);
            ASSERT_EQ(
                device.SetControl(ControlSet::VideoProcAmp, VideoProcAmp_Brightness, s.brightness, 2), S_OK);
            ASSERT_EQ(
                device.SetControl(ControlSet::VideoProcAmp, VideoProcAmp_Contrast, s.contrast, 2), S_OK);
            FirstFrame frame;
            ASSERT_EQ(device.Start(PinKind::Capture, frame.Sink()), S_OK);
            const bool got = frame.Wait();
            device.Stop(PinKind::Capture);
            ASSERT_TRUE(got);
            const std::vector<uint8_t> luma = Luma(subtype, frame.bytes.data(), frame.bytes.size(), 640, 480);
            ASSERT_EQ(luma.size(), 640u * 480);
            const double mean = MeanLuma(luma);
            double spread = 0;
            for (uint8_t v : luma)
                spread += std::fabs(v - mean);
            means.push_back(mean);
            spreads.push_back(spread / static_cast<double>(luma.size()));
        }
        SCOPED_TRACE(SubtypeName(subtype));
        EXPECT_GT(means[1], means[0] + 20);  // brighter (light parts are capped at white)
        EXPECT_LT(means[2], means[0] - 60);
        EXPECT_GT(spreads[3], spreads[0] * 1.5);
    }
}

}  // namespace
}  // namespace kelvara::dshow
