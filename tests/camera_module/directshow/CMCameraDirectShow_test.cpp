#include "camera_module/directshow/CMCameraDirectShow.h"
#include "platform/directshow/CaptureDeviceProvider.h"
#include "platform/directshow/VirtualDeviceRegistry.h"
#include "platform/system/Tick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

using namespace kelvara::dshow;

namespace {

// What the frame callback saw, shared with the streaming thread.
struct FrameLog
{
    std::mutex mutex;
    int frames = 0;
    tagCMImage last{};
    bool jpegMarker = false;
    bool shortFrame = false;

    int Frames()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return frames;
    }
    tagCMImage Last()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return last;
    }
};

int OnFrame(void* user, int event, long image, long reserved)
{
    auto* log = static_cast<FrameLog*>(user);
    const auto* frame = reinterpret_cast<const tagCMImage*>(image);
    EXPECT_EQ(event, 0);
    EXPECT_EQ(reserved, 0);
    std::lock_guard<std::mutex> lock(log->mutex);
    ++log->frames;
    log->last = *frame;
    log->last.data = nullptr;  // valid only during the call
    log->jpegMarker = frame->dataSize >= 2 && frame->data[0] == 0xFF && frame->data[1] == 0xD8;
    if (frame->format == CM_FMT_YUY2 && frame->dataSize < frame->width * frame->height * 2)
        log->shortFrame = true;
    return 0;
}

bool WaitFor(const std::function<bool()>& condition, uint32_t timeoutMs)
{
    const uint32_t start = kelvara::GetTickCount();
    while (!condition()) {
        if (kelvara::GetTickCount() - start > timeoutMs)
            return false;
        kelvara::SleepMs(5);
    }
    return true;
}

VirtualDeviceDescription TwoSizeMjpgCamera()
{
    VirtualDeviceDescription d;
    d.name = L"Two Size Microscope";
    d.devicePath = L"virtual#vid_1234&pid_5678#1";
    d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_MJPG, 640, 480),
        FormatRange::Discrete(MEDIASUBTYPE_MJPG, 1280, 720),
        FormatRange::Discrete(MEDIASUBTYPE_YUY2, 640, 480)};
    d.frameRate = 30.0;
    return d;
}

VirtualDeviceDescription StillCamera()
{
    VirtualDeviceDescription d;
    d.name = L"Still Microscope";
    d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 320, 240)};
    d.stillPin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 640, 480),
        FormatRange::Discrete(MEDIASUBTYPE_YUY2, 1024, 768)};
    return d;
}

class DirectShowCamera : public ::testing::Test
{
protected:
    void SetUp() override
    {
        unsetenv("KELVARA_VIRTUAL_CAMERAS");
        SetV4L2EnumerationEnabled(false);
        VirtualDeviceRegistry::Clear();
    }
    void TearDown() override
    {
        if (m_camera) {
            m_camera->Release();
            m_camera.reset();
        }
        VirtualDeviceRegistry::Clear();
    }

    // Adds the device and opens a camera on it at width x height.
    CMCameraDirectShow* Open(const VirtualDeviceDescription& description, long width = 800, long height = 600,
        int expectInit = CM_OK)
    {
        m_deviceId = VirtualDeviceRegistry::Add(description);
        std::vector<int> ids = VirtualDeviceRegistry::Ids();
        const int index = static_cast<int>(std::find(ids.begin(), ids.end(), m_deviceId) - ids.begin());
        m_camera = std::make_unique<CMCameraDirectShow>(index);
        EXPECT_EQ(m_camera->Init(OnFrame, &m_log, width, height), expectInit);
        m_camera->Play();
        return m_camera.get();
    }

    FrameLog m_log;
    int m_deviceId = 0;
    std::unique_ptr<CMCameraDirectShow> m_camera;
};

}  // namespace

TEST_F(DirectShowCamera, RequestedSizeMissingPicksClosestByManhattanDistance)
{
    CMCameraDirectShow* camera = Open(TwoSizeMjpgCamera());
    int width = 0, height = 0, format = 0;
    camera->GetPreviewImageSize(&width, &height);
    camera->GetImageFormat(&format);
    EXPECT_EQ(width, 640);  // distance 280, against 600 for 1280 x 720
    EXPECT_EQ(height, 480);
    EXPECT_EQ(format, CM_FMT_MJPG);
    EXPECT_EQ(camera->GetSupportedImageFormats(), (std::vector<int>{CM_FMT_MJPG, CM_FMT_YUY2}));
    std::vector<tagSIZE> sizes;
    ASSERT_EQ(camera->GetSupportedPreviewSizes(&sizes), CM_OK);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[1].cx, 1280);

    ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= 3; }, 3000));
    tagCMImage frame = m_log.Last();
    EXPECT_EQ(frame.format, CM_FMT_MJPG);
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
    EXPECT_EQ(frame.bottomUp, 0);
    EXPECT_TRUE(m_log.jpegMarker);
}

TEST_F(DirectShowCamera, ClosestSizeWalksTheGranularityGrid)
{
    VirtualDeviceDescription d;
    d.name = L"Stepwise Microscope";
    d.capturePin = {FormatRange::Stepwise(MEDIASUBTYPE_YUY2, 160, 120, 1920, 1080, 8, 4)};
    CMCameraDirectShow* camera = Open(d, 803, 601);
    int width = 0, height = 0, format = 0;
    camera->GetPreviewImageSize(&width, &height);
    camera->GetImageFormat(&format);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(format, CM_FMT_YUY2);
}

TEST_F(DirectShowCamera, AllH264DeviceKeepsItsDefaultAndSaysSo)
{
    VirtualDeviceDescription d;
    d.name = L"H264 Only";
    d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_H264, 1920, 1080),
        FormatRange::Discrete(MEDIASUBTYPE_H264, 1280, 720)};
    CMCameraDirectShow* camera = Open(d);
    int width = 0, height = 0, format = 0;
    camera->GetPreviewImageSize(&width, &height);
    camera->GetImageFormat(&format);
    EXPECT_EQ(width, 1920);
    EXPECT_EQ(height, 1080);
    EXPECT_EQ(format, CM_FMT_H264);
    ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= 1; }, 3000));
    EXPECT_EQ(m_log.Last().format, CM_FMT_H264);
}

TEST_F(DirectShowCamera, ImageFormatChanges)
{
    VirtualDeviceDescription refusing = TwoSizeMjpgCamera();
    refusing.faults.refusedSubtypes = {MEDIASUBTYPE_YUY2};
    struct Case
    {
        const char* what;
        VirtualDeviceDescription device;
        int requested;
        int result;
        int format;
    };
    const Case cases[] = {
        {"unlisted YUYV changes nothing", TwoSizeMjpgCamera(), CM_FMT_YUYV, CM_OK, CM_FMT_MJPG},
        {"the current format", TwoSizeMjpgCamera(), CM_FMT_MJPG, CM_OK, CM_FMT_MJPG},
        {"listed YUY2", TwoSizeMjpgCamera(), CM_FMT_YUY2, CM_OK, CM_FMT_YUY2},
        {"refused YUY2 keeps MJPG", refusing, CM_FMT_YUY2, CM_ERR_FAILED, CM_FMT_MJPG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMCameraDirectShow* camera = Open(c.device);
        EXPECT_EQ(camera->SetImageFormat(c.requested), c.result);
        int format = -1;
        camera->GetImageFormat(&format);
        EXPECT_EQ(format, c.format);
        EXPECT_EQ(camera->IsPaused(), 0);
        const int seen = m_log.Frames();
        ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= seen + 2; }, 3000));
        tagCMImage frame = m_log.Last();
        EXPECT_EQ(frame.format, c.format);
        if (frame.format == CM_FMT_YUY2) {
            EXPECT_EQ(frame.dataSize, frame.width * frame.height * 2);
        }
        TearDown();
    }
}

TEST_F(DirectShowCamera, StreamsAtTheConfiguredRate)
{
    // KELVARA_LONG_STREAM_TEST=1 runs the 10 s check.
    const bool longRun = std::getenv("KELVARA_LONG_STREAM_TEST") != nullptr;
    const uint32_t seconds = longRun ? 10 : 3;
    CMCameraDirectShow* camera = Open(TwoSizeMjpgCamera());
    ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= 1; }, 3000));
    const int first = m_log.Frames();
    const uint32_t start = kelvara::GetTickCount();
    kelvara::SleepMs(seconds * 1000);
    const int frames = m_log.Frames() - first;
    const double elapsed = (kelvara::GetTickCount() - start) / 1000.0;
    const double rate = frames / elapsed;
    printf("streamed %d frames in %.3f s: %.2f fps, measured %.2f fps\n", frames, elapsed, rate,
        camera->GetFrameRate());
    // The long run holds the camera to 5 %; the short default run shares two
    // cores with the rest of the suite (and sanitizers), so it allows 15 %.
    const double tolerance = longRun ? 1.5 : 4.5;
    EXPECT_NEAR(rate, 30.0, tolerance);
    EXPECT_NEAR(camera->GetFrameRate(), 30.0, tolerance);
}

TEST_F(DirectShowCamera, FormatChangesLeaveTheDefaultFrameRate)
{
    // Another program left the device at 5 fps; its default is 30 fps.
    VirtualDeviceDescription d = TwoSizeMjpgCamera();
    d.leftBehindFrameRate = 5;
    CMCameraDirectShow* camera = Open(d);
    auto framesInHalfASecond = [&] {
        const int seen = m_log.Frames();
        EXPECT_TRUE(WaitFor([&] { return m_log.Frames() >= seen + 1; }, 3000));
        const int first = m_log.Frames();
        kelvara::SleepMs(500);
        return m_log.Frames() - first;
    };
    EXPECT_GE(framesInHalfASecond(), 10);  // 15 expected; 2 or 3 at 5 fps
    ASSERT_EQ(camera->SetImageFormat(CM_FMT_YUY2), CM_OK);
    EXPECT_GE(framesInHalfASecond(), 10);
    ASSERT_EQ(camera->SetImageFormat(CM_FMT_MJPG), CM_OK);
    EXPECT_GE(framesInHalfASecond(), 10);
}

TEST_F(DirectShowCamera, PauseDropsFramesAndReleaseThenInitWorks)
{
    CMCameraDirectShow* camera = Open(TwoSizeMjpgCamera());
    ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= 2; }, 3000));
    camera->Pause();
    kelvara::SleepMs(50);  // a frame being delivered finishes
    const int paused = m_log.Frames();
    kelvara::SleepMs(300);
    EXPECT_EQ(m_log.Frames(), paused);
    camera->Play();
    ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= paused + 2; }, 3000));

    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(camera->Release(), CM_OK);
        const int before = m_log.Frames();
        kelvara::SleepMs(100);
        EXPECT_EQ(m_log.Frames(), before);
        ASSERT_EQ(camera->Init(OnFrame, &m_log, 1280, 720), CM_OK);
        int width = 0, height = 0;
        camera->GetPreviewImageSize(&width, &height);
        EXPECT_EQ(width, 1280);
        ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= before + 2; }, 3000));
    }
    // A second Init on an open device is refused.
    EXPECT_EQ(camera->Init(OnFrame, &m_log, 640, 480), CM_ERR_OPEN);
}

TEST_F(DirectShowCamera, UnplugMidStreamLeavesTheCameraReleasable)
{
    VirtualDeviceDescription d = TwoSizeMjpgCamera();
    d.faults.unplugAfterFrames = 40;
    CMCameraDirectShow* camera = Open(d);
    ASSERT_TRUE(WaitFor([&] { return camera->GetFrameRate() > 0.0f; }, 3000));
    EXPECT_FALSE(camera->IsDeviceLost());
    ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= 40; }, 3000));
    kelvara::SleepMs(200);
    const int frames = m_log.Frames();
    EXPECT_LE(frames, 40);
    kelvara::SleepMs(200);
    EXPECT_EQ(m_log.Frames(), frames);
    // The loss is told to the owner, and the measured rate falls to 0.
    EXPECT_TRUE(camera->IsDeviceLost());
    EXPECT_EQ(camera->GetFrameRate(), 0.0f);
    // Property calls on a gone device answer without crashing.
    double value = -1;
    int isAuto = -1;
    EXPECT_EQ(camera->GetProperty(CM_PROP_BRIGHTNESS, &value, &isAuto), CM_OK);
    EXPECT_EQ(camera->Release(), CM_OK);
    // The device is gone from the enumeration: opening again fails cleanly.
    EXPECT_EQ(camera->Init(OnFrame, &m_log, 800, 600), CM_ERR_OPEN);
    // Plugged in again, it opens as a device that is there.
    VirtualDeviceRegistry::Replug(m_deviceId);
    ASSERT_EQ(camera->Init(OnFrame, &m_log, 800, 600), CM_OK);
    EXPECT_FALSE(camera->IsDeviceLost());
    camera->Release();
    m_camera.reset();
}

TEST_F(DirectShowCamera, InvalidDeviceIndexesFailToOpen)
{
    for (int index : {-1, 0, 5, 20}) {
        CMCameraDirectShow camera(index);
        EXPECT_EQ(camera.Init(OnFrame, &m_log, 800, 600), CM_ERR_OPEN) << index;
        EXPECT_EQ(camera.Release(), CM_OK);
    }
}

TEST_F(DirectShowCamera, StillSizesAndCapture)
{
    CMCameraDirectShow* camera = Open(StillCamera());
    ASSERT_TRUE(camera->IsSupportStillCapture());
    int width = 0, height = 0;
    camera->GetStillImageSize(width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(camera->GetSnapImageSize(), 640L * 480 * 3);

    // An unlisted size is refused and the stream goes on.
    EXPECT_EQ(camera->SetStillImageSize(800, 600), CM_ERR_NOT_SUPPORTED);
    const int seen = m_log.Frames();
    ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= seen + 2; }, 3000));

    EXPECT_EQ(camera->SetStillImageSize(1024, 768), CM_OK);
    camera->GetStillImageSize(width, height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    camera->GetPreviewImageSize(&width, &height);
    EXPECT_EQ(width, 320);  // the preview keeps its size across the reopen
    const int reopened = m_log.Frames();
    ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= reopened + 2; }, 3000));

    tagCMImage still{};
    ASSERT_EQ(camera->Snap(&still), CM_OK);
    std::unique_ptr<unsigned char[]> owned(still.data);
    EXPECT_EQ(still.format, CM_FMT_YUY2);
    EXPECT_EQ(still.width, 1024);
    EXPECT_EQ(still.height, 768);
    EXPECT_EQ(still.dataSize, 1024 * 768 * 2);
    EXPECT_EQ(still.bufferSize, still.dataSize);
    EXPECT_EQ(still.bottomUp, 0);
}

TEST_F(DirectShowCamera, StillThatNeverComesTimesOut)
{
    VirtualDeviceDescription d = StillCamera();
    d.faults.stillNeverFires = true;
    CMCameraDirectShow* camera = Open(d);
    tagCMImage still{};
    EXPECT_EQ(camera->Snap(&still), CM_ERR_STILL_TIMEOUT);
    EXPECT_EQ(still.data, nullptr);
}

TEST_F(DirectShowCamera, StillThatComesAfterItsSnapGaveUpDoesNotAnswerTheNext)
{
    VirtualDeviceDescription d = StillCamera();
    d.faults.lateFirstStillMs = 6300;  // after the snap's 6 s
    CMCameraDirectShow* camera = Open(d);
    tagCMImage still{};
    EXPECT_EQ(camera->Snap(&still), CM_ERR_STILL_TIMEOUT);
    ASSERT_TRUE(WaitFor([&] { return VirtualDeviceRegistry::StillsDelivered(m_deviceId) == 1; }, 3000));
    // The count goes up before the still is handed on: let that hand-over
    // end, so the next snap starts after the late still, not during it.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    ASSERT_EQ(camera->Snap(&still), CM_OK);
    std::unique_ptr<unsigned char[]> owned(still.data);
    // Answered by a still of its own, not the one left over.
    EXPECT_EQ(VirtualDeviceRegistry::StillsDelivered(m_deviceId), 2);
    EXPECT_EQ(still.dataSize, 640 * 480 * 2);
}

TEST_F(DirectShowCamera, PreviewGrabCopiesOneFrameForTheCaller)
{
    CMCameraDirectShow* camera = Open(TwoSizeMjpgCamera(), 640, 480);
    camera->SetImageFormat(CM_FMT_YUY2);
    EXPECT_FALSE(camera->IsSupportStillCapture());
    tagCMImage frame{};
    ASSERT_EQ(camera->Snap(&frame), CM_OK);
    std::unique_ptr<unsigned char[]> owned(frame.data);
    EXPECT_EQ(frame.format, CM_FMT_YUY2);
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
    EXPECT_EQ(frame.dataSize, 640 * 480 * 2);
    EXPECT_EQ(frame.bufferSize, 0);
}

TEST_F(DirectShowCamera, ShortFramesCarryTheirTrueLength)
{
    VirtualDeviceDescription d = TwoSizeMjpgCamera();
    d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 320, 240)};
    d.faults.shortFrameEvery = 2;
    Open(d, 320, 240);
    ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= 4; }, 3000));
    std::lock_guard<std::mutex> lock(m_log.mutex);
    EXPECT_TRUE(m_log.shortFrame);
}

TEST_F(DirectShowCamera, PreviewSizeChange)
{
    CMCameraDirectShow* camera = Open(TwoSizeMjpgCamera(), 640, 480);
    EXPECT_EQ(camera->SetPreviewImageSize(640, 480), CM_OK);
    EXPECT_EQ(camera->SetPreviewImageSize(1280, 720), CM_OK);
    int width = 0, height = 0;
    camera->GetPreviewImageSize(&width, &height);
    EXPECT_EQ(width, 1280);
    const int seen = m_log.Frames();
    ASSERT_TRUE(WaitFor([&] { return m_log.Frames() >= seen + 2; }, 3000));
    EXPECT_EQ(m_log.Last().width, 1280);
    EXPECT_EQ(camera->SetPreviewImageSize(1000, 700), CM_ERR_FAILED);
    camera->GetPreviewImageSize(&width, &height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(camera->IsPaused(), 0);
}

TEST_F(DirectShowCamera, StillSizeChangeReportsAReopenThatFailed)
{
    CMCameraDirectShow* camera = Open(StillCamera());
    VirtualDeviceRegistry::Unplug(m_deviceId);
    EXPECT_EQ(camera->SetStillImageSize(1024, 768), CM_ERR_FAILED);
    EXPECT_FALSE(camera->IsSupportStillCapture());
}
