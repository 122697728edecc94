// Virtual device descriptions and the frames virtual cameras generate.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <libyuv.h>
#include <turbojpeg.h>

#include "platform/directshow/MediaType.h"
#include "platform/directshow/VirtualDeviceRegistry.h"
#include "platform/directshow/VirtualFrameGenerator.h"

namespace kelvara::dshow {
namespace {

// Luma of one row of a generated frame, whatever its format.
std::vector<uint8_t> LumaRow(
    const GUID& subtype, const std::vector<uint8_t>& frame, int width, int height, int row)
{
    std::vector<uint8_t> argb(static_cast<size_t>(width) * height * 4);
    if (subtype == MEDIASUBTYPE_MJPG) {
        tjhandle tj = tjInitDecompress();
        int w = 0, h = 0, sub = 0, cs = 0;
        EXPECT_EQ(tjDecompressHeader3(tj, frame.data(), frame.size(), &w, &h, &sub, &cs), 0);
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        tjDecompress2(tj, frame.data(), frame.size(), argb.data(), width, width * 4, height, TJPF_BGRA, 0);
        tjDestroy(tj);
    } else if (subtype == MEDIASUBTYPE_YUY2) {
        libyuv::YUY2ToARGB(frame.data(), width * 2, argb.data(), width * 4, width, height);
    } else {
        const int stride = static_cast<int>(frame.size()) / height;
        libyuv::RGB24ToARGB(frame.data(), stride, argb.data(), width * 4, width, -height);  // bottom-up
    }
    std::vector<uint8_t> luma(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        const uint8_t* p = &argb[(static_cast<size_t>(row) * width + x) * 4];
        luma[x] = static_cast<uint8_t>((p[0] * 29 + p[1] * 150 + p[2] * 77) >> 8);
    }
    return luma;
}

TEST(VirtualFrames, EveryFormatShowsTheMicrometerAtItsPitchAndFramesDrift)
{
    struct Case
    {
        GUID subtype;
        int width;
        int height;
        double pitch;
    };
    const Case cases[] = {
        {MEDIASUBTYPE_YUY2, 640, 480, 10.0},
        {MEDIASUBTYPE_RGB24, 642, 360, 12.5},  // rows padded to 4 bytes
        {MEDIASUBTYPE_MJPG, 1280, 720, 16.0},
    };
    for (const Case& c : cases) {
        VirtualFrameGenerator generator(c.pitch);
        generator.Configure(c.subtype, c.width, c.height);
        const MicroscopeScene& scene = generator.Scene();
        const std::vector<uint8_t> first = generator.Frame(0);
        ASSERT_FALSE(first.empty());
        if (c.subtype != MEDIASUBTYPE_MJPG) {
            EXPECT_EQ(first.size(), FrameBytes(c.subtype, c.width, c.height));
        }

        // A row crossing the short ticks: dark runs start one pitch apart.
        int dx = 0, dy = 0;
        MicroscopeScene::DriftOffset(0, &dx, &dy);
        const int row = scene.BaselineY() - scene.ShortTickLength() / 2 - dy;
        const std::vector<uint8_t> luma = LumaRow(c.subtype, first, c.width, c.height, row);
        std::vector<int> starts;
        for (int x = 1; x < c.width; ++x)
            if (luma[x] < 90 && luma[x - 1] >= 90)
                starts.push_back(x);
        ASSERT_GE(starts.size(), 20u) << SubtypeName(c.subtype);
        const double measured = static_cast<double>(starts.back() - starts.front()) / (starts.size() - 1);
        EXPECT_NEAR(measured, c.pitch, 0.15) << SubtypeName(c.subtype);
        EXPECT_EQ(static_cast<int>(starts.size()), scene.TickCount());

        for (uint64_t n = 1; n <= MicroscopeScene::kDriftPeriod; ++n) {
            const std::vector<uint8_t> previous = generator.Frame(n - 1);
            EXPECT_NE(generator.Frame(n), previous) << "frame " << n;
        }
    }
}

TEST(VirtualDeviceDescription, ReadsDevicesFromJson)
{
    const char* text = R"({ "devices": [ {
        "name": "Bench \u00b5Scope", "path": "virtual#vid_eba1&pid_7585#1", "frame_rate": 15,
        "pins": { "capture": [ { "format": "MJPG", "sizes": [[640, 480], [1280, 720]] },
                               { "format": "YUY2", "min": [160, 120], "max": [1920, 1080], "step": [8, 4] } ],
                  "still": [ { "format": "YUY2", "sizes": [[2592, 1944]] } ] },
        "controls": { "exposure": { "min": 1, "max": 5000, "default": 156, "auto": true } },
        "register_port": { "74": 25 },
        "micrometer_pitch_px": 12.5,
        "faults": { "refuse_formats": ["YUY2"], "refuse_sizes": [[1280, 720]], "still_never_fires": true,
                    "unplug_after_frames": 300, "short_frame_every": 7 } } ] })";
    std::vector<VirtualDeviceDescription> devices;
    std::string error;
    ASSERT_TRUE(ParseVirtualDevices(text, &devices, &error)) << error;
    ASSERT_EQ(devices.size(), 1u);
    const VirtualDeviceDescription& d = devices[0];
    EXPECT_EQ(d.name, L"Bench \u00b5Scope");
    EXPECT_EQ(d.frameRate, 15.0);
    ASSERT_EQ(d.capturePin.size(), 3u);
    EXPECT_TRUE(d.capturePin[2].Contains(168, 124));
    EXPECT_FALSE(d.capturePin[2].Contains(170, 124));
    EXPECT_EQ(d.capturePin[0].minInterval, 666667);
    ASSERT_EQ(d.stillPin.size(), 1u);
    EXPECT_TRUE(d.previewPin.empty());
    ASSERT_EQ(d.controls.size(), 1u);
    EXPECT_EQ(d.controls[0].property, CameraControl_Exposure);
    EXPECT_TRUE(d.controls[0].autoByDefault);
    EXPECT_TRUE(d.hasRegisterPort);
    EXPECT_EQ(d.registers.at(74), 25);
    EXPECT_EQ(d.faults.refusedSubtypes, std::vector<GUID>{MEDIASUBTYPE_YUY2});
    EXPECT_TRUE(d.faults.stillNeverFires);
    EXPECT_EQ(d.faults.unplugAfterFrames, 300);
    EXPECT_EQ(d.faults.shortFrameEvery, 7);
}

TEST(VirtualDeviceDescription, RejectsMalformedDescriptionsWithAReason)
{
    const char* const bad[] = {
        "not json",
        R"({"name": "no pins"})",
        R"({"pins": {"capture": [{"format": "P010", "sizes": [[640, 480]]}]}})",
        R"({"pins": {"capture": [{"format": "MJPG", "sizes": [[0, 480]]}]}})",
        R"({"pins": {"capture": [{"format": "MJPG", "min": [640, 480], "max": [320, 240]}]}})",
        R"({"pins": {"side": [{"format": "MJPG", "sizes": [[640, 480]]}]}})",
        R"({"pins": {"capture": [{"format": "MJPG", "sizes": [[64, 48]]}]}, "controls": {"volume": {}}})",
        R"({"pins": {"capture": [{"format": "MJPG", "sizes": [[64, 48]]}]},
            "controls": {"gain": {"min": 10, "max": 0}}})",
        R"({"pins": {"capture": [{"format": "MJPG", "sizes": [[64, 48]]}]}, "frame_rate": 0})",
        R"({"pins": {"capture": [{"format": "MJPG", "sizes": [[64, 48]]}]}, "register_port": {"300": 1}})",
    };
    for (const char* text : bad) {
        std::vector<VirtualDeviceDescription> devices;
        std::string error;
        EXPECT_FALSE(ParseVirtualDevices(text, &devices, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_TRUE(devices.empty());
    }
}

TEST(VirtualDeviceRegistry, EnvironmentVariableAddsTheDemoOrTheDescribedCameras)
{
    const std::string path = ::testing::TempDir() + "virtual_cameras.json";
    {
        std::ofstream out(path);
        out << R"([{"name": "A", "pins": {"capture": [{"format": "YUY2", "sizes": [[64, 48]]}]}},
                   {"name": "B", "pins": {"preview": [{"format": "RGB24", "sizes": [[64, 48]]}]}}])";
    }
    const int own = VirtualDeviceRegistry::Add(DemoVirtualCamera());
    setenv("KELVARA_VIRTUAL_CAMERAS", "demo", 1);
    std::vector<DeviceEntry> devices = VirtualDeviceRegistry::Enumerate();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].devicePath, L"virtual#vid_1d6b&pid_0102#demo");
    HRESULT hr = E_FAIL;
    std::shared_ptr<CaptureDevice> demo = devices[0].open(&hr);
    ASSERT_TRUE(demo);
    EXPECT_EQ(demo->CurrentFormat(PinKind::Capture).width, 1920);
    EXPECT_TRUE(demo->HasPin(PinKind::Still));

    setenv("KELVARA_VIRTUAL_CAMERAS", path.c_str(), 1);
    devices = VirtualDeviceRegistry::Enumerate();
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].friendlyName, L"A");
    EXPECT_EQ(devices[1].friendlyName, L"B");
    EXPECT_EQ(devices[2].friendlyName, L"Kelvara Virtual Microscope");

    setenv("KELVARA_VIRTUAL_CAMERAS", (path + ".missing").c_str(), 1);
    EXPECT_EQ(VirtualDeviceRegistry::Enumerate().size(), 1u);
    unsetenv("KELVARA_VIRTUAL_CAMERAS");
    VirtualDeviceRegistry::Remove(own);
    EXPECT_TRUE(VirtualDeviceRegistry::Enumerate().empty());
    std::remove(path.c_str());
}

}  // namespace
}  // namespace kelvara::dshow
