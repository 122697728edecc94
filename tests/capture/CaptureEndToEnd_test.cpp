// A virtual camera through the controller into a preview in a real window:
// the picture on screen, stills in every file format, a recording, size
// changes, closing while everything runs, and UI calls while frames flow.
#include "app/capture/CCameraController.h"
#include "platform/ywdevsdk/YWSimulation.h"
#include "tests/capture/RecorderTestProbe.h"
#include "tests/support/capture/CaptureTestFrames.h"
#include "tests/support/directshow/ScopedVirtualDevice.h"
#include "tests/support/view/PreviewHostWindow.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

using namespace kelvara;
using namespace kelvara::test;
using namespace kelvara::dshow;
using kelvara::dshow::testing::ScopedVirtualDevice;

namespace {

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

class CaptureEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        unsetenv("KELVARA_VIRTUAL_CAMERAS");
        ywdevsdk::SetSimulatedDevices({});
        char pattern[] = "/tmp/kelvara-capture-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        // Away from where the toolkit and preview tests place their windows
        // (some drive a real pointer), since the suite runs programs in parallel.
        ASSERT_TRUE(m_host.Open(1000, 420, 800, 560, true, true));
        m_controller.SetRenderControl(m_host.Preview(), nullptr);
    }
    void TearDown() override
    {
        m_controller.CloseCamera();
        m_controller.SetRenderControl(nullptr, nullptr);
        m_host.Close();
        m_device.reset();
        ywdevsdk::ResetSimulatedDevices();
        RunCommand("rm -rf " + ShellQuote(m_dir));
    }

    // Opens a camera on a virtual device with the given capture formats.
    void Open(std::vector<FormatRange> capture, std::vector<FormatRange> still = {}, double frameRate = 30.0)
    {
        VirtualDeviceDescription d = dshow::testing::SmallTestCamera(frameRate);
        d.capturePin = std::move(capture);
        d.stillPin = std::move(still);
        m_device = std::make_unique<ScopedVirtualDevice>(d);
        std::wstring name;
        ASSERT_TRUE(m_controller.OpenCamera(0, 0, &name));
        ASSERT_EQ(name, d.name);
        m_controller.GetCamera()->Play();
    }

    // Pumps the UI until n more frames were shown.
    bool WaitFrames(uint64_t n, int timeoutMs = 10000)
    {
        const uint64_t target = m_controller.GetPipelineStats().frames + n;
        return PumpUntil([&] { return m_controller.GetPipelineStats().frames >= target; }, timeoutMs);
    }

    void Pump(int ms)
    {
        PumpUntil([] { return false; }, ms);
    }

    // The picture shown and how far it is from the camera's scene.
    double ShownSceneDistance(int* width = nullptr, int* height = nullptr)
    {
        std::vector<uint8_t> pixels;
        int w = 0, h = 0;
        if (!m_controller.CopyDisplayPicture(&pixels, &w, &h))
            return 1e9;
        if (width)
            *width = w;
        if (height)
            *height = h;
        return SceneDistance(pixels.data(), w, h, 4, 0);
    }

    std::string m_dir;
    PreviewHostWindow m_host;
    CCameraController m_controller;
    std::unique_ptr<ScopedVirtualDevice> m_device;
};

TEST_F(CaptureEndToEnd, EveryFormatIsShownUprightAndFitted)
{
    struct Case
    {
        const char* name;
        GUID subtype;
        int width;
        int height;
    };
    const Case cases[] = {
        {"MJPG", MEDIASUBTYPE_MJPG, 640, 480},
        {"YUY2", MEDIASUBTYPE_YUY2, 640, 360},
        {"RGB24 bottom-up", MEDIASUBTYPE_RGB24, 320, 240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open({FormatRange::Discrete(c.subtype, c.width, c.height)});
        ASSERT_TRUE(WaitFrames(3));
        int w = 0, h = 0;
        EXPECT_LT(ShownSceneDistance(&w, &h), 6.0);
        EXPECT_EQ(w, c.width);

        // Freeze the stream and compare the screen with the picture shown.
        m_controller.GetCamera()->Pause();
        Pump(200);
        std::vector<uint8_t> pixels;
        ASSERT_TRUE(m_controller.CopyDisplayPicture(&pixels, &w, &h));
        const std::string shot = m_dir + "/screen.png";
        ASSERT_TRUE(m_controller.SaveRenderedImage(Wide(shot).c_str()));
        const cv::Mat screen = cv::imread(shot, cv::IMREAD_COLOR);  // B,G,R
        ASSERT_EQ(screen.cols, 800);
        ASSERT_EQ(screen.rows, 500);
        // Fitted: the whole picture, centred, aspect kept.
        const double zoom = std::min(800.0 / w, 500.0 / h);
        const double originX = (800 - zoom * w) / 2;
        const double originY = (500 - zoom * h) / 2;
        EXPECT_NEAR(m_host.Preview()->GetViewZoom(), zoom, 1e-3);
        int mismatches = 0;
        for (int gy = 1; gy < 10; ++gy) {
            for (int gx = 1; gx < 10; ++gx) {
                const int x = w * gx / 10, y = h * gy / 10;
                const cv::Vec3b s = screen.at<cv::Vec3b>(static_cast<int>(originY + (y + 0.5) * zoom),
                    static_cast<int>(originX + (x + 0.5) * zoom));
                const uint8_t* p = &pixels[(static_cast<size_t>(y) * w + x) * 4];
                if (!Near(Rgb{s[2], s[1], s[0]}, Rgb{p[0], p[1], p[2]}, 40))
                    ++mismatches;
            }
        }
        EXPECT_LE(mismatches, 8) << "of 81 sample points";
        if (originX >= 2) {
            const cv::Vec3b bar = screen.at<cv::Vec3b>(250, static_cast<int>(originX / 2));
            EXPECT_EQ(bar, cv::Vec3b(0, 0, 0));
        }
        m_controller.CloseCamera();
        m_device.reset();
    }
}

// Cameras that send only planar, grey or other packed formats show their
// picture, and their stills and recordings hold it.
TEST_F(CaptureEndToEnd, OtherRawFormatsArePreviewedSnappedAndRecorded)
{
    const std::pair<const char*, GUID> cases[] = {
        {"NV12", MEDIASUBTYPE_NV12},
        {"I420", MEDIASUBTYPE_IYUV},
        {"YV12", MEDIASUBTYPE_YV12},
        {"UYVY", MEDIASUBTYPE_UYVY},
        {"YVYU", MEDIASUBTYPE_YVYU},
        {"GREY", MEDIASUBTYPE_GREY},
    };
    for (const auto& [name, subtype] : cases) {
        SCOPED_TRACE(name);
        const bool grey = subtype == MEDIASUBTYPE_GREY;
        Open({FormatRange::Discrete(subtype, 320, 240)});
        ASSERT_TRUE(WaitFrames(3));
        std::vector<uint8_t> pixels;
        int w = 0, h = 0;
        ASSERT_TRUE(m_controller.CopyDisplayPicture(&pixels, &w, &h));
        EXPECT_EQ(w, 320);
        if (grey) {
            long sum = 0;
            for (size_t i = 0; i < pixels.size(); i += 4) {
                EXPECT_EQ(pixels[i], pixels[i + 1]);
                EXPECT_EQ(pixels[i], pixels[i + 2]);
                sum += pixels[i];
            }
            EXPECT_GT(sum / static_cast<long>(pixels.size() / 4), 20);  // not a black picture
        } else {
            EXPECT_LT(ShownSceneDistance(), 6.0);
        }

        const std::string still = m_dir + "/" + name + ".png";
        ASSERT_TRUE(m_controller.SnapToFile(Wide(still).c_str()));
        const cv::Mat picture = cv::imread(still, cv::IMREAD_COLOR);
        ASSERT_EQ(picture.cols, 320);
        if (!grey) {
            EXPECT_LT(SceneDistance(picture.data, picture.cols, picture.rows, 3, 2), 6.0);
        }

        const std::string video = m_dir + "/" + name + ".mp4";
        ASSERT_TRUE(m_controller.StartRecording(Wide(video).c_str()));
        ASSERT_TRUE(WaitFrames(5));
        ASSERT_TRUE(m_controller.StopRecording());
        EXPECT_GE(m_controller.GetPipelineStats().recorded, 3u);
        m_controller.CloseCamera();
        m_device.reset();
        m_controller.ResetPipelineStats();
    }
}

TEST_F(CaptureEndToEnd, SizeChangeMidStreamShowsTheNewSize)
{
    Open({FormatRange::Discrete(MEDIASUBTYPE_MJPG, 640, 480),
        FormatRange::Discrete(MEDIASUBTYPE_MJPG, 1280, 720)});
    ASSERT_TRUE(WaitFrames(2));
    int w = 0, h = 0;
    ShownSceneDistance(&w, &h);
    ASSERT_EQ(w, 640);
    const float zoomBefore = m_host.Preview()->GetViewZoom();
    std::vector<tagSIZE> sizes;
    m_controller.GetCamera()->GetSupportedPreviewSizes(&sizes);
    unsigned index = 0;
    while (index < sizes.size() && sizes[index].cx != 1280)
        ++index;
    ASSERT_LT(index, sizes.size());
    m_controller.SetPreviewSizeByIndex(index);
    ASSERT_TRUE(PumpUntil([&] {
        ShownSceneDistance(&w, &h);
        return w == 1280;
    }));
    ASSERT_TRUE(WaitFrames(2));
    EXPECT_LT(ShownSceneDistance(&w, &h), 6.0);
    EXPECT_EQ(h, 720);
    EXPECT_TRUE(PumpUntil([&] { return m_host.Preview()->GetViewZoom() != zoomBefore; }));
}

TEST_F(CaptureEndToEnd, StillsInEveryFileFormatHoldTheCamerasPicture)
{
    Open({FormatRange::Discrete(MEDIASUBTYPE_MJPG, 320, 240)},
        {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 640, 480)});
    ASSERT_TRUE(WaitFrames(2));
    struct Case
    {
        const char* file;
        double maxDistance;
    };
    const Case cases[]
        = {{"still.tif", 6}, {"still.png", 6}, {"still.BMP", 6}, {"still.jpg", 8}, {"still.jpeg", 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = m_dir + "/" + c.file;
        ASSERT_TRUE(m_controller.SnapToFile(Wide(path).c_str()));
        const cv::Mat still = cv::imread(path, cv::IMREAD_COLOR);
        ASSERT_EQ(still.cols, 640);
        ASSERT_EQ(still.rows, 480);
        // The still shows the preview's field (the sensor is the 320 x 240 capture size) at twice its pixels.
        EXPECT_LT(SceneDistance(still.data, still.cols, still.rows, 3, 2, 10.0, 320, 240), c.maxDistance);
    }
    // A still of a bottom-up format, mirrored by software.
    m_controller.CloseCamera();
    m_device.reset();
    Open({FormatRange::Discrete(MEDIASUBTYPE_RGB24, 320, 240)});
    ASSERT_TRUE(WaitFrames(1));
    const std::string upright = m_dir + "/upright.png";
    ASSERT_TRUE(m_controller.SnapToFile(Wide(upright).c_str()));
    cv::Mat still = cv::imread(upright, cv::IMREAD_COLOR);
    EXPECT_LT(SceneDistance(still.data, still.cols, still.rows, 3, 2), 6.0);
    ASSERT_EQ(m_controller.SetCameraProperty(CM_PROP_MIRROR, 1.0, 0), CM_OK);
    const std::string mirrored = m_dir + "/mirrored.png";
    ASSERT_TRUE(m_controller.SnapToFile(Wide(mirrored).c_str()));
    still = cv::imread(mirrored, cv::IMREAD_COLOR);
    cv::Mat unmirrored;
    cv::flip(still, unmirrored, 1);
    EXPECT_LT(SceneDistance(unmirrored.data, unmirrored.cols, unmirrored.rows, 3, 2), 6.0);
    EXPECT_GT(SceneDistance(still.data, still.cols, still.rows, 3, 2), 10.0);
}

TEST_F(CaptureEndToEnd, StillsAndRecordingsThatCannotBeMadeFailWithoutAFile)
{
    Open({FormatRange::Discrete(MEDIASUBTYPE_H264, 320, 240)});
    EXPECT_FALSE(m_controller.SnapToFile(Wide(m_dir + "/h264.png").c_str()));
    m_controller.CloseCamera();
    m_device.reset();
    Open({FormatRange::Discrete(MEDIASUBTYPE_YUY2, 320, 240)});
    EXPECT_FALSE(m_controller.SnapToFile(Wide(m_dir + "/unknown.xyz").c_str()));
    EXPECT_FALSE(m_controller.SnapToFile(Wide(m_dir + "/missing/folder.png").c_str()));
    EXPECT_FALSE(m_controller.SnapToFile(Wide(m_dir + "/" + std::string(300, 'n') + ".png").c_str()));
    // Recordings the same way: never a cut name, never a stray file.
    EXPECT_FALSE(m_controller.StartRecording(Wide(m_dir + "/" + std::string(300, 'n') + ".mp4").c_str()));
    EXPECT_FALSE(m_controller.StartRecording((Wide(m_dir) + L"/a\xD800.mp4").c_str()));
    EXPECT_FALSE(m_controller.StartRecording(Wide(m_dir + "/missing/folder.mp4").c_str()));
    EXPECT_FALSE(m_controller.IsRecording());
    EXPECT_EQ(RunCommand("ls -A " + ShellQuote(m_dir)), "");
}

TEST_F(CaptureEndToEnd, TenSecondRecordingIsAnH264Mp4)
{
    Open({FormatRange::Discrete(MEDIASUBTYPE_MJPG, 640, 480)});
    ASSERT_TRUE(WaitFrames(2));
    const std::string path = m_dir + "/ten.mp4";
    ASSERT_TRUE(m_controller.StartRecording(Wide(path).c_str()));
    Pump(10000);
    std::string written;
    ASSERT_TRUE(m_controller.StopRecording(&written));
    EXPECT_EQ(written, path);
    const nlohmann::json probe = ProbeVideo(path);
    ASSERT_FALSE(probe.is_null());
    const nlohmann::json& stream = probe["streams"][0];
    EXPECT_EQ(stream["codec_name"], "h264");
    EXPECT_EQ(stream["width"], 640);
    EXPECT_EQ(stream["height"], 480);
    const int frames = std::stoi(stream["nb_read_frames"].get<std::string>());
    EXPECT_GE(frames, 270);
    EXPECT_LE(frames, 310);
    EXPECT_NEAR(std::stod(probe["format"]["duration"].get<std::string>()), 10.0, 0.5);
}

TEST_F(CaptureEndToEnd, ClosingWhileFramesAndRecordingRunStopsEverything)
{
    Open({FormatRange::Discrete(MEDIASUBTYPE_YUY2, 640, 480)});
    ASSERT_TRUE(WaitFrames(2));
    const std::string path = m_dir + "/closed.mp4";
    ASSERT_TRUE(m_controller.StartRecording(Wide(path).c_str()));
    ASSERT_TRUE(WaitFrames(10));
    m_controller.CloseCamera();
    EXPECT_EQ(m_controller.GetCamera(), nullptr);
    EXPECT_FALSE(m_controller.IsRecording());
    const uint64_t frames = m_controller.GetPipelineStats().frames;
    Pump(300);
    EXPECT_EQ(m_controller.GetPipelineStats().frames, frames);
    const nlohmann::json probe = ProbeVideo(path);
    ASSERT_FALSE(probe.is_null());
    EXPECT_GE(std::stoi(probe["streams"][0]["nb_read_frames"].get<std::string>()), 10);
}

// Snaps, recordings and property changes from the UI thread while frames
// flow (the thread sanitizer build watches this one).
TEST_F(CaptureEndToEnd, UiCallsWhileFramesFlow)
{
    Open({FormatRange::Discrete(MEDIASUBTYPE_MJPG, 320, 240),
             FormatRange::Discrete(MEDIASUBTYPE_YUY2, 320, 240)},
        {}, 60.0);
    ASSERT_TRUE(WaitFrames(2));
    for (int round = 0; round < 6; ++round) {
        const std::string video = m_dir + "/round" + std::to_string(round) + ".mp4";
        ASSERT_TRUE(m_controller.StartRecording(Wide(video).c_str()));
        EXPECT_EQ(m_controller.SetCameraProperty(CM_PROP_MIRROR, round % 2, 0), CM_OK);
        EXPECT_EQ(m_controller.SetCameraProperty(CM_PROP_FLIP, round % 3 == 0, 0), CM_OK);
        ASSERT_TRUE(WaitFrames(3));
        EXPECT_TRUE(m_controller.SnapToFile(Wide(m_dir + "/snap" + std::to_string(round) + ".bmp").c_str()));
        m_controller.StopRecording();
        m_controller.SetImageFormatByIndex(round % 2);
        ASSERT_TRUE(WaitFrames(2));
    }
    EXPECT_GT(m_controller.GetPipelineStats().recorded, 0u);
}

}  // namespace

// Frames made in the preview's buffers and recorded on the encoder thread:
// every frame the camera delivered while recording is in the file, and the
// picture the preview took over stays readable after it is detached.
TEST_F(CaptureEndToEnd, EveryFrameDeliveredWhileRecordingIsInTheFile)
{
    Open({FormatRange::Discrete(MEDIASUBTYPE_MJPG, 640, 480)}, {}, 60.0);
    ASSERT_TRUE(WaitFrames(2));
    const std::string path = m_dir + "/every.mp4";
    m_controller.ResetPipelineStats();
    ASSERT_TRUE(m_controller.StartRecording(Wide(path).c_str()));
    ASSERT_TRUE(WaitFrames(60));
    m_controller.GetCamera()->Pause();
    Pump(100);
    const unsigned shown = m_host.Preview()->GetUploadCount();
    ASSERT_EQ(m_controller.FinishRecording(), CCameraController::RecordingEnd::kSaved);
    const PipelineStats stats = m_controller.GetPipelineStats();
    EXPECT_EQ(stats.recordQueueFull, 0u);
    EXPECT_EQ(stats.encoded, stats.recorded);
    EXPECT_GE(stats.recorded, 60u);
    const nlohmann::json probe = ProbeVideo(path);
    ASSERT_FALSE(probe.is_null());
    EXPECT_EQ(std::stoul(probe["streams"][0]["nb_read_frames"].get<std::string>()), stats.recorded);
    EXPECT_GT(shown, 0u);

    int w = 0, h = 0;
    EXPECT_LT(ShownSceneDistance(&w, &h), 20.0);
    EXPECT_EQ(w, 640);
    m_controller.SetRenderControl(nullptr, nullptr);
    EXPECT_LT(ShownSceneDistance(&w, &h), 20.0);
    EXPECT_EQ(h, 480);
}
