// The capture layer driven the way a camera backend drives it, against
// virtual devices.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/directshow/VirtualDeviceRegistry.h"
#include "tests/support/directshow/CaptureGraph.h"
#include "tests/support/directshow/ScopedVirtualDevice.h"

namespace kelvara::dshow {
namespace {

using testing::CaptureGraph;
using testing::ScopedVirtualDevice;
using testing::SmallTestCamera;

template <class Pred> bool WaitFor(Pred pred, int timeoutMs)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

ComPtr<IPin> StillPin(CaptureGraph& g)
{
    ComPtr<IPin> pin;
    g.builder->FindPin(
        g.source.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_STILL, &MEDIATYPE_Video, FALSE, 0, pin.AddressOf());
    return pin;
}

TEST(CaptureLayer, ApartmentCallsKeepTheirResults)
{
    std::thread([] {
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        CoUninitialize();
        CoUninitialize();
    }).join();
}

TEST(CaptureLayer, EnumeratesVirtualDevicesWithTheirNames)
{
    ComPtr<ICreateDevEnum> devEnum;
    ASSERT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                  reinterpret_cast<void**>(devEnum.AddressOf())),
        S_OK);
    ComPtr<IEnumMoniker> none;
    SetV4L2EnumerationEnabled(false);
    EXPECT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, none.AddressOf(), 0), S_FALSE);
    EXPECT_FALSE(none);

    ScopedVirtualDevice first(SmallTestCamera());
    VirtualDeviceDescription other = SmallTestCamera();
    other.name = L"Second";
    ScopedVirtualDevice second(other);
    ComPtr<IEnumMoniker> monikers;
    ASSERT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.AddressOf(), 0), S_OK);
    std::vector<std::wstring> names;
    IMoniker* moniker = nullptr;
    while (monikers->Next(1, &moniker, nullptr) == S_OK) {
        auto held = ComPtr<IMoniker>::Attach(moniker);
        ComPtr<IPropertyBag> bag;
        ASSERT_EQ(held->BindToStorage(
                      nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(bag.AddressOf())),
            S_OK);
        VARIANT v;
        VariantInit(&v);
        ASSERT_EQ(bag->Read(L"FriendlyName", &v, nullptr), S_OK);
        names.push_back(v.bstrVal);
        VariantClear(&v);
        ASSERT_EQ(bag->Read(L"DevicePath", &v, nullptr), S_OK);
        EXPECT_STREQ(v.bstrVal, L"virtual#vid_abcd&pid_1234#test");
        VariantClear(&v);
        EXPECT_EQ(bag->Read(L"Description", &v, nullptr), E_FAIL);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Test Camera", L"Second"}));
    SetV4L2EnumerationEnabled(true);
}

TEST(CaptureLayer, StreamsAtTheConfiguredRateUntilStopped)
{
    ScopedVirtualDevice device(SmallTestCamera(40.0));
    CaptureGraph g;
    ASSERT_TRUE(g.Build(0));
    ASSERT_EQ(g.control->Run(), S_OK);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    const int frames = g.frames.count.load();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Wide bounds: CI runs this beside other tests on two loaded cores.
    EXPECT_NEAR(frames / seconds, 40.0, 10.0);

    auto video = QueryAs<IAMVideoControl>(g.source.Get(), IID_IAMVideoControl);
    ComPtr<IPin> capture;
    g.builder->FindPin(
        g.source.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, nullptr, FALSE, 0, capture.AddressOf());
    LONGLONG interval = 0;
    ASSERT_EQ(video->GetCurrentActualFrameRate(capture.Get(), &interval), S_OK);
    EXPECT_NEAR(static_cast<double>(interval), 250000.0, 62500.0);

    // The default format is the first listed: MJPG 640 x 480, a real JPEG.
    std::vector<BYTE> last = g.frames.Last();
    ASSERT_GT(last.size(), 1000u);
    EXPECT_EQ(last[0], 0xFF);
    EXPECT_EQ(last[1], 0xD8);

    ASSERT_EQ(g.control->Stop(), S_OK);
    const int afterStop = g.frames.count.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(g.frames.count.load(), afterStop);
    g.TearDown();
}

TEST(CaptureLayer, CapabilitiesDescribeEveryFormatInWindowsLayout)
{
    ScopedVirtualDevice device(SmallTestCamera());
    CaptureGraph g;
    ASSERT_TRUE(g.Build(0));
    int count = 0;
    int size = 0;
    ASSERT_EQ(g.config->GetNumberOfCapabilities(&count, &size), S_OK);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(size, 128);
    AM_MEDIA_TYPE* mt = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps{};
    ASSERT_EQ(g.config->GetStreamCaps(2, &mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
    EXPECT_EQ(mt->subtype, MEDIASUBTYPE_YUY2);
    ASSERT_NE(GetVideoInfo(mt), nullptr);
    EXPECT_EQ(mt->cbFormat, 88u);
    EXPECT_EQ(GetVideoInfo(mt)->bmiHeader.biWidth, 640);
    EXPECT_EQ(caps.MinOutputSize.cx, 160);
    EXPECT_EQ(caps.MaxOutputSize.cy, 480);
    EXPECT_EQ(caps.OutputGranularityX, 16);
    EXPECT_EQ(caps.OutputGranularityY, 8);
    DeleteMediaType(mt);
    EXPECT_EQ(g.config->GetStreamCaps(4, &mt, reinterpret_cast<BYTE*>(&caps)), S_FALSE);
    g.TearDown();
}

TEST(CaptureLayer, SetFormatChangesTheFramesAndRefusesWhatTheDeviceLacks)
{
    VirtualDeviceDescription d = SmallTestCamera();
    d.faults.refusedSizes = {{480, 360}};
    ScopedVirtualDevice device(d);
    CaptureGraph g;
    ASSERT_TRUE(g.Build(0));

    struct Case
    {
        GUID subtype;
        int width;
        int height;
        HRESULT expected;
    };
    const Case cases[] = {
        {MEDIASUBTYPE_YUY2, 320, 240, S_OK},
        {MEDIASUBTYPE_YUY2, 328, 240, VFW_E_INVALIDMEDIATYPE},  // off the 16-pixel grid
        {MEDIASUBTYPE_YUY2, 480, 360, VFW_E_INVALIDMEDIATYPE},  // refused by the device
        {MEDIASUBTYPE_MJPG, 800, 600, VFW_E_INVALIDMEDIATYPE},
        {MEDIASUBTYPE_H264, 640, 480, VFW_E_INVALIDMEDIATYPE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(g.SetFormat(c.subtype, c.width, c.height), c.expected) << c.width << "x" << c.height;

    // The refused attempts left YUY2 320 x 240 in place, also on the connection.
    AM_MEDIA_TYPE connected{};
    ASSERT_EQ(g.grabber->GetConnectedMediaType(&connected), S_OK);
    EXPECT_EQ(connected.subtype, MEDIASUBTYPE_YUY2);
    EXPECT_EQ(GetVideoInfo(&connected)->bmiHeader.biWidth, 320);
    FreeMediaType(connected);

    ASSERT_EQ(g.control->Run(), S_OK);
    EXPECT_EQ(g.SetFormat(MEDIASUBTYPE_YUY2, 160, 120), VFW_E_NOT_STOPPED);
    ASSERT_TRUE(WaitFor([&] { return g.frames.count.load() > 0; }, 2000));
    EXPECT_EQ(g.frames.Last().size(), 320u * 240u * 2u);
    g.control->Stop();

    // RGB24 arrives bottom-up: the micrometer's baseline, which lies below the
    // middle of the scene, is found in the upper half of the buffer.
    ASSERT_EQ(g.SetFormat(MEDIASUBTYPE_RGB24, 320, 240), S_OK);
    const int before = g.frames.count.load();
    ASSERT_EQ(g.control->Run(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return g.frames.count.load() > before + 1; }, 2000));
    g.control->Stop();
    std::vector<BYTE> rgb = g.frames.Last();
    ASSERT_EQ(rgb.size(), 320u * 3u * 240u);
    auto darkRow = [&](int row) {
        int dark = 0;
        for (int x = 60; x < 260; ++x)
            dark += rgb[static_cast<size_t>(row) * 960 + x * 3 + 1] < 60;
        return dark > 150;
    };
    int darkestRow = -1;
    for (int row = 0; row < 240; ++row)
        if (darkRow(row))
            darkestRow = row;
    ASSERT_GE(darkestRow, 0);
    EXPECT_LT(darkestRow, 120);
    g.TearDown();
}

TEST(CaptureLayer, StillTriggerDeliversOneStillUnlessTheTriggerIsLost)
{
    for (bool lost : {false, true}) {
        VirtualDeviceDescription d = SmallTestCamera();
        d.faults.stillNeverFires = lost;
        ScopedVirtualDevice device(d);
        CaptureGraph g;
        ASSERT_TRUE(g.Build(0));
        ASSERT_EQ(g.control->Run(), S_OK);
        auto video = QueryAs<IAMVideoControl>(g.source.Get(), IID_IAMVideoControl);
        ComPtr<IPin> still = StillPin(g);
        ASSERT_TRUE(still);
        long caps = 0;
        EXPECT_EQ(video->GetCaps(still.Get(), &caps), S_OK);
        EXPECT_EQ(caps & VideoControlFlag_Trigger, VideoControlFlag_Trigger);
        EXPECT_EQ(video->SetMode(still.Get(), VideoControlFlag_Trigger), S_OK);
        if (!lost) {
            ASSERT_TRUE(WaitFor([&] { return g.stills.count.load() == 1; }, 2000));
            EXPECT_EQ(g.stills.Last().size(), 640u * 480u * 2u);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_EQ(g.stills.count.load(), lost ? 0 : 1);
        g.TearDown();
    }
}

TEST(CaptureLayer, UnplugEndsTheStreamAndLeavesTheGraphReleasable)
{
    VirtualDeviceDescription d = SmallTestCamera(60.0);
    d.faults.unplugAfterFrames = 5;
    ScopedVirtualDevice device(d);
    CaptureGraph g;
    ASSERT_TRUE(g.Build(0));
    ASSERT_EQ(g.control->Run(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return VirtualDeviceRegistry::IsUnplugged(device.Id()); }, 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(g.frames.count.load(), 5);
    EXPECT_EQ(g.control->Stop(), S_OK);
    EXPECT_EQ(g.SetFormat(MEDIASUBTYPE_YUY2, 320, 240), E_DEVICE_NOT_CONNECTED);
    EXPECT_TRUE(VirtualDeviceRegistry::Enumerate().empty());
    g.TearDown();

    VirtualDeviceRegistry::Replug(device.Id());
    CaptureGraph again;
    ASSERT_TRUE(again.Build(0));
    again.TearDown();
}

// A sink that stops for a while at frame stallAt and notes when each frame came.
class StallingCallback final : public ISampleGrabberCB
{
public:
    StallingCallback(int stallAt, std::chrono::milliseconds stall)
        : m_stallAt(stallAt)
        , m_stall(stall)
    {
    }
    HRESULT QueryInterface(REFIID, void** ppv) override
    {
        *ppv = this;
        return S_OK;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
    HRESULT BufferCB(double, BYTE*, long) override
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            arrivals.push_back(std::chrono::steady_clock::now());
        }
        if (++count == m_stallAt)
            std::this_thread::sleep_for(m_stall);
        return S_OK;
    }

    std::atomic<int> count{0};
    std::mutex mutex;
    std::vector<std::chrono::steady_clock::time_point> arrivals;

private:
    const int m_stallAt;
    const std::chrono::milliseconds m_stall;
};

// The stream keeps its clock while the sink is busy: the frames whose time
// came meanwhile follow at once, four at most (the driver's buffers), and the
// older ones are counted as lost.
TEST(CaptureLayer, LateSinkGetsTheBufferedFramesAtOnceAndTheRestAreLost)
{
    ScopedVirtualDevice device(SmallTestCamera(50.0));  // a frame every 20 ms
    CaptureGraph g;
    ASSERT_TRUE(g.Build(0));
    ASSERT_EQ(g.SetFormat(MEDIASUBTYPE_YUY2, 160, 120), S_OK);
    const int stallAt = 5;
    StallingCallback sink(stallAt, std::chrono::milliseconds(400));  // 20 frame times
    ASSERT_EQ(g.grabber->SetCallback(&sink, 1), S_OK);
    ASSERT_EQ(g.control->Run(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return sink.count.load() >= stallAt + 6; }, 5000));
    g.control->Stop();
    std::vector<std::chrono::steady_clock::time_point> arrivals;
    {
        std::lock_guard<std::mutex> lock(sink.mutex);
        arrivals = sink.arrivals;
    }
    ASSERT_GE(arrivals.size(), static_cast<size_t>(stallAt + 4));
    // After the stall: the four buffered frames back to back, far quicker
    // than the 60 ms three frame times would take.
    const auto burst = arrivals[stallAt + 3] - arrivals[stallAt];
    EXPECT_LT(burst, std::chrono::milliseconds(45));
    // About twenty frame times passed: four were kept, some sixteen lost.
    const uint64_t lost = VirtualDeviceRegistry::FramesLost(device.Id());
    EXPECT_GE(lost, 12u);
    EXPECT_LE(lost, 30u);
    g.TearDown();
}

TEST(CaptureLayer, ShortFramesFaultDeliversTruncatedBuffers)
{
    VirtualDeviceDescription d = SmallTestCamera(60.0);
    d.faults.shortFrameEvery = 2;
    ScopedVirtualDevice device(d);
    CaptureGraph g;
    ASSERT_TRUE(g.Build(0));
    ASSERT_EQ(g.SetFormat(MEDIASUBTYPE_YUY2, 160, 120), S_OK);
    ASSERT_EQ(g.control->Run(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return g.frames.count.load() >= 2; }, 2000));
    g.control->Stop();
    const int count = g.frames.count.load();
    const size_t expected = count % 2 == 0 ? 160u * 120u : 160u * 120u * 2u;
    EXPECT_EQ(g.frames.Last().size(), expected);
    g.TearDown();
}

TEST(CaptureLayer, ControlsAnswerRangesValuesAndAutoFlags)
{
    VirtualDeviceDescription d = SmallTestCamera();
    d.hasRegisterPort = true;
    d.registers = {{74, 25}, {12, 33}};
    ScopedVirtualDevice device(d);
    CaptureGraph g;
    ASSERT_TRUE(g.Build(0));
    auto amp = QueryAs<IAMVideoProcAmp>(g.source.Get(), IID_IAMVideoProcAmp);
    auto cam = QueryAs<IAMCameraControl>(g.source.Get(), IID_IAMCameraControl);
    ASSERT_TRUE(amp && cam);
    long min = 0, max = 0, step = 0, def = 0, caps = 0, value = 0, flags = 0;
    ASSERT_EQ(amp->GetRange(VideoProcAmp_WhiteBalance, &min, &max, &step, &def, &caps), S_OK);
    EXPECT_EQ(min, 2800);
    EXPECT_EQ(max, 6500);
    EXPECT_EQ(step, 10);
    EXPECT_EQ(def, 4600);
    EXPECT_EQ(caps, VideoProcAmp_Flags_Auto | VideoProcAmp_Flags_Manual);
    ASSERT_EQ(amp->Get(VideoProcAmp_WhiteBalance, &value, &flags), S_OK);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Auto);
    EXPECT_EQ(amp->Set(VideoProcAmp_WhiteBalance, 5000, VideoProcAmp_Flags_Manual), S_OK);
    ASSERT_EQ(amp->Get(VideoProcAmp_WhiteBalance, &value, &flags), S_OK);
    EXPECT_EQ(value, 5000);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Manual);
    EXPECT_EQ(amp->Set(VideoProcAmp_Brightness, 65, VideoProcAmp_Flags_Manual), E_INVALIDARG);
    EXPECT_EQ(amp->Set(VideoProcAmp_Brightness, 0, VideoProcAmp_Flags_Auto), E_INVALIDARG);
    EXPECT_EQ(amp->GetRange(VideoProcAmp_Gain, &min, &max, &step, &def, &caps), E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(cam->GetRange(CameraControl_Exposure, &min, &max, &step, &def, &caps), E_PROP_ID_UNSUPPORTED);

    // Register port: Roll selects, Focus reads and writes 16-bit contents.
    auto readRegister = [&](long reg) {
        cam->Set(CameraControl_Roll, reg, CameraControl_Flags_Manual);
        cam->GetRange(CameraControl_Focus, &min, &max, &step, &def, &caps);
        cam->Get(CameraControl_Focus, &value, &flags);
        return static_cast<int16_t>(value);
    };
    EXPECT_EQ(readRegister(74), 25);
    EXPECT_EQ(readRegister(12 + 256), 33);  // low 8 bits select
    EXPECT_EQ(readRegister(7), 0);
    cam->Set(CameraControl_Roll, 12, CameraControl_Flags_Manual);
    cam->Set(CameraControl_Focus, -2, CameraControl_Flags_Manual);
    EXPECT_EQ(readRegister(12), -2);
    g.TearDown();
}

TEST(CaptureLayer, PropertyPagesGoThroughTheRegisteredPresenter)
{
    ScopedVirtualDevice device(SmallTestCamera());
    CaptureGraph g;
    ASSERT_TRUE(g.Build(0));
    auto pages = QueryAs<ISpecifyPropertyPages>(g.source.Get(), IID_ISpecifyPropertyPages);
    ASSERT_TRUE(pages);
    CAUUID uuids{};
    ASSERT_EQ(pages->GetPages(&uuids), S_OK);
    IUnknown* objects[] = {g.source.Get()};

    SetPropertySheetPresenter(nullptr);
    EXPECT_EQ(
        OleCreatePropertyFrame(nullptr, 0, 0, L"Cam", 1, objects, uuids.cElems, uuids.pElems, 0, 0, nullptr),
        E_FAIL);

    std::wstring caption;
    std::vector<std::wstring> names;
    SetPropertySheetPresenter([&](HWND, const std::wstring& c, std::vector<PropertySheetControl>& controls) {
        caption = c;
        for (auto& control : controls) {
            names.push_back(control.name);
            if (control.name == L"Brightness") {
                EXPECT_TRUE(control.apply(12, false));
            }
            if (control.name == L"White Balance") {
                EXPECT_FALSE(control.apply(99999, false));
            }
        }
    });
    EXPECT_EQ(
        OleCreatePropertyFrame(nullptr, 0, 0, L"Cam", 1, objects, uuids.cElems, uuids.pElems, 0, 0, nullptr),
        S_OK);
    SetPropertySheetPresenter(nullptr);
    CoTaskMemFree(uuids.pElems);
    EXPECT_EQ(caption, L"Cam");
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Brightness", L"White Balance"}));
    long value = 0, flags = 0;
    QueryAs<IAMVideoProcAmp>(g.source.Get(), IID_IAMVideoProcAmp)
        ->Get(VideoProcAmp_Brightness, &value, &flags);
    EXPECT_EQ(value, 12);
    g.TearDown();
}

// A callback that lingers, to check that SetCallback waits for it.
class SlowCallback final : public ISampleGrabberCB
{
public:
    HRESULT QueryInterface(REFIID, void** ppv) override
    {
        *ppv = this;
        return S_OK;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT SampleCB(double, IMediaSample*) override { return S_OK; }
    HRESULT BufferCB(double, BYTE*, long) override
    {
        inside = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        inside = false;
        return S_OK;
    }
    std::atomic<bool> inside{false};
};

TEST(CaptureLayer, RemovingTheGrabberCallbackWaitsForACallInFlight)
{
    ScopedVirtualDevice device(SmallTestCamera(60.0));
    CaptureGraph g;
    ASSERT_TRUE(g.Build(0));
    SlowCallback slow;
    g.grabber->SetCallback(&slow, 1);
    ASSERT_EQ(g.control->Run(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return slow.inside.load(); }, 2000));
    g.grabber->SetCallback(nullptr, 1);
    EXPECT_FALSE(slow.inside.load());
    g.TearDown();
}

}  // namespace
}  // namespace kelvara::dshow
