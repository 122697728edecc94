// End to end over loopback: the wireless camera against the simulator
// program, streaming, stills, a camera that dies or stalls, and UI calls
// racing the polling thread.

#include "camera_module/wireless/CMCameraWMPBox.h"

#include "tests/support/wireless/SimulatorProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {

struct FrameLog
{
    std::atomic<int> frames{0};
    std::atomic<int> badFrames{0};
    std::atomic<int> width{0};
};

int OnFrame(void* user, int event, long image, long reserved)
{
    auto* log = static_cast<FrameLog*>(user);
    auto* frame = reinterpret_cast<const tagCMImage*>(image);
    bool good = event == 0 && reserved == 0 && frame->format == CM_FMT_MJPG && frame->dataSize > 2
        && frame->data[0] == 0xFF && frame->data[1] == 0xD8 && frame->bottomUp == 0 && frame->bufferSize == 0;
    if (!good)
        ++log->badFrames;
    log->width = frame->width;
    ++log->frames;
    return 0;
}

long MsSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

bool WaitForFrames(const FrameLog& log, int count, int timeoutMs = 5000)
{
    auto start = Clock::now();
    while (log.frames < count && MsSince(start) < timeoutMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return log.frames >= count;
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

}  // namespace

TEST(CMCameraWMPBoxStream, StreamsAtTheCameraRateAndSnapsStills)
{
    constexpr int kFps = 20;
    SimulatorProcess simulator({"--fps", std::to_string(kFps)});
    ASSERT_TRUE(simulator.Started());
    FrameLog log;
    CMCameraWMPBox camera(Wide(simulator.Address()).c_str());
    ASSERT_EQ(camera.Init(OnFrame, &log, 800, 600), CM_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(log.frames, 0);  // nothing before Play
    ASSERT_EQ(camera.Play(), CM_OK);
    ASSERT_TRUE(WaitForFrames(log, 1));

    // Ten seconds of streaming, with a control changed on the way.
    int first = log.frames;
    auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    EXPECT_EQ(camera.SetProperty(CM_PROP_BRIGHTNESS, 30, 0), CM_OK);
    std::this_thread::sleep_for(std::chrono::seconds(5));
    double seconds = MsSince(start) / 1000.0;
    double rate = (log.frames - first) / seconds;
    std::fprintf(stderr, "wireless stream: %.2f fps over %.1f s, camera at %d fps, last window %.2f fps\n",
        rate, seconds, kFps, camera.GetFrameRate());
    EXPECT_NEAR(rate, kFps, kFps * 0.1);
    EXPECT_NEAR(camera.GetFrameRate(), kFps, kFps * 0.25);  // the last one-second window
    EXPECT_EQ(log.badFrames, 0);
    EXPECT_EQ(log.width, 640);
    double value = 0;
    int isAuto = 0;
    ASSERT_EQ(camera.GetProperty(CM_PROP_BRIGHTNESS, &value, &isAuto), CM_OK);
    EXPECT_EQ(value, 30);

    // A still at the remembered size, while the preview runs on.
    int width = 1280, height = 720;
    camera.RememberStillImageSize(&width, &height);
    tagCMImage still{};
    still.bufferSize = 77;  // left as the caller gave it
    ASSERT_EQ(camera.Snap(&still), CM_OK);
    EXPECT_EQ(still.format, CM_FMT_MJPG);
    EXPECT_EQ(still.width, 1280);
    EXPECT_EQ(still.height, 720);
    EXPECT_EQ(still.bufferSize, 77);
    ASSERT_GT(still.dataSize, 2);
    EXPECT_EQ(still.data[0], 0xFF);
    EXPECT_EQ(still.data[1], 0xD8);
    delete[] still.data;

    // Pause holds the frames back; Play lets them through again.
    ASSERT_EQ(camera.Pause(), CM_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int paused = log.frames;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(log.frames, paused);
    ASSERT_EQ(camera.Play(), CM_OK);
    EXPECT_TRUE(WaitForFrames(log, paused + 2));

    testing::internal::CaptureStdout();
    start = Clock::now();
    EXPECT_EQ(camera.Release(), CM_OK);
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CMCameraSDKThread::ThreadProcess exit OK!\n");
}

TEST(CMCameraWMPBoxStream, KilledCameraIsReportedOnceAndReleaseIsQuick)
{
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.Started());
    FrameLog log;
    CMCameraWMPBox camera(Wide(simulator.Address()).c_str());
    ASSERT_EQ(camera.Init(OnFrame, &log, 800, 600), CM_OK);
    camera.Play();
    ASSERT_TRUE(WaitForFrames(log, 5));
    EXPECT_FALSE(camera.IsDeviceLost());

    testing::internal::CaptureStdout();
    simulator.Kill();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int afterKill = log.frames;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(log.frames, afterKill);
    // The loss is told to the owner, and the rate falls to 0.
    EXPECT_TRUE(camera.IsDeviceLost());
    EXPECT_EQ(camera.GetFrameRate(), 0.0f);
    tagCMImage still{};
    EXPECT_EQ(camera.Snap(&still), CM_ERR_FAILED);
    EXPECT_EQ(still.data, nullptr);

    auto start = Clock::now();
    EXPECT_EQ(camera.Release(), CM_OK);
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(), "disconnected\nCMCameraSDKThread::ThreadProcess exit OK!\n");
}

TEST(CMCameraWMPBoxStream, StalledCameraHoldsUpNeitherStillsNorRelease)
{
    SimulatorProcess simulator({"--stall-after", "10"});
    ASSERT_TRUE(simulator.Started());
    FrameLog log;
    CMCameraWMPBox camera(Wide(simulator.Address()).c_str());
    ASSERT_EQ(camera.Init(OnFrame, &log, 800, 600), CM_OK);
    camera.Play();
    ASSERT_TRUE(WaitForFrames(log, 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    tagCMImage still{};
    auto start = Clock::now();
    EXPECT_EQ(camera.Snap(&still), CM_ERR_FAILED);
    EXPECT_LT(MsSince(start), 2000);

    start = Clock::now();
    EXPECT_EQ(camera.Release(), CM_OK);
    EXPECT_LT(MsSince(start), 2000);
}

TEST(CMCameraWMPBoxStream, UICallsRaceThePollingThreadSafely)
{
    SimulatorProcess simulator({"--fps", "60"});
    ASSERT_TRUE(simulator.Started());
    FrameLog log, other;
    CMCameraWMPBox camera(Wide(simulator.Address()).c_str());
    ASSERT_EQ(camera.Init(OnFrame, &log, 800, 600), CM_OK);
    camera.Play();
    ASSERT_TRUE(WaitForFrames(log, 1));
    auto start = Clock::now();
    for (int i = 0; MsSince(start) < 1500; ++i) {
        double value = 0;
        int isAuto = 0, width = 0, height = 0;
        camera.SetProperty(CM_PROP_CONTRAST, 40 + i % 20, 0);
        camera.GetProperty(CM_PROP_CONTRAST, &value, &isAuto);
        camera.GetPreviewImageSize(&width, &height);
        camera.GetFrameRate();
        camera.setCallback(OnFrame, i % 2 ? &log : &other);
        if (i % 10 == 0)
            camera.Pause();
        else if (i % 10 == 5)
            camera.Play();
    }
    camera.Play();
    EXPECT_TRUE(WaitForFrames(log, log.frames + 1) || WaitForFrames(other, other.frames + 1));
    EXPECT_EQ(camera.Release(), CM_OK);
    EXPECT_EQ(log.badFrames + other.badFrames, 0);
}
