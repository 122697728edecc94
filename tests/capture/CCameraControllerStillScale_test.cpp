// Stills snapped through the controller from a virtual camera carry the
// selected calibration's pixel size, fitted to the still's own size.
#include "app/capture/CCameraController.h"
#include "platform/ywdevsdk/YWSimulation.h"
#include "tests/capture/PictureMetadataProbe.h"
#include "tests/capture/RecorderTestProbe.h"
#include "tests/support/directshow/ScopedVirtualDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace kelvara;
using namespace kelvara::dshow;
using kelvara::dshow::testing::ScopedVirtualDevice;

namespace {

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// A camera previewing 320 x 240 whose stills are 640 x 480 (the same shape,
// twice the width) or 400 x 400 (cropped).
class ControllerStillScale : public ::testing::Test
{
protected:
    void SetUp() override
    {
        unsetenv("KELVARA_VIRTUAL_CAMERAS");
        ywdevsdk::SetSimulatedDevices({});
        char pattern[] = "/tmp/kelvara-stillscale-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        VirtualDeviceDescription d = dshow::testing::SmallTestCamera();
        d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_MJPG, 320, 240)};
        d.stillPin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 640, 480),
            FormatRange::Discrete(MEDIASUBTYPE_YUY2, 400, 400)};
        m_device = std::make_unique<ScopedVirtualDevice>(d);
        ASSERT_TRUE(m_controller.OpenCamera(0, 0));
        m_controller.GetCamera()->Play();
    }
    void TearDown() override
    {
        m_controller.CloseCamera();
        m_device.reset();
        ywdevsdk::ResetSimulatedDevices();
        RunCommand("rm -rf " + ShellQuote(m_dir));
    }

    std::string Snap(const std::string& name, int width, int height)
    {
        const std::string path = m_dir + "/" + name;
        m_controller.SetStillImageSize(width, height);
        EXPECT_TRUE(m_controller.SnapToFile(Wide(path).c_str())) << name;
        return path;
    }

    std::string m_dir;
    std::unique_ptr<ScopedVirtualDevice> m_device;
    CCameraController m_controller;
};

TEST_F(ControllerStillScale, StillsCarryThePixelSizeFittedToTheirSize)
{
    m_controller.SetStillScale(0.5, 3, 320, 240);  // 0.5 um per preview pixel

    const TiffInfo twice = ReadTiffInfo(Snap("twice.tif", 640, 480));
    ASSERT_TRUE(twice.ok);
    EXPECT_EQ(twice.unit, "pixels/cm");
    EXPECT_NEAR(twice.x, 40000, 0.01);  // 0.25 um per pixel
    EXPECT_NEAR(twice.y, 40000, 0.01);
    EXPECT_EQ(ReadPngPhys(Snap("twice.png", 640, 480)).x, 4000000u);

    // A cropped still keeps the preview's pixel pitch.
    const TiffInfo cropped = ReadTiffInfo(Snap("cropped.tif", 400, 400));
    EXPECT_NEAR(cropped.x, 20000, 0.01);

    // Within half a percent of the preview's shape counts as the same.
    m_controller.SetStillScale(0.5, 3, 321, 240);
    EXPECT_NEAR(ReadTiffInfo(Snap("near.tif", 640, 480)).x, 1e4 * 640 / (0.5 * 321), 0.1);
    m_controller.SetStillScale(0.5, 3, 324, 240);
    EXPECT_NEAR(ReadTiffInfo(Snap("beyond.tif", 640, 480)).x, 20000, 0.01);

    // Without a calibration, or one in pixels, stills carry no size.
    const std::pair<int, int> cleared[] = {{0, 320}, {3, 0}};  // unit, width
    for (const auto& [unit, width] : cleared) {
        m_controller.SetStillScale(0.5, 3, 320, 240);
        m_controller.SetStillScale(0.5, unit, width, 240);
        const TiffInfo plain = ReadTiffInfo(Snap("plain.tif", 640, 480));
        EXPECT_TRUE(plain.ok);
        EXPECT_EQ(plain.unit, "");
        EXPECT_EQ(plain.description, "");
        EXPECT_FALSE(ReadPngPhys(Snap("plain.png", 640, 480)).found);
    }
}

TEST_F(ControllerStillScale, ImageJSeesTheStillsPixelSize)
{
    const std::string missing = ImageJMissing();
    if (!missing.empty())
        GTEST_SKIP() << missing;
    m_controller.SetStillScale(0.5, 3, 320, 240);
    const std::vector<ImageJPicture> pictures
        = ReadWithImageJ({Snap("twice.tif", 640, 480), Snap("cropped.tif", 400, 400)}, m_dir);
    EXPECT_EQ(pictures[0].unit, "um");
    EXPECT_NEAR(pictures[0].pixelWidth, 0.25, 1e-9);
    EXPECT_NEAR(pictures[0].pixelHeight, 0.25, 1e-9);
    EXPECT_EQ(pictures[0].width, 640);
    EXPECT_EQ(pictures[1].unit, "um");
    EXPECT_NEAR(pictures[1].pixelWidth, 0.5, 1e-9);
    EXPECT_EQ(pictures[1].width, 400);
}

}  // namespace
