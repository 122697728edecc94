#include "camera_module/vendor_usb/CMBitmapReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A 24-bit BMP of width x height whose pixel (x, row) bytes are
// (x, row, 7); rows padded to 4 bytes.
std::vector<uint8_t> Bitmap(int width, int height, int bits = 24)
{
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    const int rows = height < 0 ? -height : height;
    std::vector<uint8_t> b(54 + stride * rows, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<uint32_t>(width));
    Put32(b, 22, static_cast<uint32_t>(height));
    b[26] = 1;
    b[28] = static_cast<uint8_t>(bits);
    for (int r = 0; r < rows; ++r)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &b[54 + r * stride + x * 3];
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(r);
            p[2] = 7;
        }
    return b;
}

class TempFile
{
public:
    explicit TempFile(const std::vector<uint8_t>& bytes)
    {
        char name[] = "/tmp/cmbmp_testXXXXXX";
        const int fd = mkstemp(name);
        m_path = name;
        if (fd >= 0) {
            if (write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
                ADD_FAILURE() << "write failed";
            close(fd);
        }
    }
    ~TempFile() { unlink(m_path.c_str()); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace

TEST(CMBitmapReader, ReadsPaddedRowsPacked)
{
    for (int height : {3, -3}) {
        TempFile file(Bitmap(5, height));  // 15-byte rows padded to 16
        tagCMImage image = {};
        ASSERT_TRUE(ReadBitmap24(file.Path(), &image));
        std::unique_ptr<unsigned char[]> owned(image.data);
        EXPECT_EQ(image.format, CM_FMT_RGB24);
        EXPECT_EQ(image.width, 5);
        EXPECT_EQ(image.height, 3);
        EXPECT_EQ(image.bottomUp, height > 0 ? 1 : 0);
        ASSERT_EQ(image.dataSize, 5 * 3 * 3);
        for (int r = 0; r < 3; ++r)
            for (int x = 0; x < 5; ++x) {
                const unsigned char* p = image.data + (r * 5 + x) * 3;
                EXPECT_EQ(p[0], x);
                EXPECT_EQ(p[1], r);
                EXPECT_EQ(p[2], 7);
            }
    }
}

TEST(CMBitmapReader, RefusesFilesThatDoNotHoldWhatTheySay)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    auto truncated = Bitmap(8, 8);
    truncated.resize(truncated.size() - 1);
    cases.push_back({"shorter than its rows", truncated});
    cases.push_back({"32 bits per pixel", Bitmap(8, 8, 32)});
    auto magic = Bitmap(8, 8);
    magic[0] = 'X';
    cases.push_back({"not a bitmap", magic});
    auto compressed = Bitmap(8, 8);
    compressed[30] = 1;
    cases.push_back({"compressed", compressed});
    auto offset = Bitmap(8, 8);
    Put32(offset, 10, 0xFFFFFF00u);
    cases.push_back({"data beyond the end", offset});
    auto huge = Bitmap(8, 8);
    Put32(huge, 18, 1u << 30);
    cases.push_back({"absurd width", huge});
    auto headerOnly = Bitmap(1, 1);
    headerOnly.resize(40);
    cases.push_back({"header cut short", headerOnly});

    for (const Case& k : cases) {
        TempFile file(k.bytes);
        tagCMImage image = {};
        EXPECT_FALSE(ReadBitmap24(file.Path(), &image)) << k.what;
        EXPECT_EQ(image.data, nullptr) << k.what;
        EXPECT_EQ(image.dataSize, 0) << k.what;
    }
    tagCMImage image = {};
    EXPECT_FALSE(ReadBitmap24("/nonexistent/file.bmp", &image));
}
