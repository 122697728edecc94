#include "camera_module/directshow/CMCameraDirectShow.h"
#include "platform/directshow/CaptureDeviceProvider.h"
#include "platform/directshow/VirtualDeviceRegistry.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace kelvara::dshow;

namespace {

VirtualControl Control(
    ControlSet set, long property, long min, long max, long def, bool hasAuto = false, bool autoOn = false)
{
    VirtualControl c;
    c.set = set;
    c.property = property;
    c.minimum = min;
    c.maximum = max;
    c.defaultValue = def;
    c.hasAuto = hasAuto;
    c.autoByDefault = autoOn;
    return c;
}

class DirectShowProperties : public ::testing::Test
{
protected:
    void SetUp() override
    {
        unsetenv("KELVARA_VIRTUAL_CAMERAS");
        SetV4L2EnumerationEnabled(false);
        VirtualDeviceRegistry::Clear();
        VirtualDeviceDescription d;
        d.name = L"Adjustable Microscope";
        d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 320, 240)};
        d.controls = {
            Control(ControlSet::VideoProcAmp, VideoProcAmp_Brightness, -64, 64, 0),
            Control(ControlSet::VideoProcAmp, VideoProcAmp_Contrast, 0, 100, 500),  // default out of range
            Control(ControlSet::VideoProcAmp, VideoProcAmp_WhiteBalance, 2800, 6500, 4600, true, true),
            Control(ControlSet::VideoProcAmp, VideoProcAmp_Gain, 0, 100, 10, true, false),
            Control(ControlSet::CameraControl, CameraControl_Exposure, -13, -1, -6, true, true),
        };
        VirtualDeviceRegistry::Add(d);
        ASSERT_EQ(m_camera.Init(nullptr, nullptr, 320, 240), CM_OK);
    }
    void TearDown() override
    {
        m_camera.Release();
        kelvara::dshow::SetPropertySheetPresenter(nullptr);
        VirtualDeviceRegistry::Clear();
    }

    CMCameraDirectShow m_camera{0};
};

}  // namespace

TEST_F(DirectShowProperties, SupportFollowsTheDeviceControls)
{
    struct Case
    {
        int property;
        bool supported;
    };
    const Case cases[] = {
        {CM_PROP_BRIGHTNESS, true},
        {CM_PROP_CONTRAST, true},
        {CM_PROP_HUE, false},
        {CM_PROP_GAIN, true},
        {CM_PROP_EXPOSURE, true},
        {CM_PROP_WHITE_BALANCE, true},
        {CM_PROP_WB_TEMPERATURE, true},
        {CM_PROP_IRIS, false},
        {CM_PROP_RED_GAIN, false},
        {CM_PROP_SOFT_RED, true},
        {CM_PROP_MIRROR, true},
        {CM_PROP_FLIP, true},
        {CM_PROP_COLOR_MODE, false},
        {CM_PROP_AE_TARGET, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(m_camera.IsPropertySupport(c.property), c.supported) << c.property;
}

TEST_F(DirectShowProperties, RangesAndDefaults)
{
    struct Case
    {
        int property;
        int result;
        double min, max, def;
    };
    const Case cases[] = {
        {CM_PROP_BRIGHTNESS, CM_OK, -64, 64, 0},
        {CM_PROP_CONTRAST, CM_OK, 0, 100, 50},  // out-of-range default replaced
        {CM_PROP_WB_TEMPERATURE, CM_OK, 2800, 6500, 4600},
        {CM_PROP_EXPOSURE, CM_OK, -13, -1, -6},
        {CM_PROP_WHITE_BALANCE, CM_ERR_NOT_SUPPORTED, -7, -7, -7},
        {CM_PROP_IRIS, CM_ERR_SDK_PROPERTY, -7, -7, -7},
        {CM_PROP_HUE, CM_ERR_NOT_SUPPORTED, -7, -7, -7},
        {CM_PROP_SOFT_BLUE, CM_OK, 0, 255, 0},
        {CM_PROP_MIRROR, CM_ERR_NOT_SUPPORTED, -7, -7, -7},
    };
    for (const Case& c : cases) {
        double min = -7, max = -7, def = -7;
        int digits = -7;
        EXPECT_EQ(m_camera.GetPropertyRange(c.property, &min, &max, &def, &digits), c.result) << c.property;
        EXPECT_EQ(min, c.min) << c.property;
        EXPECT_EQ(max, c.max) << c.property;
        EXPECT_EQ(def, c.def) << c.property;
        EXPECT_EQ(digits, -7);
    }
}

TEST_F(DirectShowProperties, WhiteBalanceAnswersValueAndAutoFlag)
{
    double value = 0;
    int isAuto = 0;
    EXPECT_EQ(m_camera.GetProperty(CM_PROP_WHITE_BALANCE, &value, &isAuto), CM_OK);
    EXPECT_EQ(value, 4600.0);
    EXPECT_EQ(isAuto, 1);

    // Switching auto off keeps the value; the temperature is then set by hand.
    EXPECT_EQ(m_camera.SetProperty(CM_PROP_WHITE_BALANCE, 0.0, 0), CM_OK);
    EXPECT_EQ(m_camera.GetProperty(CM_PROP_WHITE_BALANCE, &value, &isAuto), CM_OK);
    EXPECT_EQ(value, 4600.0);
    EXPECT_EQ(isAuto, 0);
    EXPECT_EQ(m_camera.SetProperty(CM_PROP_WB_TEMPERATURE, 5000.0, 1), CM_OK);
    EXPECT_EQ(m_camera.GetProperty(CM_PROP_WB_TEMPERATURE, &value, &isAuto), CM_OK);
    EXPECT_EQ(value, 5000.0);
    EXPECT_EQ(isAuto, 0);  // the temperature is always written by hand
}

TEST_F(DirectShowProperties, SetThenGet)
{
    struct Case
    {
        int property;
        double set;
        int setAuto;
        double value;
        int isAuto;
    };
    const Case cases[] = {
        {CM_PROP_BRIGHTNESS, 12.7, 1, 12, 0},  // manual only, auto flag never reported
        {CM_PROP_EXPOSURE, -9, 0, -9, 0},
        {CM_PROP_EXPOSURE, -9, 1, -9, 1},
        {CM_PROP_GAIN, 40, 1, 40, 0},  // auto written, not reported for gain
        {CM_PROP_BRIGHTNESS, 1000, 0, 12, 0},  // refused write is ignored
        {CM_PROP_HUE, 5, 0, 0, 0},  // no such control: 0 and success
        {CM_PROP_RED_GAIN, 5, 0, 0, 0},
        {CM_PROP_SOFT_GREEN, 300, 0, 44, 0},
        {CM_PROP_FLIP, 1, 0, 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_camera.SetProperty(c.property, c.set, c.setAuto), CM_OK) << c.property;
        double value = -1;
        int isAuto = -1;
        EXPECT_EQ(m_camera.GetProperty(c.property, &value, &isAuto), CM_OK) << c.property;
        EXPECT_EQ(value, c.value) << c.property << " set " << c.set;
        EXPECT_EQ(isAuto, c.isAuto) << c.property;
    }
}

// A UVC camera has no automatic gain (and often no automatic iris): "reset to
// defaults" sets every property with the auto flag, and the value must still
// be written where the camera has no automatic mode.
TEST(DirectShowPropertiesWithoutAuto, TheAutoFlagIsIgnoredAndTheValueWritten)
{
    unsetenv("KELVARA_VIRTUAL_CAMERAS");
    SetV4L2EnumerationEnabled(false);
    VirtualDeviceRegistry::Clear();
    VirtualDeviceDescription d;
    d.name = L"UVC Microscope";
    d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 320, 240)};
    d.controls = {
        Control(ControlSet::VideoProcAmp, VideoProcAmp_Gain, 0, 100, 10),
        Control(ControlSet::CameraControl, CameraControl_Iris, 0, 20, 5),
        Control(ControlSet::CameraControl, CameraControl_Exposure, -13, -1, -6, true, false),
    };
    VirtualDeviceRegistry::Add(d);
    CMCameraDirectShow camera{0};
    ASSERT_EQ(camera.Init(nullptr, nullptr, 320, 240), CM_OK);
    const std::pair<int, double> writes[] = {{CM_PROP_GAIN, 40}, {CM_PROP_IRIS, 7}};
    for (const auto& [property, value] : writes) {
        EXPECT_EQ(camera.SetProperty(property, value, 1), CM_OK);
        double got = -1;
        int isAuto = -1;
        EXPECT_EQ(camera.GetProperty(property, &got, &isAuto), CM_OK);
        EXPECT_EQ(got, value) << property;
        EXPECT_EQ(isAuto, 0) << property;
    }
    // Where the camera has the automatic mode, the flag still switches it on.
    EXPECT_EQ(camera.SetProperty(CM_PROP_EXPOSURE, -9, 1), CM_OK);
    double got = 0;
    int isAuto = 0;
    EXPECT_EQ(camera.GetProperty(CM_PROP_EXPOSURE, &got, &isAuto), CM_OK);
    EXPECT_EQ(isAuto, 1);
    camera.Release();
    VirtualDeviceRegistry::Clear();
}

TEST_F(DirectShowProperties, PropertyPagesNeedAPresenter)
{
    EXPECT_EQ(m_camera.HasVideoVideoProperty(), 1);
    EXPECT_NE(m_camera.ShowCameraPropertyPages(nullptr, L"ignored"), CM_OK);

    std::wstring caption;
    size_t controls = 0;
    kelvara::dshow::SetPropertySheetPresenter(
        [&](HWND, const std::wstring& title, std::vector<PropertySheetControl>& list) {
            caption = title;
            controls = list.size();
        });
    EXPECT_EQ(m_camera.ShowCameraPropertyPages(nullptr, L"ignored"), CM_OK);
    EXPECT_EQ(caption, L"Adjustable Microscope");
    EXPECT_EQ(controls, 5u);

    m_camera.Release();
    EXPECT_NE(m_camera.ShowCameraPropertyPages(nullptr, L"ignored"), CM_OK);
}
