// The frame pipeline of the camera controller: every format comes out upright
// in R,G,B,A, damaged frames never replace the picture, the software mirror
// and flip act, and only frames of the recording's size are recorded.
#include "app/capture/CCameraController.h"
#include "camera_module/directshow/CMCameraDirectShow.h"
#include "tests/capture/RecorderTestProbe.h"
#include "tests/support/capture/CaptureTestFrames.h"
#include "tests/support/directshow/ScopedVirtualDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

using namespace kelvara;
using namespace kelvara::test;
using kelvara::dshow::testing::ScopedVirtualDevice;

namespace {

void Deliver(CCameraController& controller, const tagCMImage& image, int event = 0)
{
    CCameraController::OnFrame(&controller, event, reinterpret_cast<long>(&image), 0);
}

// Checks the four quadrants of the shown picture; order maps each shown
// quadrant to the source quadrant expected there.
void ExpectQuadrants(
    const CCameraController& controller, int width, int height, int tolerance, const int order[4] = nullptr)
{
    static const int kIdentity[4] = {0, 1, 2, 3};
    if (!order)
        order = kIdentity;
    std::vector<uint8_t> pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(controller.CopyDisplayPicture(&pixels, &w, &h));
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, height);
    for (int q = 0; q < 4; ++q) {
        const Rgb got = QuadrantCenter(pixels.data(), w, h, q);
        const Rgb want = kQuadrantColors[order[q]];
        EXPECT_TRUE(Near(got, want, tolerance))
            << "quadrant " << q << ": " << got.r << "," << got.g << "," << got.b << " want " << want.r << ","
            << want.g << "," << want.b;
    }
}

struct FormatCase
{
    const char* name;
    int format;
    bool bottomUp;
    int width;
    int height;
    int tolerance;
};

const FormatCase kFormats[] = {
    {"RAW24", CM_FMT_RAW24, false, 320, 240, 0},
    {"RGB24 top-down", CM_FMT_RGB24, false, 320, 240, 0},
    {"RGB24 bottom-up", CM_FMT_RGB24, true, 320, 240, 0},
    {"RGB24 bottom-up, padded rows", CM_FMT_RGB24, true, 322, 240, 0},
    {"YUY2", CM_FMT_YUY2, false, 320, 240, 12},
    {"YUY2 odd width", CM_FMT_YUY2, false, 321, 240, 12},
    {"MJPG", CM_FMT_MJPG, false, 320, 240, 10},
    {"NV12", CM_FMT_NV12, false, 320, 240, 12},
    {"NV12 odd size", CM_FMT_NV12, false, 321, 241, 12},
    {"I420", CM_FMT_I420, false, 320, 240, 12},
    {"YV12 odd size", CM_FMT_YV12, false, 321, 241, 12},
    {"UYVY", CM_FMT_UYVY, false, 320, 240, 12},
    {"YVYU odd width", CM_FMT_YVYU, false, 321, 240, 12},
};

TEST(FramePipeline, EveryFormatIsShownUpright)
{
    CCameraController controller;
    for (const FormatCase& c : kFormats) {
        SCOPED_TRACE(c.name);
        const TestFrame frame
            = MakeFrame(QuadrantPicture(c.width, c.height), c.width, c.height, c.format, c.bottomUp);
        Deliver(controller, frame.image);
        ExpectQuadrants(controller, c.width, c.height, c.tolerance);
    }
    EXPECT_EQ(controller.GetPipelineStats().frames, std::size(kFormats));
    EXPECT_EQ(controller.GetPipelineStats().dropped, 0u);
}

// A monochrome camera: the grey levels come out as equal red, green and blue.
TEST(FramePipeline, GreyFramesAreShown)
{
    const int w = 320, h = 240;
    const TestFrame frame = MakeFrame(QuadrantPicture(w, h), w, h, CM_FMT_GREY);
    CCameraController controller;
    Deliver(controller, frame.image);
    std::vector<uint8_t> pixels;
    int pw = 0, ph = 0;
    ASSERT_TRUE(controller.CopyDisplayPicture(&pixels, &pw, &ph));
    ASSERT_EQ(pw, w);
    for (int q = 0; q < 4; ++q) {
        const Rgb got = QuadrantCenter(pixels.data(), w, h, q);
        const Rgb want = kQuadrantColors[q];
        const int luma = (299 * want.r + 587 * want.g + 114 * want.b) / 1000;
        EXPECT_TRUE(Near(got, Rgb{luma, luma, luma}, 3))
            << q << ": " << got.r << "," << got.g << "," << got.b;
    }
    // A frame that does not hold the whole picture is refused.
    TestFrame shortFrame = frame;
    shortFrame.image.dataSize -= 1;
    Deliver(controller, shortFrame.image);
    EXPECT_EQ(controller.GetPipelineStats().dropped, 1u);
}

// Several UVC cameras put stray bytes before the end marker of every frame;
// libjpeg only warns about them and decodes the whole picture.
TEST(FramePipeline, JpegThatOnlyWarnsIsShown)
{
    const int w = 320, h = 240;
    TestFrame frame = MakeFrame(QuadrantPicture(w, h), w, h, CM_FMT_MJPG);
    ASSERT_GE(frame.bytes.size(), 2u);
    ASSERT_EQ(frame.bytes[frame.bytes.size() - 2], 0xFF);
    ASSERT_EQ(frame.bytes[frame.bytes.size() - 1], 0xD9);
    const std::vector<uint8_t> stray(37, 0xA5);
    frame.bytes.insert(frame.bytes.end() - 2, stray.begin(), stray.end());
    frame.image.data = frame.bytes.data();
    frame.image.dataSize = static_cast<int>(frame.bytes.size());

    CCameraController controller;
    Deliver(controller, frame.image);
    ExpectQuadrants(controller, w, h, 10);
    EXPECT_EQ(controller.GetPipelineStats().frames, 1u);
    EXPECT_EQ(controller.GetPipelineStats().dropped, 0u);
}

// Frames that must leave the previous picture alone.
TEST(FramePipeline, DamagedFramesKeepThePreviousPicture)
{
    const int w = 320, h = 240;
    const std::vector<uint8_t> picture = QuadrantPicture(w, h);
    const TestFrame good = MakeFrame(picture, w, h, CM_FMT_RGB24, true);

    std::vector<uint8_t> black(picture.size(), 0);
    struct Case
    {
        const char* name;
        TestFrame frame;
        int event = 0;
    };
    std::vector<Case> cases;
    for (int format : {CM_FMT_RGB24, CM_FMT_RAW24, CM_FMT_YUY2, CM_FMT_NV12, CM_FMT_I420, CM_FMT_YV12,
             CM_FMT_UYVY, CM_FMT_YVYU}) {
        Case c{"short uncompressed frame", MakeFrame(black, w, h, format)};
        c.frame.image.dataSize -= 1;
        cases.push_back(c);
    }
    {
        Case c{"truncated JPEG", MakeFrame(black, w, h, CM_FMT_MJPG)};
        c.frame.image.dataSize /= 2;
        cases.push_back(c);
    }
    {
        Case c{"corrupt JPEG", MakeFrame(black, w, h, CM_FMT_MJPG)};
        for (size_t i = c.frame.bytes.size() / 3; i < c.frame.bytes.size() * 2 / 3; ++i)
            c.frame.bytes[i] = static_cast<uint8_t>(i * 7);
        cases.push_back(c);
    }
    {
        Case c{"JPEG of another size", MakeFrame(QuadrantPicture(w / 2, h / 2), w / 2, h / 2, CM_FMT_MJPG)};
        c.frame.image.width = w;
        c.frame.image.height = h;
        cases.push_back(c);
    }
    {
        Case c{"JPEG without a length", MakeFrame(black, w, h, CM_FMT_MJPG)};
        c.frame.image.dataSize = 0;
        cases.push_back(c);
    }
    cases.push_back(Case{"H264 access unit", MakeFrame(black, w, h, CM_FMT_H264)});
    cases.push_back(Case{"YUYV", MakeFrame(black, w, h, CM_FMT_YUYV)});
    cases.push_back(Case{"event other than 0", MakeFrame(black, w, h, CM_FMT_RGB24), 1});
    {
        Case c{"size that overflows", MakeFrame(black, w, h, CM_FMT_RGB24)};
        c.frame.image.width = 1 << 16;
        c.frame.image.height = 1 << 16;
        c.frame.image.dataSize = 0;
        cases.push_back(c);
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCameraController controller;
        Deliver(controller, good.image);
        Deliver(controller, c.frame.image, c.event);
        ExpectQuadrants(controller, w, h, 0);
        EXPECT_EQ(controller.GetPipelineStats().frames, 1u);
    }
}

// A paused virtual camera behind the controller; frames are delivered by hand.
class PausedCamera : public ::testing::Test
{
protected:
    void SetUp() override
    {
        unsetenv("KELVARA_VIRTUAL_CAMERAS");
        auto description = dshow::testing::SmallTestCamera(2.0);
        description.capturePin = {dshow::FormatRange::Discrete(MEDIASUBTYPE_YUY2, 320, 240)};
        description.stillPin.clear();
        m_device = std::make_unique<ScopedVirtualDevice>(description);
        ASSERT_TRUE(m_controller.OpenCamera(0, 0));
        m_controller.GetCamera()->Pause();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        char pattern[] = "/tmp/kelvara-controller-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        m_controller.CloseCamera();
        m_device.reset();
        RunCommand("rm -rf " + ShellQuote(m_dir));
    }

    std::unique_ptr<ScopedVirtualDevice> m_device;
    CCameraController m_controller;
    std::string m_dir;
};

TEST_F(PausedCamera, MirrorAndFlipActOnEveryFormat)
{
    struct Case
    {
        bool mirror;
        bool flip;
        int order[4];
    };
    const Case orientations[] = {
        {true, false, {1, 0, 3, 2}},
        {false, true, {2, 3, 0, 1}},
        {true, true, {3, 2, 1, 0}},
        {false, false, {0, 1, 2, 3}},
    };
    const int w = 320, h = 240;
    const std::vector<uint8_t> picture = QuadrantPicture(w, h);
    for (const Case& o : orientations) {
        ASSERT_EQ(m_controller.SetCameraProperty(CM_PROP_MIRROR, o.mirror ? 1.0 : 0.0, 0), CM_OK);
        ASSERT_EQ(m_controller.SetCameraProperty(CM_PROP_FLIP, o.flip ? 1.0 : 0.0, 0), CM_OK);
        for (int format : {CM_FMT_RGB24, CM_FMT_YUY2, CM_FMT_MJPG}) {
            SCOPED_TRACE(
                testing::Message() << "format " << format << " mirror " << o.mirror << " flip " << o.flip);
            const TestFrame frame = MakeFrame(picture, w, h, format, format == CM_FMT_RGB24);
            Deliver(m_controller, frame.image);
            ExpectQuadrants(m_controller, w, h, 12, o.order);
        }
    }
}

TEST_F(PausedCamera, UnpluggedCameraIsReportedAndClosingFinishesTheRecording)
{
    m_controller.GetCamera()->Play();
    const std::string path = m_dir + "/unplug.mp4";
    ASSERT_TRUE(m_controller.StartRecording(std::wstring(path.begin(), path.end()).c_str()));
    for (int i = 0; i < 100 && m_controller.GetPipelineStats().recorded < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_GE(m_controller.GetPipelineStats().recorded, 3u);
    EXPECT_FALSE(m_controller.IsCameraLost());

    m_device->Unplug();
    bool lost = false;
    for (int i = 0; i < 100 && !(lost = m_controller.IsCameraLost()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(lost);
    EXPECT_EQ(m_controller.GetCamera()->GetFrameRate(), 0.0f);

    m_controller.CloseCamera();
    EXPECT_FALSE(m_controller.IsCameraLost());
    EXPECT_FALSE(m_controller.IsRecording());
    const nlohmann::json probe = ProbeVideo(path);
    ASSERT_FALSE(probe.is_null());
    EXPECT_EQ(probe["streams"][0]["width"], 320);
}

TEST_F(PausedCamera, OnlyFramesOfTheRecordingSizeAreRecorded)
{
    int w = 0, h = 0;
    ASSERT_EQ(m_controller.GetCamera()->GetPreviewImageSize(&w, &h), CM_OK);
    ASSERT_EQ(w, 320);
    const std::string path = m_dir + "/size.mp4";
    ASSERT_TRUE(m_controller.StartRecording(std::wstring(path.begin(), path.end()).c_str()));
    const TestFrame fitting = MakeFrame(QuadrantPicture(w, h), w, h, CM_FMT_YUY2);
    const TestFrame other = MakeFrame(QuadrantPicture(640, 480), 640, 480, CM_FMT_YUY2);
    for (int i = 0; i < 10; ++i) {
        Deliver(m_controller, (i % 2 ? other : fitting).image);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const PipelineStats stats = m_controller.GetPipelineStats();
    EXPECT_EQ(stats.recorded, 5u);
    EXPECT_EQ(stats.notRecorded, 5u);
    std::string written;
    ASSERT_TRUE(m_controller.StopRecording(&written));
    EXPECT_EQ(written, path);
    EXPECT_FALSE(m_controller.IsRecording());
    const nlohmann::json probe = ProbeVideo(path);
    ASSERT_FALSE(probe.is_null());
    EXPECT_EQ(probe["streams"][0]["width"], 320);
    EXPECT_EQ(probe["streams"][0]["nb_read_frames"], "5");
}

// The first picture of a recorded file as R,G,B,A, as a player shows it
// (ffmpeg honours the levels and matrix the file declares).
std::vector<uint8_t> FirstPictureOf(const std::string& path)
{
    const std::string raw = RunCommand(
        "ffmpeg -v error -i " + ShellQuote(path) + " -frames:v 1 -f rawvideo -pix_fmt rgba - 2>/dev/null");
    return std::vector<uint8_t>(raw.begin(), raw.end());
}

// A camera's JPEG frames (4:2:2 and 4:2:0) are recorded from their own planes:
// every frame fed is in the file, mirror and flip act on the recorded picture
// as on the shown one, and the file's colours are the picture's.
TEST_F(PausedCamera, CameraJpegFramesAreRecordedAsShown)
{
    const int w = 320, h = 240;
    struct Case
    {
        JpegSampling sampling;
        bool mirror;
        bool flip;
        int order[4];
    };
    const Case cases[] = {
        {JpegSampling::k422, true, false, {1, 0, 3, 2}},
        {JpegSampling::k420, false, true, {2, 3, 0, 1}},
        {JpegSampling::k422, false, false, {0, 1, 2, 3}},
    };
    const TestFrame frames[] = {
        MakeJpegFrame(QuadrantPicture(w, h), w, h, JpegSampling::k444),
        MakeJpegFrame(QuadrantPicture(w, h), w, h, JpegSampling::k422),
        MakeJpegFrame(QuadrantPicture(w, h), w, h, JpegSampling::k420),
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
            << "sampling " << static_cast<int>(c.sampling) << " mirror " << c.mirror << " flip " << c.flip);
        ASSERT_EQ(m_controller.SetCameraProperty(CM_PROP_MIRROR, c.mirror ? 1.0 : 0.0, 0), CM_OK);
        ASSERT_EQ(m_controller.SetCameraProperty(CM_PROP_FLIP, c.flip ? 1.0 : 0.0, 0), CM_OK);
        const std::string path = m_dir + "/jpeg" + std::to_string(n++) + ".mp4";
        m_controller.ResetPipelineStats();
        ASSERT_TRUE(m_controller.StartRecording(std::wstring(path.begin(), path.end()).c_str()));
        const int fed = 7;
        for (int i = 0; i < fed; ++i) {
            Deliver(m_controller, frames[static_cast<int>(c.sampling)].image);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ExpectQuadrants(m_controller, w, h, 12, c.order);
        ASSERT_TRUE(m_controller.StopRecording());
        const PipelineStats stats = m_controller.GetPipelineStats();
        EXPECT_EQ(stats.recorded, static_cast<uint64_t>(fed));
        EXPECT_EQ(stats.encoded, static_cast<uint64_t>(fed));
        EXPECT_GT(stats.displayUs, 0);

        const nlohmann::json probe = ProbeVideo(path);
        ASSERT_FALSE(probe.is_null());
        EXPECT_EQ(probe["streams"][0]["nb_read_frames"], std::to_string(fed));
        EXPECT_EQ(probe["streams"][0]["color_range"], "pc");
        EXPECT_EQ(probe["streams"][0]["color_space"], "smpte170m");
        const std::vector<uint8_t> picture = FirstPictureOf(path);
        ASSERT_EQ(picture.size(), static_cast<size_t>(w) * h * 4);
        for (int q = 0; q < 4; ++q) {
            const Rgb got = QuadrantCenter(picture.data(), w, h, q);
            const Rgb want = kQuadrantColors[c.order[q]];
            EXPECT_TRUE(Near(got, want, 16))
                << "quadrant " << q << ": " << got.r << "," << got.g << "," << got.b;
        }
    }
    // Frames of the other paths (a 4:4:4 JPEG, YUY2) keep the file's levels.
    ASSERT_EQ(m_controller.SetCameraProperty(CM_PROP_MIRROR, 0.0, 0), CM_OK);
    ASSERT_EQ(m_controller.SetCameraProperty(CM_PROP_FLIP, 0.0, 0), CM_OK);
    const std::string path = m_dir + "/other.mp4";
    ASSERT_TRUE(m_controller.StartRecording(std::wstring(path.begin(), path.end()).c_str()));
    Deliver(m_controller, frames[0].image);
    Deliver(m_controller, MakeFrame(QuadrantPicture(w, h), w, h, CM_FMT_YUY2).image);
    ASSERT_TRUE(m_controller.StopRecording());
    const std::vector<uint8_t> picture = FirstPictureOf(path);
    ASSERT_EQ(picture.size(), static_cast<size_t>(w) * h * 4);
    for (int q = 0; q < 4; ++q)
        EXPECT_TRUE(Near(QuadrantCenter(picture.data(), w, h, q), kQuadrantColors[q], 16))
            << "quadrant " << q;
}

// A camera that changes its JPEG size mid-recording: only frames of the
// recording's size go into the file, and the recording reports itself broken.
TEST_F(PausedCamera, JpegOfAnotherSizeMidRecordingIsNotRecorded)
{
    const std::string path = m_dir + "/resize.mp4";
    ASSERT_TRUE(m_controller.StartRecording(std::wstring(path.begin(), path.end()).c_str()));
    const TestFrame fitting = MakeJpegFrame(QuadrantPicture(320, 240), 320, 240, JpegSampling::k422);
    const TestFrame larger = MakeJpegFrame(QuadrantPicture(640, 480), 640, 480, JpegSampling::k422);
    for (int i = 0; i < 3; ++i)
        Deliver(m_controller, fitting.image);
    EXPECT_FALSE(m_controller.IsRecordingBroken());
    Deliver(m_controller, larger.image);
    EXPECT_TRUE(m_controller.IsRecordingBroken());
    ExpectQuadrants(m_controller, 640, 480, 12);  // still shown
    Deliver(m_controller, fitting.image);
    const PipelineStats stats = m_controller.GetPipelineStats();
    EXPECT_EQ(stats.recorded, 4u);
    EXPECT_EQ(stats.notRecorded, 1u);
    ASSERT_TRUE(m_controller.StopRecording());
    const nlohmann::json probe = ProbeVideo(path);
    ASSERT_FALSE(probe.is_null());
    EXPECT_EQ(probe["streams"][0]["nb_read_frames"], "4");
}

}  // namespace
