// Stills with a physical pixel size, read back by libtiff's tiffinfo,
// ImageMagick, ImageJ and chunk readers of the test's own; and stills without
// one, exactly as they were.
#include "app/capture/StillPictureWriter.h"
#include "tests/capture/PictureMetadataProbe.h"
#include "tests/capture/RecorderTestProbe.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdlib.h>

using namespace kelvara;
using kelvara::capture::PictureScale;
using kelvara::capture::WriteStillPicture;

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;

// B,G,R,A with every pixel different enough to see a shifted or swapped one.
std::vector<uint8_t> TestPicture()
{
    std::vector<uint8_t> bgra(size_t(kWidth) * kHeight * 4);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &bgra[(size_t(y) * kWidth + x) * 4];
            p[0] = uint8_t(x * 2);
            p[1] = uint8_t(y * 3);
            p[2] = uint8_t(200 - x - y);
            p[3] = 255;
        }
    return bgra;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Close(double actual, double expected, double relative = 1e-6)
{
    return std::fabs(actual - expected) <= relative * std::fabs(expected);
}

class StillPictureWriterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kelvara-still-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { RunCommand("rm -rf " + ShellQuote(m_dir)); }

    std::string Write(const std::string& name, const PictureScale* scale)
    {
        const std::string path = m_dir + "/" + name;
        EXPECT_TRUE(WriteStillPicture(path, m_picture.data(), kWidth, kHeight, scale)) << name;
        return path;
    }

    // The file decodes to the test picture (JPEG: to what the same JPEG
    // without a pixel size decodes to).
    void ExpectSamePixels(const std::string& path, const cv::Mat& expected)
    {
        const cv::Mat decoded = cv::imread(path, cv::IMREAD_COLOR);
        ASSERT_EQ(decoded.size(), expected.size()) << path;
        EXPECT_EQ(cv::norm(decoded, expected, cv::NORM_INF), 0.0) << path;
    }

    cv::Mat Bgr()
    {
        cv::Mat bgr;
        cv::cvtColor(cv::Mat(kHeight, kWidth, CV_8UC4, m_picture.data()), bgr, cv::COLOR_BGRA2BGR);
        return bgr;
    }

    std::string m_dir;
    std::vector<uint8_t> m_picture = TestPicture();
};

struct UnitCase
{
    const char* name;
    PictureScale scale;
    // What the readers should find.
    uint32_t pngPerMetre;
    int jfifUnits;  // 1 per inch, 2 per cm
    int jfifDensity;
    double bmpPerCentimetre;  // identify reports BMP densities per centimetre
    double tiffPerUnit;
    const char* tiffUnit;  // as tiffinfo prints it
    const char* imageJUnit;  // in the description
};

const UnitCase kUnits[] = {
    {"cm", {0.002, 1}, 50000, 2, 500, 500, 500, "pixels/cm", "cm"},
    {"mm", {0.004, 2}, 250000, 2, 2500, 2500, 250, "unitless", "mm"},
    {"um", {0.5, 3}, 2000000, 2, 20000, 20000, 20000, "pixels/cm", "um"},
    {"in", {0.001, 4}, 39370, 1, 1000, 393.70, 1000, "pixels/inch", "inch"},
    {"uin", {40, 5}, 984252, 1, 25000, 9842.52, 0.025, "unitless", "uin"},
};

TEST_F(StillPictureWriterTest, EveryFormatCarriesThePixelSizeForOtherTools)
{
    const std::string plainJpeg = Write("plain.jpg", nullptr);
    const cv::Mat plainJpegPixels = cv::imread(plainJpeg, cv::IMREAD_COLOR);
    for (const UnitCase& c : kUnits) {
        SCOPED_TRACE(c.name);
        const std::string base = std::string("still-") + c.name;

        const std::string png = Write(base + ".png", &c.scale);
        const PngPhys phys = ReadPngPhys(png);
        ASSERT_TRUE(phys.found);
        EXPECT_TRUE(phys.crcOk);
        EXPECT_EQ(phys.x, c.pngPerMetre);
        EXPECT_EQ(phys.y, c.pngPerMetre);
        EXPECT_EQ(phys.unit, 1);
        const IdentifyResolution pngSeen = Identify(png);  // libpng drops a pHYs with a bad CRC
        EXPECT_EQ(pngSeen.unit, "PixelsPerCentimeter");
        EXPECT_TRUE(Close(pngSeen.x, c.pngPerMetre / 100.0, 1e-3)) << pngSeen.x;
        ExpectSamePixels(png, Bgr());

        const std::string jpeg = Write(base + ".jpg", &c.scale);
        const IdentifyResolution jpegSeen = Identify(jpeg);
        EXPECT_EQ(jpegSeen.unit, c.jfifUnits == 1 ? "PixelsPerInch" : "PixelsPerCentimeter");
        EXPECT_EQ(jpegSeen.x, c.jfifDensity);
        EXPECT_EQ(jpegSeen.y, c.jfifDensity);
        ExpectSamePixels(jpeg, plainJpegPixels);

        const std::string bmp = Write(base + ".bmp", &c.scale);
        const IdentifyResolution bmpSeen = Identify(bmp);
        EXPECT_EQ(bmpSeen.unit, "PixelsPerCentimeter");
        EXPECT_TRUE(Close(bmpSeen.x, c.bmpPerCentimetre, 1e-3)) << bmpSeen.x;
        EXPECT_TRUE(Close(bmpSeen.y, c.bmpPerCentimetre, 1e-3)) << bmpSeen.y;
        ExpectSamePixels(bmp, Bgr());

        for (const char* extension : {".tif", ".TIFF"}) {
            const std::string tiff = Write(base + extension, &c.scale);
            const TiffInfo info = ReadTiffInfo(tiff);
            ASSERT_TRUE(info.ok);
            EXPECT_TRUE(Close(info.x, c.tiffPerUnit)) << info.x;
            EXPECT_TRUE(Close(info.y, c.tiffPerUnit)) << info.y;
            EXPECT_EQ(info.unit, c.tiffUnit);
            EXPECT_EQ(info.description, std::string("ImageJ=1.54f\nunit=") + c.imageJUnit + "\n");
            ExpectSamePixels(tiff, Bgr());
        }
    }
}

// Densities of 16 bits (JFIF) and whole pixels per metre (PNG) hold the
// nearest value they can; TIFF keeps the exact one.
TEST_F(StillPictureWriterTest, SizesBeyondAFieldAreHeldToItsLimits)
{
    const PictureScale tiny{0.1, 3};  // 100000 pixels per cm
    EXPECT_EQ(ReadJfifDensity(Write("tiny.jpg", &tiny)).x, 65535);
    EXPECT_EQ(ReadPngPhys(Write("tiny.png", &tiny)).x, 10000000u);
    EXPECT_TRUE(Close(ReadTiffInfo(Write("tiny.tif", &tiny)).x, 100000));

    const PictureScale microInch{1, 5};  // a million dots per inch
    const JfifDensity perInch = ReadJfifDensity(Write("uin.jpg", &microInch));
    EXPECT_EQ(perInch.units, 1);
    EXPECT_EQ(perInch.x, 65535);

    const PictureScale huge{300, 1};  // 3 m per pixel
    const JfifDensity coarse = ReadJfifDensity(Write("huge.jpg", &huge));
    EXPECT_EQ(coarse.units, 2);
    EXPECT_EQ(coarse.x, 1);
    EXPECT_EQ(ReadPngPhys(Write("huge.png", &huge)).x, 1u);
    // tiffinfo prints six digits.
    EXPECT_TRUE(Close(ReadTiffInfo(Write("huge.tif", &huge)).x, 1.0 / 300, 1e-5));

    const PictureScale odd{0.37, 3};
    EXPECT_TRUE(Close(ReadTiffInfo(Write("odd.tif", &odd)).x, 1e4 / 0.37));
}

// Without a usable pixel size a still is byte for byte what OpenCV encodes,
// with no resolution of its own.
TEST_F(StillPictureWriterTest, WithoutAPixelSizeStillsAreUnchanged)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const PictureScale unusable[]
        = {{0.5, 0}, {nan, 3}, {infinity, 3}, {-0.5, 3}, {0, 3}, {0.5, 6}, {0.5, -1}};
    struct Format
    {
        const char* extension;
        std::vector<int> parameters;
    };
    const Format formats[] = {{".png", {cv::IMWRITE_PNG_COMPRESSION, 6}},
        {".jpg", {cv::IMWRITE_JPEG_QUALITY, 90}}, {".bmp", {}}, {".tif", {}}};
    for (const Format& format : formats) {
        SCOPED_TRACE(format.extension);
        std::vector<uchar> encoded;
        ASSERT_TRUE(cv::imencode(format.extension, Bgr(), encoded, format.parameters));
        const std::string plain = Write(std::string("plain") + format.extension, nullptr);
        EXPECT_EQ(ReadBytes(plain), encoded);
        for (size_t i = 0; i < std::size(unusable); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(ReadBytes(Write(std::to_string(i) + format.extension, &unusable[i])), encoded);
        }
    }
    EXPECT_FALSE(ReadPngPhys(m_dir + "/plain.png").found);
    const JfifDensity density = ReadJfifDensity(m_dir + "/plain.jpg");
    EXPECT_EQ(density.units, 0);
    EXPECT_EQ(density.x, 1);
    const TiffInfo info = ReadTiffInfo(m_dir + "/plain.tif");
    EXPECT_TRUE(info.ok);
    EXPECT_EQ(info.unit, "");
    EXPECT_EQ(info.description, "");

    // A TIFF with a pixel size fails as any other still: nothing is left.
    const PictureScale scale{0.5, 3};
    EXPECT_FALSE(WriteStillPicture(m_dir + "/missing/still.tif", m_picture.data(), kWidth, kHeight, &scale));
    EXPECT_EQ(RunCommand("ls -A " + ShellQuote(m_dir) + " | grep -c missing"), "0\n");
}

TEST_F(StillPictureWriterTest, ImageJReadsThePixelSizeOfEveryUnit)
{
    const std::string missing = ImageJMissing();
    if (!missing.empty())
        GTEST_SKIP() << missing;
    // getPixelSize's names: ImageJ says "inches" for "inch".
    const char* const expectedUnits[] = {"cm", "mm", "um", "inches", "uin"};
    std::vector<std::string> paths;
    for (const UnitCase& c : kUnits)
        paths.push_back(Write(std::string("ij-") + c.name + ".tif", &c.scale));
    const std::vector<ImageJPicture> pictures = ReadWithImageJ(paths, m_dir);
    for (size_t i = 0; i < std::size(kUnits); ++i) {
        SCOPED_TRACE(kUnits[i].name);
        const ImageJPicture& p = pictures[i];
        EXPECT_EQ(p.unit, expectedUnits[i]);
        EXPECT_TRUE(Close(p.pixelWidth, kUnits[i].scale.unitsPerPixel)) << p.pixelWidth;
        EXPECT_TRUE(Close(p.pixelHeight, kUnits[i].scale.unitsPerPixel)) << p.pixelHeight;
        EXPECT_EQ(p.width, kWidth);
        EXPECT_EQ(p.height, kHeight);
        EXPECT_EQ(p.red, m_picture[2]);
        EXPECT_EQ(p.green, m_picture[1]);
        EXPECT_EQ(p.blue, m_picture[0]);
    }
}

}  // namespace
