#include "camera_module/vendor_usb/CMCameraYWUSB.h"
#include "platform/directshow/PropertySheetHook.h"
#include "platform/ywdevsdk/YWDevSDK.h"
#include "tests/support/ywdevsdk/ScopedSimulatedDevices.h"

#include <gtest/gtest.h>

#include <deque>
#include <mutex>
#include <thread>

using namespace kelvara::ywdevsdk;
using namespace kelvara::ywdevsdk::testing;

namespace {

// The last few frames the callback saw, copied.
struct FrameLog
{
    std::mutex mutex;
    int frames = 0;
    bool wellFormed = true;
    std::deque<std::vector<uint8_t>> recent;
    int width = 0;
    int height = 0;

    static int OnFrame(void* user, int event, long image, long reserved)
    {
        auto* log = static_cast<FrameLog*>(user);
        const auto* frame = reinterpret_cast<const tagCMImage*>(image);
        std::lock_guard<std::mutex> lock(log->mutex);
        ++log->frames;
        log->wellFormed = log->wellFormed && event == 0 && reserved == 0 && frame->format == CM_FMT_RGB24
            && frame->bottomUp == 0 && frame->dataSize == frame->width * frame->height * 3 && frame->data;
        log->width = frame->width;
        log->height = frame->height;
        log->recent.emplace_back(frame->data, frame->data + frame->dataSize);
        if (log->recent.size() > 4)
            log->recent.pop_front();
        return 0;
    }
    int Frames()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return frames;
    }
};

// A camera opened on simulated device 0, released at the end.
struct OpenCamera
{
    ScopedSimulatedDevices devices{1};
    FrameLog log;
    CMCameraYWUSB camera{0};
    int init = camera.Init(FrameLog::OnFrame, &log, 800, 600);
    ~OpenCamera() { camera.Release(); }

    // The SDK handle of the open device (the only one open).
    YWImageSettings Settings()
    {
        YWImageSettings s;
        for (int handle = 1; handle < 10000; ++handle)
            if (SimulatedDeviceSettings(handle, &s))
                return s;
        ADD_FAILURE() << "no open device";
        return s;
    }
    int FramesIn(uint32_t ms)
    {
        const int start = log.Frames();
        kelvara::SleepMs(ms);
        return log.Frames() - start;
    }
};

}  // namespace

TEST(CMCameraYWUSB, InitFailsWithoutADevice)
{
    ScopedSimulatedDevices none(0);
    CMCameraYWUSB camera(0);
    EXPECT_EQ(camera.Init(nullptr, nullptr, 800, 600), CM_ERR_OPEN);
    CMCameraYWUSB unindexed(-1);
    EXPECT_EQ(unindexed.Init(nullptr, nullptr, 800, 600), CM_ERR_OPEN);

    double value = 0;
    int automatic = 0;
    double min = 0, max = 0, def = 0;
    int digits = -1;
    EXPECT_EQ(camera.GetProperty(CM_PROP_GAIN, &value, &automatic), CM_ERR_NO_DEVICE);
    EXPECT_EQ(camera.SetProperty(CM_PROP_GAIN, 1, 0), CM_ERR_NO_DEVICE);
    EXPECT_EQ(camera.GetPropertyRange(CM_PROP_GAIN, &min, &max, &def, &digits), CM_ERR_NO_DEVICE);
    std::vector<tagSIZE> sizes;
    EXPECT_EQ(camera.GetSupportedPreviewSizes(&sizes), CM_OK);
    EXPECT_TRUE(sizes.empty());
    tagCMImage image = {};
    EXPECT_EQ(camera.Snap(&image), CM_OK);
    EXPECT_EQ(image.data, nullptr);
}

TEST(CMCameraYWUSB, PlayDeliversRgb24FramesAtTheFrameSpeed)
{
    OpenCamera c;
    ASSERT_EQ(c.init, CM_OK);
    EXPECT_EQ(c.FramesIn(150), 0) << "the stream starts in Play";
    ASSERT_EQ(c.camera.Play(), CM_OK);
    ASSERT_TRUE(WaitUntil([&] { return c.log.Frames() >= 2; }, 3000));

    std::vector<CMFrameSpeed> speeds;
    ASSERT_EQ(c.camera.GetFrameSpeeds(&speeds), CM_OK);
    ASSERT_EQ(speeds.size(), 3u);
    EXPECT_STREQ(speeds[0].name, L"High Speed");
    EXPECT_EQ(c.camera.SetFrameSpeed(3), CM_ERR_FAILED);

    const int fast = c.FramesIn(1000);
    EXPECT_GE(fast, 12);  // 30 expected; a loaded machine may drop some
    EXPECT_LE(fast, 34);
    ASSERT_EQ(c.camera.SetFrameSpeed(2), CM_OK);
    int value = -1;
    EXPECT_EQ(c.camera.GetFrameSpeed(&value), CM_OK);
    EXPECT_EQ(value, speeds[2].value);
    kelvara::SleepMs(250);
    const int slow = c.FramesIn(1000);
    EXPECT_GE(slow, 3);
    EXPECT_LE(slow, 7);
    EXPECT_GT(c.camera.GetFrameRate(), 2.0f);

    c.camera.Pause();
    EXPECT_EQ(c.FramesIn(250), 0) << "Pause stops the stream";
    std::lock_guard<std::mutex> lock(c.log.mutex);
    EXPECT_TRUE(c.log.wellFormed);
    EXPECT_EQ(c.log.width, kTestWidth);
    EXPECT_EQ(c.log.height, kTestHeight);
}

TEST(CMCameraYWUSB, SnapMatchesADeliveredFrame)
{
    OpenCamera c;
    c.camera.SetProperty(CM_PROP_MIRROR, 1, 0);
    c.camera.Play();
    ASSERT_TRUE(WaitUntil([&] { return c.log.Frames() >= 3; }, 3000));
    tagCMImage image = {};
    ASSERT_EQ(c.camera.Snap(&image), CM_OK);
    ASSERT_NE(image.data, nullptr);
    std::unique_ptr<unsigned char[]> owned(image.data);
    EXPECT_EQ(image.format, CM_FMT_RGB24);
    EXPECT_EQ(image.width, kTestWidth);
    EXPECT_EQ(image.height, kTestHeight);
    EXPECT_EQ(image.bottomUp, 1);
    ASSERT_EQ(image.dataSize, kTestWidth * kTestHeight * 3);

    // Turn the stored rows top-down and look for the frame among the last ones.
    std::vector<uint8_t> topDown(static_cast<size_t>(image.dataSize));
    const size_t row = kTestWidth * 3;
    for (int y = 0; y < kTestHeight; ++y)
        std::copy(image.data + (kTestHeight - 1 - y) * row, image.data + (kTestHeight - y) * row,
            topDown.begin() + static_cast<long>(y * row));
    std::lock_guard<std::mutex> lock(c.log.mutex);
    bool found = false;
    for (const auto& frame : c.log.recent)
        found = found || frame == topDown;
    EXPECT_TRUE(found);
}

TEST(CMCameraYWUSB, PreviewSizes)
{
    OpenCamera c;
    c.camera.Play();
    std::vector<tagSIZE> sizes;
    ASSERT_EQ(c.camera.GetSupportedPreviewSizes(&sizes), CM_OK);
    ASSERT_GE(sizes.size(), 2u);
    EXPECT_EQ(c.camera.GetSupportedPreviewSizes(nullptr), CM_ERR_NO_DEVICE);

    EXPECT_EQ(c.camera.SetPreviewImageSize(kTestWidth + 1, kTestHeight), CM_ERR_SIZE);
    ASSERT_TRUE(WaitUntil([&] { return c.log.Frames() >= 1; }, 3000));
    EXPECT_GT(c.FramesIn(300), 0) << "an unlisted size leaves the stream running";

    ASSERT_EQ(c.camera.SetPreviewImageSize(sizes[1].cx, sizes[1].cy), CM_OK);
    int width = 0, height = 0;
    EXPECT_EQ(c.camera.GetPreviewImageSize(&width, &height), CM_OK);
    EXPECT_EQ(width, sizes[1].cx);
    EXPECT_EQ(height, sizes[1].cy);
    ASSERT_TRUE(WaitUntil(
        [&] {
            std::lock_guard<std::mutex> lock(c.log.mutex);
            return c.log.width == sizes[1].cx;
        },
        3000));
    EXPECT_EQ(c.camera.GetSnapImageSize(), static_cast<long>(width) * height * 3);
}

TEST(CMCameraYWUSB, PropertyRangesComeFromTheCapabilityRecord)
{
    OpenCamera c;
    struct Case
    {
        tagCMProperty property;
        double min, max, def;
        int digits;
    };
    const Case cases[] = {
        {CM_PROP_RED_GAIN, 0, 255, 128, 0},
        {CM_PROP_GAIN, 16, 128, 16, 0},
        {CM_PROP_SATURATION, 0, 255, 128, 0},
        {CM_PROP_GAMMA, 30, 300, 100, 2},
        {CM_PROP_CONTRAST, -100, 100, 0, 0},
        {CM_PROP_AE_TARGET, 16, 235, 110, 0},
        {CM_PROP_EXPOSURE, 1, 2000, 30, 0},
    };
    for (const Case& k : cases) {
        double min = -1, max = -1, def = -1;
        int digits = -1;
        ASSERT_EQ(c.camera.GetPropertyRange(k.property, &min, &max, &def, &digits), CM_OK) << k.property;
        EXPECT_NEAR(min, k.min, 1e-3) << k.property;
        EXPECT_NEAR(max, k.max, 1e-3) << k.property;
        EXPECT_NEAR(def, k.def, 1e-3) << k.property;
        EXPECT_EQ(digits, k.digits) << k.property;
    }
    double min, max, def;
    int digits;
    for (tagCMProperty p : {0, 2, 5, 10, 13, 16, 23})
        EXPECT_EQ(c.camera.GetPropertyRange(p, &min, &max, &def, &digits), CM_ERR_SDK_PROPERTY) << p;
    EXPECT_EQ(c.camera.GetPropertyRange(CM_PROP_GAIN, &min, &max, nullptr, &digits), CM_ERR_NO_DEVICE);
}

TEST(CMCameraYWUSB, SettingsReachTheSdkWithTheirProcessingSwitches)
{
    OpenCamera c;
    ASSERT_EQ(c.init, CM_OK);
    EXPECT_TRUE(c.Settings().autoExposure) << "Init turns auto exposure on";

    c.camera.SetProperty(CM_PROP_GAMMA, 100.0, 0);
    EXPECT_FLOAT_EQ(c.Settings().gamma, 1.0f);
    EXPECT_FALSE(c.Settings().gammaOn);
    c.camera.SetProperty(CM_PROP_GAMMA, 150.0, 0);
    EXPECT_FLOAT_EQ(c.Settings().gamma, 1.5f);
    EXPECT_TRUE(c.Settings().gammaOn);
    double value = 0;
    int automatic = -1;
    c.camera.GetProperty(CM_PROP_GAMMA, &value, &automatic);
    EXPECT_NEAR(value, 150.0, 1e-3);

    c.camera.SetProperty(CM_PROP_CONTRAST, -30, 0);
    EXPECT_EQ(c.Settings().contrast, -30);
    EXPECT_TRUE(c.Settings().contrastOn);
    c.camera.SetProperty(CM_PROP_CONTRAST, 0, 0);
    EXPECT_FALSE(c.Settings().contrastOn);
    c.camera.SetProperty(CM_PROP_SATURATION, 128, 0);
    EXPECT_FALSE(c.Settings().saturationOn);
    c.camera.SetProperty(CM_PROP_SATURATION, 40, 0);
    EXPECT_TRUE(c.Settings().saturationOn);

    // One channel changes, the other two keep their values.
    c.camera.SetProperty(CM_PROP_RED_GAIN, 90, 0);
    c.camera.SetProperty(CM_PROP_BLUE_GAIN, 170, 0);
    EXPECT_EQ(c.Settings().redGain, 90);
    EXPECT_EQ(c.Settings().greenGain, 128);
    EXPECT_EQ(c.Settings().blueGain, 170);
    c.camera.GetProperty(CM_PROP_BLUE_GAIN, &value, &automatic);
    EXPECT_EQ(value, 170);

    // Manual exposure writes the time; auto leaves it to the camera.
    c.camera.SetProperty(CM_PROP_EXPOSURE, 250, 0);
    EXPECT_FALSE(c.Settings().autoExposure);
    EXPECT_EQ(c.Settings().exposureMs, 250);
    c.camera.SetProperty(CM_PROP_EXPOSURE, 7, 1);
    EXPECT_TRUE(c.Settings().autoExposure);
    EXPECT_EQ(c.Settings().exposureMs, 250);
    c.camera.GetProperty(CM_PROP_EXPOSURE, &value, &automatic);
    EXPECT_EQ(value, 250);
    EXPECT_EQ(automatic, 1);

    c.camera.SetProperty(CM_PROP_FLIP, 1, 0);
    EXPECT_TRUE(c.Settings().flip);
    EXPECT_FALSE(c.Settings().mirror);
    EXPECT_EQ(c.camera.SetProperty(CM_PROP_HUE, 1, 0), CM_ERR_SDK_PROPERTY);
    EXPECT_EQ(c.camera.GetProperty(CM_PROP_MIRROR, &value, &automatic), CM_ERR_SDK_PROPERTY);
}

TEST(CMCameraYWUSB, PropertyPageGoesThroughThePresenter)
{
    OpenCamera c;
    kelvara::dshow::SetPropertySheetPresenter(nullptr);
    EXPECT_EQ(c.camera.ShowCameraPropertyPages(nullptr, L"Video Property"), CM_ERR_FAILED);
    int shown = 0;
    kelvara::dshow::SetPropertySheetPresenter(
        [&](HWND, const std::wstring& caption, std::vector<kelvara::dshow::PropertySheetControl>& controls) {
            EXPECT_EQ(caption, L"Video Property") << "the title of the first showing stays";
            ++shown;
            for (auto& control : controls) {
                if (control.name == L"Analog Gain") {
                    EXPECT_TRUE(control.apply(64, false));
                }
            }
        });
    EXPECT_EQ(c.camera.ShowCameraPropertyPages(nullptr, L"Video Property"), CM_OK);
    EXPECT_EQ(c.camera.ShowCameraPropertyPages(nullptr, L"Other Title"), CM_OK);
    kelvara::dshow::SetPropertySheetPresenter(nullptr);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(c.Settings().analogGain, 64);
}

TEST(CMCameraYWUSB, SettingsChangeWhileFramesFlow)
{
    OpenCamera c;
    c.camera.Play();
    ASSERT_TRUE(WaitUntil([&] { return c.log.Frames() >= 1; }, 3000));
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop)
            c.camera.GetFrameRate();
    });
    for (int i = 0; i < 200; ++i) {
        c.camera.SetProperty(CM_PROP_GAIN, 16 + i % 100, 0);
        c.camera.SetProperty(CM_PROP_RED_GAIN, i % 255, 0);
        c.camera.SetProperty(CM_PROP_GAMMA, 50 + i, 0);
        c.camera.SetProperty(CM_PROP_MIRROR, i % 2, 0);
        c.camera.SetProperty(CM_PROP_EXPOSURE, 5 + i % 20, i % 3 == 0);
        if (i % 50 == 0)
            c.camera.SetProperty(CM_PROP_WB_ONCE, 0, 1);
        kelvara::SleepMs(1);
    }
    const int before = c.log.Frames();
    ASSERT_TRUE(WaitUntil([&] { return c.log.Frames() > before; }, 3000));
    stop = true;
    reader.join();
    c.camera.Release();
    const int after = c.log.Frames();
    kelvara::SleepMs(100);
    EXPECT_EQ(c.log.Frames(), after) << "no frames after Release";
}
