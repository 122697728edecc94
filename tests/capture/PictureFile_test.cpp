// Pictures opened for measuring: pixels as other programs wrote them, and the
// pixel size those programs recorded (files made by ImageMagick here, not by
// this program).
#include "app/capture/PictureFile.h"
#include "app/capture/StillPictureWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace kelvara::capture {
namespace {

class PictureFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (std::system("command -v convert > /dev/null 2>&1") != 0)
            GTEST_SKIP() << "ImageMagick's convert is missing";
        m_dir = std::filesystem::temp_directory_path() / ("picturefile-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    // A 64 x 48 picture, red left half, blue right half, written by convert with options.
    std::string Make(const std::string& name, const std::string& options)
    {
        const std::string path = (m_dir / name).string();
        const std::string command = "convert -size 32x48 xc:'#FF0000' -size 32x48 xc:'#0000FF' +append "
            + options + " '" + path + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }

    std::filesystem::path m_dir;
};

TEST_F(PictureFileTest, ReadsThePixelsOfEveryFormat)
{
    for (const char* name : {"a.tif", "a.png", "a.bmp", "a.jpg"}) {
        const std::string path = Make(name, "");
        std::vector<uint8_t> rgba;
        int width = 0;
        int height = 0;
        PictureFileScale scale;
        ASSERT_TRUE(LoadPictureFile(path, &rgba, &width, &height, &scale)) << name;
        EXPECT_EQ(width, 64);
        EXPECT_EQ(height, 48);
        ASSERT_EQ(rgba.size(), 64u * 48 * 4);
        // R, G, B, A order: red at the left, blue at the right (JPEG within its loss).
        const uint8_t* left = &rgba[(10 * 64 + 5) * 4];
        const uint8_t* right = &rgba[(10 * 64 + 60) * 4];
        EXPECT_GT(left[0], 200) << name;
        EXPECT_LT(left[2], 60) << name;
        EXPECT_GT(right[2], 200) << name;
        EXPECT_LT(right[0], 60) << name;
        EXPECT_EQ(left[3], 255) << name;
        EXPECT_EQ(scale.unit, 0) << name << ": no scale recorded";
    }
}

TEST_F(PictureFileTest, TakesThePixelSizeTheFileRecords)
{
    struct Case
    {
        const char* name;
        const char* options;
        int unit;
        double unitsPerPixel;
    };
    const Case cases[] = {
        // 40 pixels per centimetre = 250 um per pixel.
        {"cm.png", "-units PixelsPerCentimeter -density 40", 3, 250.0},
        {"cm.jpg", "-units PixelsPerCentimeter -density 40", 3, 250.0},
        {"cm.tif", "-units PixelsPerCentimeter -density 40", 3, 250.0},
        // PNG and JPEG name no unit: micrometres below a millimetre per pixel, else millimetres.
        {"um.png", "-units PixelsPerCentimeter -density 20", 3, 500.0},
        {"mm.png", "-units PixelsPerCentimeter -density 5", 2, 2.0},
        // Inches, but not a print density.
        {"in.jpg", "-units PixelsPerInch -density 1000", 4, 0.001},
        {"in.tif", "-units PixelsPerInch -density 1000", 4, 0.001},
        // Print densities say nothing about the object.
        {"print.jpg", "-units PixelsPerInch -density 300", 0, 0},
        {"print.tif", "-units PixelsPerInch -density 72", 0, 0},
        // An ImageJ description names the unit of the resolution.
        {"imagej.tif", "-units Undefined -density 4 -set comment 'ImageJ=1.54f\nunit=micron\n'", 3, 0.25},
        {"imagejmm.tif", "-units Undefined -density 2 -set comment 'ImageJ=1.54f\nunit=mm\n'", 2, 0.5},
        // With a resolution in centimetres the description only names the unit shown.
        {"imagejcm.tif", "-units PixelsPerCentimeter -density 40000 -set comment 'ImageJ=1.54f\nunit=um\n'",
            3, 0.25},
    };
    for (const Case& c : cases) {
        const std::string path = Make(c.name, c.options);
        std::vector<uint8_t> rgba;
        int width = 0;
        int height = 0;
        PictureFileScale scale;
        ASSERT_TRUE(LoadPictureFile(path, &rgba, &width, &height, &scale)) << c.name;
        EXPECT_EQ(scale.unit, c.unit) << c.name;
        EXPECT_NEAR(scale.unitsPerPixel, c.unitsPerPixel, c.unitsPerPixel * 1e-3) << c.name;
    }
}

// Metres per unit of the calibration codes.
double Metres(int unit)
{
    const double metres[] = {0, 1e-2, 1e-3, 1e-6, 0.0254, 0.0254e-6};
    return unit > 0 && unit < 6 ? metres[unit] : 0;
}

TEST_F(PictureFileTest, OwnStillsComeBackWithThePixelSizeTheyWereSavedWith)
{
    std::vector<uint8_t> bgra(40 * 30 * 4, 128);
    for (int unit = 1; unit <= 5; ++unit) {
        const double value = unit == 5 ? 2500.0 : unit == 4 ? 0.001 : unit == 3 ? 0.37 : 0.005;
        for (const char* extension : {".tif", ".png", ".jpg"}) {
            const std::string path = (m_dir / ("own" + std::to_string(unit) + extension)).string();
            const PictureScale scale{value, unit};
            ASSERT_TRUE(WriteStillPicture(path, bgra.data(), 40, 30, &scale)) << path;
            std::vector<uint8_t> rgba;
            int width = 0;
            int height = 0;
            PictureFileScale read;
            ASSERT_TRUE(LoadPictureFile(path, &rgba, &width, &height, &read)) << path;
            ASSERT_NE(read.unit, 0) << path;
            // JPEG densities are whole dots per centimetre or inch.
            const double tolerance = std::string(extension) == ".jpg" ? 0.02 : 1e-3;
            EXPECT_NEAR(read.unitsPerPixel * Metres(read.unit) / (value * Metres(unit)), 1.0, tolerance)
                << path;
            // TIFF keeps the unit itself.
            if (std::string(extension) == ".tif") {
                EXPECT_EQ(read.unit, unit) << path;
            }
        }
    }
}

TEST_F(PictureFileTest, DamagedAndForeignFilesAreRefusedWithAReason)
{
    const std::string good = Make("good.png", "");
    std::ifstream in(good, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string damaged = (m_dir / "damaged.png").string();
    std::ofstream(damaged, std::ios::binary) << bytes.substr(0, 40);
    const std::string text = (m_dir / "notes.png").string();
    std::ofstream(text) << "not a picture at all\n";
    const std::string empty = (m_dir / "empty.jpg").string();
    std::ofstream{empty};
    for (const std::string& path : {damaged, text, empty, (m_dir / "missing.tif").string()}) {
        std::vector<uint8_t> rgba;
        int width = -1;
        int height = -1;
        std::string error;
        EXPECT_FALSE(LoadPictureFile(path, &rgba, &width, &height, nullptr, &error)) << path;
        EXPECT_FALSE(error.empty()) << path;
    }
    // Scale readers never read past the end of a cut-off file.
    for (size_t n = 0; n < bytes.size(); n += 7)
        EXPECT_EQ(ReadPictureScale(bytes.substr(0, n)).unit, 0);
    const std::string tiff = Make("cut.tif", "-units PixelsPerCentimeter -density 40");
    std::ifstream tin(tiff, std::ios::binary);
    std::string tbytes((std::istreambuf_iterator<char>(tin)), std::istreambuf_iterator<char>());
    for (size_t n = 0; n < tbytes.size(); n += 5)
        ReadPictureScale(tbytes.substr(0, n));
}

}  // namespace
}  // namespace kelvara::capture
