#include "camera_module/vendor_usb/CMCameraYW1600.h"
#include "camera_module/vendor_usb/CMCameraYW500.h"
#include "camera_module/vendor_usb/CMCameraYxDP5.h"
#include "platform/directshow/ComPtr.h"
#include "tests/support/directshow/ScopedVirtualDevice.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace kelvara::dshow;
using kelvara::dshow::testing::ScopedVirtualDevice;

namespace {

// Opens a model camera on the test's virtual device and looks at the
// device's controls and register file directly, past the camera.
template <class Camera> class Opened : public Camera
{
public:
    explicit Opened(const VirtualDeviceDescription& description)
        : Camera(0)
        , m_device(description)
    {
        m_init = this->Init(nullptr, nullptr, 640, 480);
    }
    ~Opened() override { this->Release(); }

    int InitResult() const { return m_init; }
    int StillFormat() const { return this->m_stillFormat; }

    // The register's content, read through Roll and Focus.
    int Register(int reg)
    {
        auto control = CameraControl();
        long value = 0, flags = 0;
        if (!control || FAILED(control->Set(CameraControl_Roll, reg, CameraControl_Flags_Manual))
            || FAILED(control->Get(CameraControl_Focus, &value, &flags)))
            return -99999;
        return static_cast<int16_t>(value);
    }
    void PutRegister(int reg, int value)
    {
        auto control = CameraControl();
        control->Set(CameraControl_Roll, reg, CameraControl_Flags_Manual);
        control->Set(CameraControl_Focus, value, CameraControl_Flags_Manual);
    }
    long Control(bool cameraControl, long property, long* flags)
    {
        long value = -99999;
        if (cameraControl)
            CameraControl()->Get(property, &value, flags);
        else
            QueryAs<IAMVideoProcAmp>(this->DeviceRecord()->source, IID_IAMVideoProcAmp)
                ->Get(property, &value, flags);
        return value;
    }

private:
    ComPtr<IAMCameraControl> CameraControl()
    {
        return QueryAs<IAMCameraControl>(this->DeviceRecord()->source, IID_IAMCameraControl);
    }

    ScopedVirtualDevice m_device;
    int m_init = -1;
};

VirtualDeviceDescription Yw1600Device(bool withPort = true)
{
    VirtualDeviceDescription d;
    d.name = L"YW1600";
    d.devicePath = L"virtual#vid_eba1&pid_7585#1";
    d.frameRate = 15.0;
    d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_MJPG, 640, 480),
        FormatRange::Discrete(MEDIASUBTYPE_MJPG, 4608, 3456),
        FormatRange::Discrete(MEDIASUBTYPE_MJPG, 1280, 960)};
    d.hasRegisterPort = withPort;
    d.registers = {{74, 25}, {12, 33}, {7, 1}, {8, 0}, {6, 1}, {1, 0}};
    return d;
}

std::wstring Alias(CMCameraBase& camera, tagCMProperty property, double value, int* result, int chars = 32)
{
    std::wstring buffer(static_cast<size_t>(chars), L'#');
    *result = camera.GetPropertyAlias(property, value, buffer.data(), chars);
    return *result == CM_OK ? std::wstring(buffer.c_str()) : std::wstring();
}

}  // namespace

TEST(CMCameraYW1600, AliasesAndUnits)
{
    CMCameraYW1600 camera(0);  // texts need no device
    struct Case
    {
        tagCMProperty property;
        double value;
        int result;
        const wchar_t* text;
    };
    const Case cases[] = {
        {CM_PROP_WB_TEMPERATURE, 0.0, CM_OK, L"1800K"},
        {CM_PROP_WB_TEMPERATURE, 1.0, CM_OK, L"1928K"},
        {CM_PROP_WB_TEMPERATURE, 63.0, CM_OK, L"9864K"},
        {CM_PROP_WB_TEMPERATURE, 64.0, CM_ERR_NOT_SUPPORTED, L""},
        {CM_PROP_WB_TEMPERATURE, -3.0, CM_ERR_NOT_SUPPORTED, L""},
        {CM_PROP_GAIN, 63.0, CM_OK, L"36.12 dB"},
        {CM_PROP_GAIN, 0.0, CM_OK, L"0.00 dB"},
        {CM_PROP_GAIN, -2.0, CM_ERR_NOT_SUPPORTED, L""},
        {CM_PROP_EXPOSURE, 33.0, CM_OK, L"33 ms"},
        {CM_PROP_CONTRAST, 3.0, CM_ERR_NOT_SUPPORTED, L""},
    };
    for (const Case& k : cases) {
        int result = 0;
        EXPECT_EQ(Alias(camera, k.property, k.value, &result), k.text) << k.property << " " << k.value;
        EXPECT_EQ(result, k.result) << k.property << " " << k.value;
    }
    int result = 0;
    Alias(camera, CM_PROP_WB_TEMPERATURE, 5.0, &result, 5);
    EXPECT_EQ(result, CM_ERR_NOT_SUPPORTED) << "a buffer too short for \"2440K\"";
    EXPECT_EQ(camera.GetPropertyAlias(CM_PROP_GAIN, 1.0, nullptr, 32), CM_ERR_NOT_SUPPORTED);

    wchar_t unit[8];
    EXPECT_EQ(camera.GetPropertyUnit(CM_PROP_GAIN, unit, 8), CM_OK);
    EXPECT_STREQ(unit, L"dB");
    EXPECT_EQ(camera.GetPropertyUnit(CM_PROP_EXPOSURE, unit, 8), CM_OK);
    EXPECT_STREQ(unit, L"ms");
    EXPECT_EQ(camera.GetPropertyUnit(CM_PROP_WB_TEMPERATURE, unit, 8), CM_OK);
    EXPECT_STREQ(unit, L"K");
    EXPECT_EQ(camera.GetPropertyUnit(CM_PROP_WB_TEMPERATURE, unit, 0), CM_ERR_NOT_SUPPORTED);
    EXPECT_EQ(camera.GetPropertyUnit(CM_PROP_GAMMA, unit, 8), CM_ERR_NOT_SUPPORTED);

    std::vector<int> modes, frequencies, none;
    EXPECT_EQ(camera.GetPropertyRangeEnumInt(CM_PROP_COLOR_MODE, modes), 1);
    EXPECT_EQ(camera.GetPropertyRangeEnumInt(CM_PROP_POWER_FREQ, frequencies), 1);
    EXPECT_EQ(camera.GetPropertyRangeEnumInt(CM_PROP_GAIN, none), 0);
    EXPECT_EQ(modes, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(frequencies, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(none.empty());
}

TEST(CMCameraYW1600, RegisterMapReadsAndWrites)
{
    Opened<CMCameraYW1600> camera(Yw1600Device());
    ASSERT_EQ(camera.InitResult(), CM_OK);
    struct Case
    {
        tagCMProperty property;
        int reg;
        double min, max, def;
    };
    const Case cases[] = {
        {CM_PROP_CONTRAST, 67, 0, 15, 8},
        {CM_PROP_SATURATION, 66, 0, 15, 8},
        {CM_PROP_GAMMA, 72, 0, 63, 16},
        {CM_PROP_SHARPNESS, 65, 0, 7, 2},
        {CM_PROP_RED_GAIN, 69, 0, 63, 24},
        {CM_PROP_BLUE_GAIN, 71, 0, 63, 26},
        {CM_PROP_GAIN, 14, 0, 63, 0},
        {CM_PROP_AE_TARGET, 68, 0, 15, 10},
        {CM_PROP_WB_TEMPERATURE, 74, 0, 63, 25},
        {CM_PROP_DENOISE, 73, 0, 7, 5},
        {CM_PROP_EXPOSURE, 12, 1, 999, 33},
    };
    for (const Case& k : cases) {
        double min = -1, max = -1, def = -1;
        int digits = -1;
        ASSERT_EQ(camera.GetPropertyRange(k.property, &min, &max, &def, &digits), CM_OK) << k.property;
        EXPECT_EQ(min, k.min) << k.property;
        EXPECT_EQ(max, k.max) << k.property;
        EXPECT_EQ(def, k.def) << k.property;
        EXPECT_EQ(digits, 0) << k.property;

        const int written = static_cast<int>(k.max) - 1;
        EXPECT_EQ(camera.SetProperty(k.property, written + 0.7, 0), CM_OK);
        EXPECT_EQ(camera.Register(k.reg), written) << "register " << k.reg;
        double value = -1;
        int automatic = -1;
        EXPECT_EQ(camera.GetProperty(k.property, &value, &automatic), CM_OK);
        EXPECT_EQ(value, written) << k.property;
    }
    camera.PutRegister(14, -5);
    double value = 0;
    camera.GetProperty(CM_PROP_GAIN, &value, nullptr);
    EXPECT_EQ(value, -5) << "register contents are signed 16-bit";
}

TEST(CMCameraYW1600, ModesExposureAndWhiteBalanceTranslate)
{
    Opened<CMCameraYW1600> camera(Yw1600Device());
    ASSERT_EQ(camera.InitResult(), CM_OK);
    // (property, value written) -> register content -> value read back
    struct Case
    {
        tagCMProperty property;
        int reg;
        double set;
        int stored;
        double read;
    };
    const Case cases[] = {
        {CM_PROP_COLOR_MODE, 1, 1, 1, 1},
        {CM_PROP_COLOR_MODE, 1, 2, 2, 2},
        {CM_PROP_COLOR_MODE, 1, 7, 0, 0},
        {CM_PROP_POWER_FREQ, 6, 1, 0, 1},
        {CM_PROP_POWER_FREQ, 6, 2, 1, 2},
        {CM_PROP_POWER_FREQ, 6, 3, 2, 3},
        {CM_PROP_POWER_FREQ, 6, 9, 0, 1},
    };
    for (const Case& k : cases) {
        camera.SetProperty(k.property, k.set, 0);
        EXPECT_EQ(camera.Register(k.reg), k.stored) << k.property << " := " << k.set;
        double value = -1;
        camera.GetProperty(k.property, &value, nullptr);
        EXPECT_EQ(value, k.read) << k.property << " := " << k.set;
    }

    double value = -1;
    int automatic = -1;
    camera.GetProperty(CM_PROP_EXPOSURE, &value, &automatic);
    EXPECT_EQ(automatic, 1) << "register 7 holds 1";
    EXPECT_EQ(value, 33);
    camera.SetProperty(CM_PROP_EXPOSURE, 400, 0);
    EXPECT_EQ(camera.Register(12), 400);
    camera.PutRegister(7, 0);
    camera.SetProperty(CM_PROP_EXPOSURE, 10, 1);
    EXPECT_EQ(camera.Register(7), 1);
    EXPECT_EQ(camera.Register(12), 400) << "auto leaves the time alone";

    camera.SetProperty(CM_PROP_WHITE_BALANCE, 0, 1);
    EXPECT_EQ(camera.Register(8), 1);
    camera.GetProperty(CM_PROP_WHITE_BALANCE, &value, &automatic);
    EXPECT_EQ(automatic, 1);
    camera.SetProperty(CM_PROP_WHITE_BALANCE, 0, 0);
    EXPECT_EQ(camera.Register(8), 0);
    camera.SetProperty(CM_PROP_WB_ONCE, 0, 1);
    EXPECT_EQ(camera.Register(8), 2);
}

TEST(CMCameraYW1600, VendorPropertiesNeedTheRegisterPort)
{
    const tagCMProperty vendor[] = {1, 3, 4, 5, 9, 15, 16, 18, 19, 20, 21};
    {
        Opened<CMCameraYW1600> camera(Yw1600Device(true));
        for (tagCMProperty p : vendor)
            EXPECT_TRUE(camera.IsPropertySupport(p)) << p;
        camera.PutRegister(74, 64);
        EXPECT_FALSE(camera.IsPropertySupport(CM_PROP_CONTRAST)) << "register 74 out of range";
    }
    Opened<CMCameraYW1600> plain(Yw1600Device(false));
    ASSERT_EQ(plain.InitResult(), CM_OK);
    for (tagCMProperty p : vendor)
        EXPECT_FALSE(plain.IsPropertySupport(p)) << p;
    EXPECT_TRUE(plain.IsPropertySupport(CM_PROP_AE_TARGET));
    EXPECT_TRUE(plain.IsPropertySupport(CM_PROP_WB_ONCE));
    EXPECT_FALSE(plain.IsPropertySupport(CM_PROP_BRIGHTNESS));
    EXPECT_TRUE(plain.IsPropertySupport(CM_PROP_MIRROR));
}

TEST(CMCameraYW1600, HidesTheFullSensorSize)
{
    {
        Opened<CMCameraYW1600> camera(Yw1600Device());
        std::vector<tagSIZE> sizes;
        ASSERT_EQ(camera.GetSupportedPreviewSizes(&sizes), CM_OK);
        ASSERT_EQ(sizes.size(), 2u);
        EXPECT_EQ(sizes[0].cx, 640);
        EXPECT_EQ(sizes[1].cx, 1280);
    }
    VirtualDeviceDescription only = Yw1600Device();
    only.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_MJPG, 4608, 3456)};
    Opened<CMCameraYW1600> camera(only);
    std::vector<tagSIZE> sizes;
    EXPECT_EQ(camera.GetSupportedPreviewSizes(&sizes), CM_ERR_NOT_SUPPORTED);
    EXPECT_TRUE(sizes.empty());
}

TEST(CMCameraYxDP5, TakesStillsAsMjpg)
{
    VirtualDeviceDescription d = Yw1600Device();
    d.devicePath = L"virtual#vid_eba1&pid_7586#1";
    d.stillPin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 1280, 960),
        FormatRange::Discrete(MEDIASUBTYPE_MJPG, 1280, 960)};
    Opened<CMCameraYxDP5> camera(d);
    ASSERT_EQ(camera.InitResult(), CM_OK);
    EXPECT_EQ(camera.StillFormat(), CM_FMT_MJPG);
    ASSERT_TRUE(camera.IsSupportStillCapture());
    tagCMImage still = {};
    ASSERT_EQ(camera.Snap(&still), CM_OK);
    std::unique_ptr<unsigned char[]> owned(still.data);
    EXPECT_EQ(still.format, CM_FMT_MJPG);
    ASSERT_GE(still.dataSize, 2);
    EXPECT_EQ(still.data[0], 0xFF);
    EXPECT_EQ(still.data[1], 0xD8);
}

namespace {

VirtualDeviceDescription Yw500Device()
{
    VirtualDeviceDescription d;
    d.name = L"YW500";
    d.devicePath = L"virtual#vid_04f2&pid_a14b#1";
    d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 640, 480)};
    d.stillPin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 640, 480)};
    auto control = [](ControlSet set, long property, long min, long max, long def, bool hasAuto) {
        VirtualControl c;
        c.set = set;
        c.property = property;
        c.minimum = min;
        c.maximum = max;
        c.defaultValue = def;
        c.hasAuto = hasAuto;
        return c;
    };
    d.controls = {control(ControlSet::CameraControl, CameraControl_Exposure, -13, -1, -6, true),
        control(ControlSet::CameraControl, CameraControl_Focus, 0, 1023, 2, false),
        control(ControlSet::VideoProcAmp, VideoProcAmp_WhiteBalance, 2800, 6500, 4600, true),
        // Accepts only 1, so the pulse's first write is what stays.
        control(ControlSet::VideoProcAmp, VideoProcAmp_BacklightCompensation, 1, 1, 0, false)};
    return d;
}

}  // namespace

TEST(CMCameraYW500, ExposureTimeGoesThroughFocus)
{
    Opened<CMCameraYW500> camera(Yw500Device());
    ASSERT_EQ(camera.InitResult(), CM_OK);
    for (tagCMProperty p : {15, 16, 17, 18})
        EXPECT_TRUE(camera.IsPropertySupport(p)) << p;
    double min = -1, max = -1, def = -1;
    int digits = -1;
    ASSERT_EQ(camera.GetPropertyRange(CM_PROP_EXPOSURE, &min, &max, &def, &digits), CM_OK);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 240);
    EXPECT_EQ(def, 2);
    EXPECT_EQ(digits, 0);

    long flags = 0;
    EXPECT_EQ(camera.SetProperty(CM_PROP_EXPOSURE, 120.0, 0), CM_OK);
    EXPECT_EQ(camera.Control(true, CameraControl_Focus, &flags), 120);
    EXPECT_EQ(camera.Control(true, CameraControl_Exposure, &flags), -6) << "exposure value kept";
    EXPECT_EQ(flags, CameraControl_Flags_Manual);

    camera.SetProperty(CM_PROP_EXPOSURE, 80.0, 1);
    camera.Control(true, CameraControl_Exposure, &flags);
    EXPECT_EQ(flags, CameraControl_Flags_Auto);
    double value = -1;
    int automatic = -1;
    camera.GetProperty(CM_PROP_EXPOSURE, &value, &automatic);
    EXPECT_EQ(value, 80);
    EXPECT_EQ(automatic, 1);
}

TEST(CMCameraYW500, OnePushWhiteBalancePulsesBacklightCompensation)
{
    Opened<CMCameraYW500> camera(Yw500Device());
    ASSERT_EQ(camera.InitResult(), CM_OK);
    long flags = 0;
    camera.SetProperty(CM_PROP_WB_TEMPERATURE, 5000, 0);
    EXPECT_EQ(camera.SetProperty(CM_PROP_WB_ONCE, 0, 1), CM_OK);
    EXPECT_EQ(camera.Control(false, VideoProcAmp_WhiteBalance, &flags), 5000);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Auto);
    EXPECT_EQ(camera.Control(false, VideoProcAmp_BacklightCompensation, &flags), 1);
}

TEST(CMCameraYW500, SnapGrabsAPreviewFrame)
{
    Opened<CMCameraYW500> camera(Yw500Device());
    ASSERT_EQ(camera.InitResult(), CM_OK);
    EXPECT_FALSE(camera.IsSupportStillCapture()) << "even with a still pin";
    tagCMImage image = {};
    ASSERT_EQ(camera.Snap(&image), CM_OK);
    std::unique_ptr<unsigned char[]> owned(image.data);
    EXPECT_EQ(image.format, CM_FMT_YUY2);
    EXPECT_EQ(image.dataSize, 640 * 480 * 2);
}
