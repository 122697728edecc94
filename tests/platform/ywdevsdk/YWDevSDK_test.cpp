#include "platform/ywdevsdk/YWDevSDK.h"
#include "tests/support/directshow/MicrometerTicks.h"
#include "tests/support/ywdevsdk/ScopedSimulatedDevices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <unistd.h>

using namespace kelvara::ywdevsdk;
using namespace kelvara::ywdevsdk::testing;

namespace {

int CollectName(const YWDeviceRecord* record, void* context)
{
    // The name pointer lies at offset 8 of the record.
    const wchar_t* name = *reinterpret_cast<const wchar_t* const*>(reinterpret_cast<const char*>(record) + 8);
    static_cast<std::vector<std::wstring>*>(context)->push_back(name);
    return 0;
}

// An open device, released at the end of the test.
struct OpenedDevice
{
    int factory = CreateDeviceFactoryHandle(0, 0);
    int device = 0;
    int result = OpenDevice(factory, 0, &device, 0);
    ~OpenedDevice()
    {
        DeviceRelease(device);
        DeviceFactoryRelease(factory);
    }
};

// Runs every delivered frame through the image processor and keeps the last.
struct FrameSink
{
    std::mutex mutex;
    int frames = 0;
    int width = 0;
    int height = 0;
    uint32_t sequence = 0;
    std::vector<uint8_t> picture;  // last DeviceISP result
    std::atomic<bool> inCallback{false};

    static int Deliver(int device, int slot, const YWFrameRecord* frame, void* context)
    {
        auto* self = static_cast<FrameSink*>(context);
        self->inCallback = true;
        const uint8_t* bgr = DeviceISP(device, slot, frame);
        std::lock_guard<std::mutex> lock(self->mutex);
        ++self->frames;
        self->width = frame->width;
        self->height = frame->height;
        self->sequence = frame->sequence;
        if (bgr)
            self->picture.assign(bgr, bgr + static_cast<size_t>(frame->width) * frame->height * 3);
        self->inCallback = false;
        return 0;
    }
    int Frames()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return frames;
    }
};

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

}  // namespace

TEST(YWDevSDK, EnumeratesOnlyTheConfiguredDevices)
{
    {
        ScopedSimulatedDevices none(0);
        const int factory = CreateDeviceFactoryHandle(0, 0);
        ASSERT_NE(factory, 0);
        std::vector<std::wstring> names;
        EXPECT_EQ(EnumDevice(factory, CollectName, &names), 0);
        EXPECT_TRUE(names.empty());
        int device = 0;
        EXPECT_LT(OpenDevice(factory, 0, &device, 0), 0);
        EXPECT_EQ(DeviceFactoryRelease(factory), 0);
        EXPECT_LT(EnumDevice(factory, CollectName, &names), 0) << "released handle";
    }
    ScopedSimulatedDevices two(2);
    const int factory = CreateDeviceFactoryHandle(0, 0);
    std::vector<std::wstring> names;
    EXPECT_EQ(EnumDevice(factory, CollectName, &names), 2);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Sim Camera 0", L"Sim Camera 1"}));
    DeviceFactoryRelease(factory);
}

TEST(YWDevSDK, ADeviceHasOneOwnerAtATime)
{
    ScopedSimulatedDevices devices(1);
    OpenedDevice first;
    ASSERT_EQ(first.result, 0);
    EXPECT_NE(first.device, 0);
    int second = 0;
    EXPECT_EQ(OpenDevice(first.factory, 0, &second, 0), YW_ERR_BUSY);
    EXPECT_EQ(OpenDevice(first.factory, 1, &second, 0), YW_ERR_NO_DEVICE);
    EXPECT_EQ(DeviceRelease(first.device), 0);
    EXPECT_EQ(OpenDevice(first.factory, 0, &second, 0), 0) << "free again after release";
    EXPECT_NE(second, first.device) << "handles are not reused";
    EXPECT_EQ(DeviceRelease(second), 0);
    EXPECT_LT(DeviceRelease(second), 0);
}

TEST(YWDevSDK, StreamsFramesOfTheSelectedResolutionUntilStopped)
{
    ScopedSimulatedDevices devices(1);
    FrameSink sink;  // outlives the device
    OpenedDevice d;
    ASSERT_EQ(DeviceInitEx(d.device, FrameSink::Deliver, &sink, 0, 1), 0);
    YWResolution resolution = {};
    resolution.index = 1;
    ASSERT_EQ(SetResolution(d.device, resolution), 0);
    ASSERT_EQ(Start(d.device), 0);
    ASSERT_TRUE(WaitUntil([&] { return sink.Frames() >= 3; }, 3000));
    ASSERT_EQ(Stop(d.device), 0);
    EXPECT_FALSE(sink.inCallback) << "Stop returns after the frame function";
    const int frames = sink.Frames();
    {
        std::lock_guard<std::mutex> lock(sink.mutex);
        EXPECT_EQ(sink.width, 400);
        EXPECT_EQ(sink.height, 300);
        EXPECT_EQ(sink.picture.size(), 400u * 300u * 3u);
    }
    kelvara::SleepMs(100);
    EXPECT_EQ(sink.Frames(), frames) << "no frames after Stop";

    YWFrameRecord bad = {};
    bad.rawFormat = YW_RAW_RGB24;
    bad.width = 64;
    bad.height = 64;
    uint8_t tooShort[16] = {};
    bad.data = tooShort;
    bad.dataSize = sizeof tooShort;
    EXPECT_EQ(DeviceISP(d.device, 0, &bad), nullptr) << "a frame shorter than its size is refused";
}

TEST(YWDevSDK, AutoExposureBringsThePictureToItsTarget)
{
    ScopedSimulatedDevices devices(1);
    FrameSink sink;  // outlives the device
    OpenedDevice d;
    DeviceInitEx(d.device, FrameSink::Deliver, &sink, 0, 1);
    SetAutoExposureState(d.device, 1);
    for (uint8_t target : {60, 160}) {
        SetAutoExposureTarget(d.device, target);
        Start(d.device);
        const int start = sink.Frames();
        ASSERT_TRUE(WaitUntil([&] { return sink.Frames() >= start + 30; }, 5000));
        Stop(d.device);
        std::lock_guard<std::mutex> lock(sink.mutex);
        const double luma = 0.11 * ChannelMean(sink.picture, 0) + 0.59 * ChannelMean(sink.picture, 1)
            + 0.30 * ChannelMean(sink.picture, 2);
        EXPECT_NEAR(luma, target, target * 0.15) << "target " << int(target);
    }
    uint16_t exposure = 0;
    GetExposureTime(d.device, &exposure);
    EXPECT_LE(exposure, 33) << "auto exposure keeps the frame rate";
}

TEST(YWDevSDK, CaptureFileWritesTheLastProcessedFrameAsBitmap)
{
    ScopedSimulatedDevices devices(1);
    FrameSink sink;  // outlives the device
    OpenedDevice d;
    DeviceInitEx(d.device, FrameSink::Deliver, &sink, 0, 1);
    SetMirror(d.device, 0, 1);
    SetGain(d.device, 200, 128, 90);
    Start(d.device);
    ASSERT_TRUE(WaitUntil([&] { return sink.Frames() >= 2; }, 3000));
    Stop(d.device);

    char name[] = "/tmp/ywsdk_testXXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_EQ(CaptureFile(d.device, name, YW_CAPTURE_BMP), 0);
    const std::string bmp = std::string(name) + ".bmp";
    const std::vector<uint8_t> file = ReadFile(bmp);
    unlink(bmp.c_str());
    unlink(name);

    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32(file, 2), file.size());
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(Le32(file, 18), 320u);
    EXPECT_EQ(Le32(file, 22), 240u);
    EXPECT_EQ(file[28], 24);
    ASSERT_EQ(file.size(), 54u + 320u * 240u * 3u);
    std::lock_guard<std::mutex> lock(sink.mutex);
    const size_t row = 320 * 3;
    for (int y : {0, 123, 239}) {
        const auto stored = file.begin() + 54 + static_cast<long>((239 - y) * row);  // bottom-up
        EXPECT_TRUE(std::equal(
            stored, stored + static_cast<long>(row), sink.picture.begin() + static_cast<long>(y * row)))
            << "row " << y;
    }
    EXPECT_LT(CaptureFile(d.device, name, 1), 0) << "only BMP is offered";
}

TEST(YWDevSDK, ResolutionsShowOneFieldThroughOneSensor)
{
    // Device 0: the sensor is the largest resolution, 320 x 240, 8 pixels a
    // tick; device 1 names a larger sensor of its own.
    SimulatedDeviceSetup made;
    made.micrometerPitchPx = 8.0;
    made.resolutions = {{160, 120}, {kTestWidth, kTestHeight}, {320, 180}};  // the largest is not the first
    SimulatedDeviceSetup larger = made;
    larger.sensor = {640, 480};
    ScopedSimulatedDevices devices({made, larger});

    struct Case
    {
        int device;
        int resolution;
        double pitch;
    };
    const Case cases[] = {
        {0, 1, 8.0},  // the sensor
        {0, 0, 4.0},  // binned 2 x 2
        {0, 2, 8.0},  // a 16:9 crop at the sensor's pitch
        {1, 1, 4.0},  // half the described sensor
    };
    const int factory = CreateDeviceFactoryHandle(0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "device " << c.device << " resolution " << c.resolution);
        FrameSink sink;  // outlives the device
        int device = 0;
        ASSERT_EQ(OpenDevice(factory, c.device, &device, 0), 0);
        DeviceInitEx(device, FrameSink::Deliver, &sink, 0, 1);
        YWResolution resolution = {};
        resolution.index = c.resolution;
        ASSERT_EQ(SetResolution(device, resolution), 0);
        Start(device);
        const bool delivered = WaitUntil([&] { return sink.Frames() >= 2; }, 3000);
        Stop(device);
        DeviceRelease(device);
        ASSERT_TRUE(delivered);

        std::lock_guard<std::mutex> lock(sink.mutex);
        std::vector<uint8_t> green(static_cast<size_t>(sink.width) * sink.height);
        for (size_t i = 0; i < green.size(); ++i)
            green[i] = sink.picture[3 * i + 1];
        const auto ticks = kelvara::dshow::testing::FindMicrometerTicks(green, sink.width, sink.height);
        EXPECT_GE(ticks.count, 15);
        EXPECT_NEAR(ticks.pitch, c.pitch, c.pitch * 0.015);
    }
    DeviceFactoryRelease(factory);
}
