#include "camera_module/wireless/CMCameraWMPBox.h"

#include "tests/support/wireless/SimulatorProcess.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

namespace {

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

class WMPBoxWithSimulator : public ::testing::Test
{
protected:
    void Open(const std::vector<std::string>& options = {})
    {
        m_simulator = std::make_unique<SimulatorProcess>(options);
        ASSERT_TRUE(m_simulator->Started());
        m_camera = std::make_unique<CMCameraWMPBox>(Wide(m_simulator->Address()).c_str());
        ASSERT_EQ(m_camera->Init(nullptr, nullptr, 800, 600), CM_OK);
    }
    void TearDown() override
    {
        if (m_camera)
            m_camera->Release();
    }
    std::unique_ptr<SimulatorProcess> m_simulator;
    std::unique_ptr<CMCameraWMPBox> m_camera;
};

}  // namespace

TEST(CMCameraWMPBox, IsANetworkCameraNamedWireless)
{
    CMCameraWMPBox camera(L"192.168.100.200:39610/extra");
    _tag_VideoDeviceInfo info = camera.GetDeviceInfo();
    EXPECT_STREQ(info.name, L"Wireless");
    EXPECT_STREQ(info.address, L"192.168.100.200:396");  // cut to 19 characters
    EXPECT_EQ(info.number, 0);
    EXPECT_TRUE(camera.IsNetworkCamera());
    EXPECT_TRUE(camera.IsSupportStillCapture());
    EXPECT_FALSE(camera.IsOptionSupported(0));
}

TEST(CMCameraWMPBox, InitFailsCleanlyWithoutACamera)
{
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.Started());
    std::wstring nobody
        = L"127.0.0.1:" + std::to_wstring(simulator.DiscoveryPort());  // a UDP port: no TCP there
    for (const std::wstring& address : {std::wstring(), nobody, std::wstring(L"127.0.0.\u00e91")}) {
        CMCameraWMPBox camera(address.c_str());
        EXPECT_EQ(camera.Init(nullptr, nullptr, 800, 600), CM_ERR_OPEN);
        std::vector<tagSIZE> sizes;
        EXPECT_EQ(camera.GetSupportedPreviewSizes(&sizes), CM_OK);
        EXPECT_TRUE(sizes.empty());
        int width = 0, height = 0;
        EXPECT_EQ(camera.GetPreviewImageSize(&width, &height), CM_ERR_FAILED);
        EXPECT_EQ(camera.Release(), CM_OK);
    }
    // A released camera cannot be opened again.
    CMCameraWMPBox camera(Wide(simulator.Address()).c_str());
    ASSERT_EQ(camera.Init(nullptr, nullptr, 800, 600), CM_OK);
    EXPECT_EQ(camera.Init(nullptr, nullptr, 800, 600), CM_ERR_OPEN);  // already open
    EXPECT_EQ(camera.Release(), CM_OK);
    EXPECT_EQ(camera.Init(nullptr, nullptr, 800, 600), CM_ERR_OPEN);
}

TEST_F(WMPBoxWithSimulator, SizesAndFormatsComeFromTheCamera)
{
    Open({"--sizes",
        "160x120,176x144,320x240,352x288,640x360,640x480,800x600,1024x768,1280x720,1280x960,1600x1200,"
        "1920x1080"});
    std::vector<tagSIZE> sizes;
    ASSERT_EQ(m_camera->GetSupportedPreviewSizes(&sizes), CM_OK);
    ASSERT_EQ(sizes.size(), 12u);
    EXPECT_EQ(sizes[0].cx, 160);
    EXPECT_EQ(sizes[11].cy, 1080);
    std::vector<tagSIZE> stillSizes;
    ASSERT_EQ(m_camera->GetSupportedStillCaptureSizes(&stillSizes), CM_OK);
    EXPECT_EQ(stillSizes.size(), 12u);
    EXPECT_EQ(m_camera->GetSupportedPreviewSizes(nullptr), CM_OK);

    EXPECT_EQ(m_camera->GetSupportedImageFormats(), (std::vector<int>{CM_FMT_MJPG, CM_FMT_YUYV}));
    int format = 0;
    ASSERT_EQ(m_camera->GetImageFormat(&format), CM_OK);
    EXPECT_EQ(format, CM_FMT_MJPG);
    EXPECT_EQ(m_camera->SetImageFormat(CM_FMT_MJPG), CM_ERR_FAILED);  // already in use
    EXPECT_EQ(m_camera->SetImageFormat(CM_FMT_YUYV), CM_OK);
    ASSERT_EQ(m_camera->GetImageFormat(&format), CM_OK);
    EXPECT_EQ(format, CM_FMT_YUYV);
    EXPECT_EQ(m_camera->SetImageFormat(CM_FMT_H264), CM_ERR_FAILED);  // the camera refuses it

    EXPECT_EQ(m_camera->SetPreviewImageSize(800, 600), CM_OK);
    EXPECT_EQ(m_camera->SetPreviewImageSize(802, 600), CM_ERR_FAILED);
    int width = 0, height = 0;
    ASSERT_EQ(m_camera->GetPreviewImageSize(&width, &height), CM_OK);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    // The still size follows the preview until one is remembered.
    width = height = 0;
    ASSERT_EQ(m_camera->GetStillImageSize(width, height), CM_OK);
    EXPECT_EQ(width, 800);
    int w = 1280, h = 720;
    EXPECT_EQ(m_camera->RememberStillImageSize(&w, &h), CM_OK);
    ASSERT_EQ(m_camera->GetStillImageSize(width, height), CM_OK);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    EXPECT_EQ(m_camera->GetSnapImageSize(), 1280L * 720 * 3);
}

TEST_F(WMPBoxWithSimulator, PropertiesMapOntoTheVideoControls)
{
    Open();
    struct Case
    {
        tagCMProperty property;
        bool supported;
        int rangeResult;
        double min, max, def;
    };
    // The simulator's controls: 0 brightness -64..64, 2 saturation 0..100,
    // 3 hue -180..180, 4 white balance 2800..6500 (auto), 8 noise 0..10.
    const Case cases[] = {
        {CM_PROP_BRIGHTNESS, true, CM_OK, -64, 64, 0},
        {CM_PROP_HUE, true, CM_OK, -180, 180, 0},
        {CM_PROP_SATURATION, true, CM_OK, 0, 100, 50},
        {CM_PROP_CONTROL13, true, CM_OK, 0, 10, 3},
        {CM_PROP_WB_TEMPERATURE, true, CM_OK, 2800, 6500, 5000},
        {CM_PROP_WHITE_BALANCE, true, CM_ERR_NOT_SUPPORTED, 0, 0, 0},  // auto word; range from the base
        {CM_PROP_RED_GAIN, false, CM_ERR_NOT_SUPPORTED, 0, 0, 0},
        {CM_PROP_AE_TARGET, false, CM_ERR_NOT_SUPPORTED, 0, 0, 0},
        {CM_PROP_SOFT_RED, true, CM_OK, 0, 255, 0},
        {CM_PROP_MIRROR, true, CM_ERR_NOT_SUPPORTED, 0, 0, 0},
        {CM_PROP_COLOR_MODE, false, CM_ERR_NOT_SUPPORTED, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_camera->IsPropertySupport(c.property), c.supported) << c.property;
        double min = 0, max = 0, def = 0;
        int digits = 0;
        EXPECT_EQ(m_camera->GetPropertyRange(c.property, &min, &max, &def, &digits), c.rangeResult)
            << c.property;
        EXPECT_EQ(min, c.min) << c.property;
        EXPECT_EQ(max, c.max) << c.property;
        EXPECT_EQ(def, c.def) << c.property;
    }

    double value = -1;
    int isAuto = -1;
    ASSERT_EQ(m_camera->GetProperty(CM_PROP_CONTROL13, &value, &isAuto), CM_OK);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(isAuto, 0);
    ASSERT_EQ(m_camera->GetProperty(CM_PROP_WHITE_BALANCE, &value, &isAuto), CM_OK);
    EXPECT_EQ(isAuto, 1);

    EXPECT_EQ(m_camera->SetProperty(CM_PROP_BRIGHTNESS, 20.7, 0), CM_OK);
    ASSERT_EQ(m_camera->GetProperty(CM_PROP_BRIGHTNESS, &value, &isAuto), CM_OK);
    EXPECT_EQ(value, 20);
    // Out of int's range: passed on as the largest int, clamped by the camera.
    EXPECT_EQ(m_camera->SetProperty(CM_PROP_BRIGHTNESS, 1e300, 0), CM_OK);
    ASSERT_EQ(m_camera->GetProperty(CM_PROP_BRIGHTNESS, &value, &isAuto), CM_OK);
    EXPECT_EQ(value, 64);
    EXPECT_EQ(m_camera->SetProperty(CM_PROP_EXPOSURE, 0, 1), CM_OK);
    ASSERT_EQ(m_camera->GetProperty(CM_PROP_EXPOSURE, &value, &isAuto), CM_OK);
    EXPECT_EQ(isAuto, 1);

    // Turning automatic white balance off keeps the temperature it had.
    double temperature = 0;
    ASSERT_EQ(m_camera->SetProperty(CM_PROP_WB_TEMPERATURE, 4200, 0), CM_OK);
    ASSERT_EQ(m_camera->SetProperty(CM_PROP_WHITE_BALANCE, 0, 1), CM_OK);
    ASSERT_EQ(m_camera->GetProperty(CM_PROP_WB_TEMPERATURE, &temperature, &isAuto), CM_OK);
    EXPECT_EQ(isAuto, 1);
    ASSERT_EQ(m_camera->SetProperty(CM_PROP_WHITE_BALANCE, 0, 0), CM_OK);
    ASSERT_EQ(m_camera->GetProperty(CM_PROP_WB_TEMPERATURE, &value, &isAuto), CM_OK);
    EXPECT_EQ(isAuto, 0);
    EXPECT_EQ(value, temperature);
    EXPECT_EQ(value, 4200);

    // Properties without a control fall back to the base.
    EXPECT_EQ(m_camera->SetProperty(CM_PROP_MIRROR, 1, 0), CM_OK);
    ASSERT_EQ(m_camera->GetProperty(CM_PROP_MIRROR, &value, &isAuto), CM_OK);
    EXPECT_EQ(value, 1.0);
    EXPECT_EQ(m_camera->SetProperty(CM_PROP_SOFT_GREEN, 300, 0), CM_OK);
    ASSERT_EQ(m_camera->GetProperty(CM_PROP_SOFT_GREEN, &value, &isAuto), CM_OK);
    EXPECT_EQ(value, 44);
    EXPECT_EQ(m_camera->SetProperty(CM_PROP_POWER_FREQ, 1, 0), CM_ERR_NOT_SUPPORTED);
    EXPECT_EQ(m_camera->GetProperty(CM_PROP_RED_GAIN, &value, &isAuto), CM_ERR_NOT_SUPPORTED);
}
