#include "camera_module/SoftAdjust.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A format-2 image whose pixel (x, y) holds bytes {x, y, 10 * x + y, 200}.
struct TestImage
{
    std::vector<uint8_t> bytes;
    tagCMImage record{};

    TestImage(int width, int height, int format = CM_FMT_RGB32)
        : bytes(static_cast<size_t>(width) * height * 4)
    {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint8_t* px = &bytes[(static_cast<size_t>(y) * width + x) * 4];
                px[0] = static_cast<uint8_t>(x);
                px[1] = static_cast<uint8_t>(y);
                px[2] = static_cast<uint8_t>(10 * x + y);
                px[3] = 200;
            }
        }
        record = {format, width, height, 0, bytes.data(), static_cast<int>(bytes.size()), 0};
    }
    const uint8_t* At(int x, int y) const { return &bytes[(static_cast<size_t>(y) * record.width + x) * 4]; }
};

}  // namespace

TEST(SoftAdjust, FlipMirrorAndOffsetsCombine)
{
    TestImage image(3, 3, CM_FMT_ARGB32);
    SoftAdjust adjust;
    adjust.flipVertical = 1;
    adjust.mirror = 1;
    adjust.blueOffset = 250;  // saturates for x >= 6
    adjust.redOffset = 1;
    adjust.Apply(&image.record);
    // Pixel (0, 0) now holds what was at (2, 2).
    EXPECT_EQ(image.At(0, 0)[0], 252);
    EXPECT_EQ(image.At(0, 0)[1], 2);  // green offset 0 leaves the byte alone
    EXPECT_EQ(image.At(0, 0)[2], 23);
    EXPECT_EQ(image.At(0, 0)[3], 200);  // byte 3 is never touched
    EXPECT_EQ(image.At(2, 1)[0], 250);
    EXPECT_EQ(image.At(2, 1)[1], 1);
    EXPECT_EQ(image.At(1, 2)[2], 11);
}

TEST(SoftAdjust, OffsetsSaturateAt255)
{
    TestImage image(1, 1);
    image.bytes = {10, 100, 250, 0};
    SoftAdjust adjust;
    adjust.blueOffset = 255;
    adjust.greenOffset = 100;
    adjust.redOffset = 10;
    adjust.Apply(&image.record);
    EXPECT_EQ(image.bytes, (std::vector<uint8_t>{255, 200, 255, 0}));
}

TEST(SoftAdjust, LeavesImagesItMustNotTouchUnchanged)
{
    struct Case
    {
        const char* what;
        int width, height, format, dataSizeDelta;
        bool flip, mirror;
    };
    const Case cases[] = {
        {"one row flipped", 4, 1, CM_FMT_RGB32, 0, true, false},
        {"format 1 (24-bit)", 4, 4, CM_FMT_RGB24, 0, true, true},
        {"MJPG", 4, 4, CM_FMT_MJPG, 0, true, true},
        {"dataSize one byte short", 4, 4, CM_FMT_RGB32, -1, true, true},
    };
    for (const Case& c : cases) {
        TestImage image(c.width, c.height, c.format);
        image.record.dataSize += c.dataSizeDelta;
        const std::vector<uint8_t> before = image.bytes;
        SoftAdjust adjust;
        adjust.flipVertical = c.flip;
        adjust.mirror = c.mirror;
        adjust.greenOffset = c.format == CM_FMT_RGB32 && c.dataSizeDelta == 0 ? 0 : 7;
        adjust.Apply(&image.record);
        EXPECT_EQ(image.bytes, before) << c.what;
    }
}

TEST(SoftAdjust, OddHeightFlipKeepsTheMiddleRow)
{
    TestImage image(2, 3);
    SoftAdjust adjust;
    adjust.flipVertical = 1;
    adjust.Apply(&image.record);
    EXPECT_EQ(image.At(0, 0)[1], 2);
    EXPECT_EQ(image.At(1, 1)[1], 1);
    EXPECT_EQ(image.At(1, 2)[1], 0);
}
