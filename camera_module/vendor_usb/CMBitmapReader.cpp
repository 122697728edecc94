// 24-bit BMP reader for pictures the vendor SDK writes.

#include "camera_module/vendor_usb/CMBitmapReader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxSide = 16384;

uint32_t Get32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t Get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

struct FileCloser
{
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool ReadBitmap24(const std::string& path, tagCMImage* image)
{
    if (!image)
        return false;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    uint8_t header[54];
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header)
        return false;
    if (header[0] != 'B' || header[1] != 'M')
        return false;
    const uint32_t dataOffset = Get32(header + 10);
    const uint32_t infoSize = Get32(header + 14);
    const int32_t width = static_cast<int32_t>(Get32(header + 18));
    const int32_t signedHeight = static_cast<int32_t>(Get32(header + 22));
    const uint16_t bitCount = Get16(header + 28);
    const uint32_t compression = Get32(header + 30);
    if (infoSize < 40 || dataOffset < 14 + infoSize || bitCount != 24 || compression != 0)
        return false;
    if (width <= 0 || width > kMaxSide || signedHeight == 0 || signedHeight < -kMaxSide
        || signedHeight > kMaxSide)
        return false;
    const int height = signedHeight < 0 ? -signedHeight : signedHeight;

    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const size_t stride = (rowBytes + 3) & ~static_cast<size_t>(3);
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return false;
    const long fileSize = std::ftell(file.get());
    if (fileSize < 0 || static_cast<uint64_t>(fileSize) < dataOffset + static_cast<uint64_t>(stride) * height)
        return false;  // shorter than its header says
    if (std::fseek(file.get(), static_cast<long>(dataOffset), SEEK_SET) != 0)
        return false;

    const size_t bytes = rowBytes * static_cast<size_t>(height);
    std::unique_ptr<unsigned char[]> data(new unsigned char[bytes]);
    std::vector<unsigned char> row(stride);
    for (int y = 0; y < height; ++y) {
        if (std::fread(row.data(), 1, stride, file.get()) != stride)
            return false;
        std::copy(row.begin(), row.begin() + static_cast<long>(rowBytes), data.get() + rowBytes * y);
    }
    image->format = CM_FMT_RGB24;
    image->width = width;
    image->height = height;
    image->bottomUp = signedHeight > 0 ? 1 : 0;  // a negative height stores the top row first
    image->data = data.release();
    image->dataSize = static_cast<int>(bytes);
    image->bufferSize = 0;
    return true;
}
