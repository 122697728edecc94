// The V4L2 provider against recorded driver answers.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/directshow/MediaType.h"
#include "platform/directshow/V4L2CaptureDevice.h"
#include "platform/directshow/V4L2Mapping.h"
#include "platform/directshow/V4L2Provider.h"
#include "tests/support/directshow/FakeV4L2Io.h"

namespace kelvara::dshow {
namespace {

using testing::FakeV4L2Io;

class V4L2ProviderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (auto& d : testing::RecordedUsbWebcam())
            io->AddDevice(d);
        io->AddDevice(testing::RecordedStepwiseCamera("/dev/video2"));
    }

    std::shared_ptr<V4L2CaptureDevice> OpenNode(const std::string& node)
    {
        HRESULT hr = E_FAIL;
        auto device = V4L2CaptureDevice::Open(io, node, &hr);
        EXPECT_EQ(hr, S_OK);
        return device;
    }

    bool Logged(const std::string& line)
    {
        auto log = io->Log();
        return std::find(log.begin(), log.end(), line) != log.end();
    }

    std::shared_ptr<FakeV4L2Io> io = std::make_shared<FakeV4L2Io>();
};

struct FrameCollector
{
    FrameSink Sink()
    {
        return [this](const BYTE* data, size_t length, REFERENCE_TIME) {
            std::lock_guard<std::mutex> lock(mutex);
            last.assign(data, data + length);
            ++count;
        };
    }
    bool WaitFor(int frames)
    {
        for (int i = 0; i < 400 && count.load() < frames; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return count.load() >= frames;
    }
    std::mutex mutex;
    std::vector<BYTE> last;
    std::atomic<int> count{0};
};

TEST_F(V4L2ProviderTest, ListsCaptureNodesWithFriendlyNamesAndUsbIds)
{
    V4L2Provider provider(io);
    std::vector<DeviceEntry> devices = provider.Enumerate();
    ASSERT_EQ(devices.size(), 2u);  // the metadata node is left out
    EXPECT_EQ(devices[0].friendlyName, L"UVC Camera (046d:0825)");
    EXPECT_EQ(devices[0].devicePath, L"/dev/video0#vid_046d&pid_0825");
    EXPECT_EQ(devices[1].friendlyName, L"Platform Cam \u00B5Scope");
    EXPECT_EQ(devices[1].devicePath, L"/dev/video2");
    EXPECT_EQ(io->OpenDescriptors(), 0);
}

TEST(V4L2ProviderAccess, NodesTheUserMayNotOpenAreListedAsDenied)
{
    auto io = std::make_shared<FakeV4L2Io>();
    std::vector<testing::RecordedDevice> webcam = testing::RecordedUsbWebcam();
    for (testing::RecordedDevice& d : webcam) {
        d.accessDenied = true;
        const std::string base = d.node.substr(d.node.find_last_of('/') + 1);
        d.sysfs["/sys/class/video4linux/" + base + "/name"] = "UVC Camera (046d:0825)\n";
        d.sysfs["/sys/class/video4linux/" + base + "/index"] = d.node == "/dev/video0" ? "0\n" : "1\n";
        d.sysfs["/sys/class/video4linux/" + base + "/device/../idVendor"] = "046d\n";
        d.sysfs["/sys/class/video4linux/" + base + "/device/../idProduct"] = "0825\n";
        io->AddDevice(d);
    }
    io->AddDevice(testing::RecordedStepwiseCamera("/dev/video2"));
    std::vector<DeviceEntry> devices = V4L2Provider(io).Enumerate();
    ASSERT_EQ(devices.size(), 2u);  // the metadata node (index 1) is still left out
    EXPECT_EQ(devices[0].friendlyName, L"UVC Camera (046d:0825)");
    EXPECT_EQ(devices[0].devicePath, L"/dev/video0#vid_046d&pid_0825");
    EXPECT_TRUE(devices[0].accessDenied);
    HRESULT hr = S_OK;
    EXPECT_EQ(devices[0].open(&hr), nullptr);
    EXPECT_EQ(hr, E_ACCESSDENIED);
    EXPECT_FALSE(devices[1].accessDenied);
    EXPECT_EQ(io->OpenDescriptors(), 0);
}

TEST(V4L2Mapping, DevicePathsCarryOnlyWellFormedIds)
{
    struct Case
    {
        const char* vendor;
        const char* product;
        const wchar_t* path;
    };
    const Case cases[] = {
        {"eba1\n", "7586\n", L"/dev/video3#vid_eba1&pid_7586"},
        {"4F2", "a14b", L"/dev/video3#vid_04f2&pid_a14b"},
        {"", "7586", L"/dev/video3"},
        {"xyz1", "7586", L"/dev/video3"},
        {"12345", "7586", L"/dev/video3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeDevicePath("/dev/video3", c.vendor, c.product), c.path) << c.vendor;
}

TEST_F(V4L2ProviderTest, FormatsComeFromTheDriversSizeAndIntervalLists)
{
    auto webcam = OpenNode("/dev/video0");
    ASSERT_TRUE(webcam);
    std::vector<FormatRange> formats = webcam->Formats(PinKind::Capture);
    ASSERT_EQ(formats.size(), 8u);
    EXPECT_EQ(formats[0].subtype, MEDIASUBTYPE_YUY2);
    EXPECT_EQ(formats[0].maxWidth, 640);
    EXPECT_EQ(formats[0].minInterval, 333333);
    EXPECT_EQ(formats[0].maxInterval, 666667);
    EXPECT_EQ(formats[7].subtype, MEDIASUBTYPE_MJPG);
    EXPECT_EQ(formats[7].maxWidth, 1280);
    EXPECT_FALSE(webcam->HasPin(PinKind::Still));
    EXPECT_EQ(webcam->TriggerStill(), E_FAIL);
    const VideoFormat current = webcam->CurrentFormat(PinKind::Capture);
    EXPECT_EQ(current.subtype, MEDIASUBTYPE_YUY2);
    EXPECT_EQ(current.width, 640);
    EXPECT_EQ(current.frameInterval, 333333);

    auto stepwise = OpenNode("/dev/video2");
    ASSERT_TRUE(stepwise);
    formats = stepwise->Formats(PinKind::Capture);
    ASSERT_EQ(formats.size(), 2u);  // the raw Bayer format is not handed on; NV12 is
    const FormatRange& r = formats[0];
    EXPECT_EQ(r.subtype, MEDIASUBTYPE_RGB24);
    EXPECT_EQ(std::make_tuple(r.minWidth, r.minHeight, r.maxWidth, r.maxHeight, r.stepWidth, r.stepHeight),
        std::make_tuple(64, 48, 1920, 1080, 16, 8));
    EXPECT_EQ(r.minInterval, 166667);
    EXPECT_EQ(r.maxInterval, 10000000);
}

TEST_F(V4L2ProviderTest, SetFormatAsksTheDriverForExactlyTheOfferedFormat)
{
    auto webcam = OpenNode("/dev/video0");
    ASSERT_TRUE(webcam);
    EXPECT_EQ(webcam->SetFormat(PinKind::Capture, {MEDIASUBTYPE_MJPG, 1280, 720, 0}), S_OK);
    EXPECT_TRUE(Logged("S_FMT MJPG 1280x720"));
    EXPECT_EQ(webcam->CurrentFormat(PinKind::Capture).subtype, MEDIASUBTYPE_MJPG);
    EXPECT_EQ(webcam->SetFormat(PinKind::Capture, {MEDIASUBTYPE_YUY2, 320, 240, 666667}), S_OK);
    EXPECT_TRUE(Logged("S_FMT YUYV 320x240"));
    EXPECT_TRUE(Logged("S_PARM 666667/10000000"));

    EXPECT_EQ(webcam->CurrentFormat(PinKind::Capture).frameInterval, 666667);
    // Without an interval the driver's default for the new format stands.
    EXPECT_EQ(webcam->SetFormat(PinKind::Capture, {MEDIASUBTYPE_MJPG, 320, 240, 0}), S_OK);
    EXPECT_EQ(webcam->CurrentFormat(PinKind::Capture).frameInterval, 333333);

    const size_t before = io->Log().size();
    EXPECT_EQ(webcam->SetFormat(PinKind::Capture, {MEDIASUBTYPE_YUY2, 800, 600, 0}), VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(webcam->SetFormat(PinKind::Capture, {MEDIASUBTYPE_RGB24, 640, 480, 0}), VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(io->Log().size(), before);  // refused without bothering the driver
    EXPECT_EQ(webcam->CurrentFormat(PinKind::Capture).width, 320);
}

TEST_F(V4L2ProviderTest, StreamsYuyvAsIsBgrBottomUpAndCompressedAtTheirTrueLength)
{
    struct Case
    {
        const char* node;
        VideoFormat format;
        size_t bytes;
        BYTE firstByte;  // rows carry their top-down row number
    };
    const Case cases[] = {
        {"/dev/video0", {MEDIASUBTYPE_YUY2, 160, 120, 0}, 160 * 120 * 2, 0},
        {"/dev/video2", {MEDIASUBTYPE_RGB24, 64, 48, 0}, 64 * 3 * 48, 47},
        {"/dev/video2", {MEDIASUBTYPE_RGB24, 80, 48, 0}, 240 * 48, 47},
        {"/dev/video0", {MEDIASUBTYPE_MJPG, 320, 240, 0}, 4096, 0xFF},
        // Padded rows (bytesperline 128) become tightly packed planes.
        {"/dev/video2", {MEDIASUBTYPE_NV12, 80, 48, 0}, 80 * 48 * 3 / 2, 0},
    };
    for (const Case& c : cases) {
        auto device = OpenNode(c.node);
        ASSERT_TRUE(device);
        ASSERT_EQ(device->SetFormat(PinKind::Capture, c.format), S_OK);
        FrameCollector frames;
        ASSERT_EQ(device->Start(PinKind::Capture, frames.Sink()), S_OK);
        EXPECT_EQ(device->SetFormat(PinKind::Capture, c.format), VFW_E_NOT_STOPPED);
        ASSERT_TRUE(frames.WaitFor(3));
        device->Stop(PinKind::Capture);
        std::lock_guard<std::mutex> lock(frames.mutex);
        ASSERT_EQ(frames.last.size(), c.bytes) << c.format.width;
        EXPECT_EQ(frames.last[0], c.firstByte);
        if (c.format.subtype == MEDIASUBTYPE_NV12) {
            EXPECT_EQ(frames.last[80 * 47], 47);  // last luminance row, right after the one above
        }
        EXPECT_GT(device->ActualFrameInterval(), 0);
    }
    EXPECT_TRUE(Logged("STREAMOFF"));
    EXPECT_EQ(io->OpenDescriptors(), 0);
}

TEST_F(V4L2ProviderTest, EmptyBuffersAreNotHandedOn)
{
    const std::pair<const char*, VideoFormat> cases[] = {
        {"/dev/video0", {MEDIASUBTYPE_YUY2, 160, 120, 0}},
        {"/dev/video2", {MEDIASUBTYPE_RGB24, 64, 48, 0}},
        {"/dev/video0", {MEDIASUBTYPE_MJPG, 320, 240, 0}},
    };
    for (const auto& [node, format] : cases) {
        SCOPED_TRACE(node);
        auto fake = std::make_shared<FakeV4L2Io>();
        for (auto d : testing::RecordedUsbWebcam()) {
            d.emptyBufferEvery = 2;
            fake->AddDevice(d);
        }
        auto stepwise = testing::RecordedStepwiseCamera("/dev/video2");
        stepwise.emptyBufferEvery = 2;
        fake->AddDevice(stepwise);
        HRESULT hr = E_FAIL;
        auto device = V4L2CaptureDevice::Open(fake, node, &hr);
        ASSERT_TRUE(device);
        ASSERT_EQ(device->SetFormat(PinKind::Capture, format), S_OK);
        std::atomic<int> count{0};
        std::atomic<int> empty{0};
        ASSERT_EQ(device->Start(PinKind::Capture,
                      [&](const BYTE*, size_t length, REFERENCE_TIME) {
                          ++count;
                          if (length == 0)
                              ++empty;
                      }),
            S_OK);
        for (int i = 0; i < 400 && count.load() < 3; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        device->Stop(PinKind::Capture);
        EXPECT_GE(count.load(), 3);
        EXPECT_EQ(empty.load(), 0);
    }
}

TEST_F(V4L2ProviderTest, ControlsMapOntoV4L2ControlsWithTheirAutoModes)
{
    auto webcam = OpenNode("/dev/video0");
    ASSERT_TRUE(webcam);
    ControlRange range;
    ASSERT_EQ(webcam->GetControlRange(ControlSet::VideoProcAmp, VideoProcAmp_Brightness, &range), S_OK);
    EXPECT_EQ(std::make_tuple(range.minimum, range.maximum, range.step, range.defaultValue, range.capsFlags),
        std::make_tuple(0L, 255L, 1L, 128L, 2L));
    ASSERT_EQ(webcam->GetControlRange(ControlSet::VideoProcAmp, VideoProcAmp_WhiteBalance, &range), S_OK);
    EXPECT_EQ(std::make_tuple(range.minimum, range.maximum, range.step, range.capsFlags),
        std::make_tuple(2800L, 10000L, 10L, 3L));
    long value = 0;
    long flags = 0;
    ASSERT_EQ(webcam->GetControl(ControlSet::VideoProcAmp, VideoProcAmp_WhiteBalance, &value, &flags), S_OK);
    EXPECT_EQ(value, 4000);
    EXPECT_EQ(flags, 1);

    // A manual value first switches the automatic mode off (the driver
    // refuses it otherwise); auto goes back on through the auto control.
    EXPECT_EQ(webcam->SetControl(ControlSet::VideoProcAmp, VideoProcAmp_WhiteBalance, 5000, 2), S_OK);
    EXPECT_EQ(io->ControlValue("/dev/video0", V4L2_CID_AUTO_WHITE_BALANCE), 0);
    EXPECT_EQ(io->ControlValue("/dev/video0", V4L2_CID_WHITE_BALANCE_TEMPERATURE), 5000);
    EXPECT_EQ(webcam->SetControl(ControlSet::CameraControl, CameraControl_Exposure, 300, 2), S_OK);
    EXPECT_EQ(io->ControlValue("/dev/video0", V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_MANUAL);
    EXPECT_EQ(io->ControlValue("/dev/video0", V4L2_CID_EXPOSURE_ABSOLUTE), 300);
    EXPECT_EQ(webcam->SetControl(ControlSet::CameraControl, CameraControl_Exposure, 0, 1), S_OK);
    EXPECT_EQ(io->ControlValue("/dev/video0", V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_APERTURE_PRIORITY);
    ASSERT_EQ(webcam->GetControl(ControlSet::CameraControl, CameraControl_Exposure, &value, &flags), S_OK);
    EXPECT_EQ(flags, 1);

    struct Refusal
    {
        ControlSet set;
        long property;
        long value;
        long flags;
        HRESULT expected;
    };
    const Refusal refusals[] = {
        {ControlSet::VideoProcAmp, VideoProcAmp_Brightness, 256, 2, E_INVALIDARG},
        {ControlSet::VideoProcAmp, VideoProcAmp_Brightness, 10, 1, E_INVALIDARG},  // no auto mode
        {ControlSet::VideoProcAmp, VideoProcAmp_Hue, 0, 2, E_PROP_ID_UNSUPPORTED},  // not on this camera
        {ControlSet::CameraControl, CameraControl_Roll, 0, 2, E_PROP_ID_UNSUPPORTED},  // no V4L2 control
    };
    for (const Refusal& r : refusals)
        EXPECT_EQ(webcam->SetControl(r.set, r.property, r.value, r.flags), r.expected) << r.property;
}

TEST_F(V4L2ProviderTest, PropertySheetListsEveryControlWithMenuChoices)
{
    auto webcam = OpenNode("/dev/video0");
    ASSERT_TRUE(webcam);
    std::vector<PropertySheetControl> controls = webcam->SheetControls();
    ASSERT_EQ(controls.size(), 11u);
    auto exposure = std::find_if(controls.begin(), controls.end(),
        [](const PropertySheetControl& c) { return c.name == L"Auto Exposure"; });
    ASSERT_NE(exposure, controls.end());
    ASSERT_EQ(exposure->choices.size(), 2u);
    EXPECT_EQ(exposure->choices[1].value, 3);
    EXPECT_EQ(exposure->choices[1].label, L"Aperture Priority Mode");
    auto brightness = std::find_if(controls.begin(), controls.end(),
        [](const PropertySheetControl& c) { return c.name == L"Brightness"; });
    ASSERT_NE(brightness, controls.end());
    EXPECT_TRUE(brightness->apply(77, false));
    EXPECT_EQ(io->ControlValue("/dev/video0", V4L2_CID_BRIGHTNESS), 77);
}

TEST_F(V4L2ProviderTest, UnpluggingEndsTheStreamAndLaterCallsFailCleanly)
{
    auto webcam = OpenNode("/dev/video0");
    ASSERT_TRUE(webcam);
    FrameCollector frames;
    ASSERT_EQ(webcam->Start(PinKind::Capture, frames.Sink()), S_OK);
    ASSERT_TRUE(frames.WaitFor(2));
    io->Unplug("/dev/video0");
    for (int i = 0; i < 200 && webcam->IsConnected(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(webcam->IsConnected());
    const int delivered = frames.count.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(frames.count.load(), delivered);
    webcam->Stop(PinKind::Capture);
    EXPECT_EQ(webcam->SetFormat(PinKind::Capture, {MEDIASUBTYPE_YUY2, 320, 240, 0}), E_DEVICE_NOT_CONNECTED);
    long value = 0;
    long flags = 0;
    EXPECT_EQ(webcam->GetControl(ControlSet::VideoProcAmp, VideoProcAmp_Brightness, &value, &flags),
        E_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(V4L2Provider(io).Enumerate().size(), 1u);
    webcam.reset();
    EXPECT_EQ(io->OpenDescriptors(), 0);
}

}  // namespace
}  // namespace kelvara::dshow
