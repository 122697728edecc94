#include "camera_module/CMCameraBase.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The smallest complete camera: fixed preview size, optional still path.
class PlainCamera : public CMCameraBase
{
public:
    bool hasStill = false;
    int previewCalls = 0;
    int stillCalls = 0;

    int GetSupportedPreviewSizes(std::vector<tagSIZE>*) override { return 0; }
    int GetPreviewImageSize(int* w, int* h) override
    {
        *w = 640;
        *h = 480;
        return 0;
    }
    int SetPreviewImageSize(int, int) override { return 0; }
    std::vector<int> GetSupportedImageFormats() override { return {CM_FMT_YUY2}; }
    int GetImageFormat(int* f) override
    {
        *f = CM_FMT_YUY2;
        return 0;
    }
    int SetImageFormat(int) override { return 0; }
    bool IsSupportStillCapture() override { return hasStill; }
    int GetStillImageSize(int& w, int& h) override
    {
        w = 2048;
        h = 1536;
        return 0;
    }

protected:
    int GetPreviewImage(tagCMImage*) override { return ++previewCalls, 11; }
    int GetStillImage(tagCMImage*) override { return ++stillCalls, 12; }
};

}  // namespace

TEST(CMCameraBase, SoftwarePropertiesAreAnsweredByTheBase)
{
    PlainCamera camera;
    for (int property :
        {CM_PROP_SOFT_RED, CM_PROP_SOFT_GREEN, CM_PROP_SOFT_BLUE, CM_PROP_MIRROR, CM_PROP_FLIP})
        EXPECT_TRUE(camera.IsPropertySupport(property)) << property;
    for (int property :
        std::vector<int>{CM_PROP_BRIGHTNESS, CM_PROP_GAIN, CM_PROP_EXPOSURE, CM_PROP_CONTROL13, 25, -1})
        EXPECT_FALSE(camera.IsPropertySupport(property)) << property;

    double min = -7, max = -7, def = -7;
    int digits = -7;
    EXPECT_EQ(camera.GetPropertyRange(CM_PROP_SOFT_GREEN, &min, &max, &def, &digits), 0);
    EXPECT_EQ(min, 0.0);
    EXPECT_EQ(max, 255.0);
    EXPECT_EQ(def, 0.0);
    EXPECT_EQ(digits, -7);

    // Mirror and flip have a value but no range.
    min = max = def = -7;
    for (int property : {CM_PROP_MIRROR, CM_PROP_FLIP, CM_PROP_GAIN}) {
        EXPECT_EQ(camera.GetPropertyRange(property, &min, &max, &def, &digits), CM_ERR_NOT_SUPPORTED);
        EXPECT_EQ(min, -7.0);
    }
}

TEST(CMCameraBase, SetThenGetSoftwareValues)
{
    struct Case
    {
        int property;
        double set;
        double expected;
    };
    const Case cases[] = {
        {CM_PROP_SOFT_RED, 300.0, 44.0},  // truncated to 8 bits, not clamped
        {CM_PROP_SOFT_GREEN, 12.9, 12.0},
        {CM_PROP_SOFT_BLUE, 255.0, 255.0},
        {CM_PROP_SOFT_BLUE, -1.0, 255.0},
        {CM_PROP_SOFT_RED, 1e300, 0.0},  // no undefined conversion
        {CM_PROP_MIRROR, 1.0, 1.0},
        {CM_PROP_MIRROR, 0.0, 0.0},
        {CM_PROP_FLIP, 0.5, 1.0},
        {CM_PROP_FLIP, -3.0, 0.0},
    };
    PlainCamera camera;
    for (const Case& c : cases) {
        EXPECT_EQ(camera.SetProperty(c.property, c.set, 0), 0);
        double value = -1;
        int isAuto = 42;
        EXPECT_EQ(camera.GetProperty(c.property, &value, &isAuto), 0);
        EXPECT_EQ(value, c.expected) << c.property << " set to " << c.set;
        EXPECT_EQ(isAuto, 42);  // auto is not written
    }

    double value = -1;
    EXPECT_EQ(camera.SetProperty(CM_PROP_BRIGHTNESS, 3, 0), CM_ERR_NOT_SUPPORTED);
    EXPECT_EQ(camera.GetProperty(CM_PROP_BRIGHTNESS, &value, nullptr), CM_ERR_NOT_SUPPORTED);
    EXPECT_EQ(value, -1.0);
}

TEST(CMCameraBase, UnsupportedOperationsWriteNothing)
{
    PlainCamera camera;
    int a = 5, b = 6;
    double x = 7, y = 8;
    EXPECT_EQ(camera.GetFrameRate(&a), 0);
    EXPECT_EQ(camera.GetFrameRateRange(&a, &b), 0);
    EXPECT_EQ(camera.GetFrameRateDefault(&b), 0);
    EXPECT_EQ(camera.GetLongExposureRange(&x, &y), 0);
    EXPECT_EQ(camera.GetLongExposure(&a, &y), 0);
    EXPECT_EQ(camera.GetLongExposureDefault(&x), 0);
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, 6);
    EXPECT_EQ(x, 7.0);
    EXPECT_EQ(y, 8.0);

    std::vector<tagSIZE> sizes;
    EXPECT_EQ(camera.GetSupportedStillCaptureSizes(&sizes), CM_ERR_NOT_SUPPORTED);
    EXPECT_TRUE(sizes.empty());
    wchar_t text[8] = L"keep";
    EXPECT_EQ(camera.GetPropertyUnit(CM_PROP_EXPOSURE, text, 8), CM_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(camera.GetPropertyAlias(CM_PROP_EXPOSURE, 1.0, text, 8), CM_ERR_NOT_IMPLEMENTED);
    EXPECT_STREQ(text, L"keep");
    EXPECT_EQ(camera.SetStillImageSize(1, 1), CM_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(camera.GetFrameRate(), 0.0f);  // no full second measured yet
}

TEST(CMCameraBase, SnapTakesTheStillPathOnlyWhenThereIsOne)
{
    PlainCamera camera;
    tagCMImage image{};
    EXPECT_EQ(camera.Snap(&image), 11);
    EXPECT_EQ(camera.GetSnapImageSize(), 640L * 480 * 3);
    camera.hasStill = true;
    EXPECT_EQ(camera.Snap(&image), 12);
    EXPECT_EQ(camera.GetSnapImageSize(), 2048L * 1536 * 3);
    EXPECT_EQ(camera.previewCalls, 1);
    EXPECT_EQ(camera.stillCalls, 1);
}

TEST(CMCameraBase, PlayPauseAndDeviceRecord)
{
    PlainCamera camera;
    EXPECT_EQ(camera.IsPaused(), 0);
    EXPECT_EQ(camera.Pause(), 0);
    EXPECT_EQ(camera.IsPaused(), 1);
    EXPECT_EQ(camera.Play(), 0);
    EXPECT_EQ(camera.IsPaused(), 0);

    struct Case
    {
        int vid, pid;
        bool network;
    };
    for (const Case& c : {Case{0xFFFF, 0xFFFF, true}, Case{0xFFFF, 0xFFFE, false}, Case{0xFFFF, 0, false},
             Case{0, 0xFFFF, false}, Case{0x04F2, 0xA14B, false}}) {
        _tag_VideoDeviceInfo info{};
        wcscpy(info.name, L"Microscope");
        info.vid = c.vid;
        info.pid = c.pid;
        camera.SetDeviceInfo(info);
        EXPECT_EQ(camera.IsNetworkCamera(), c.network) << std::hex << c.vid << ":" << c.pid;
        EXPECT_STREQ(camera.GetDeviceInfo().name, L"Microscope");
    }
}
