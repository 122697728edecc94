// 24-bit BMP writer.

#include "platform/ywdevsdk/YWBitmapFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace kelvara::ywdevsdk {

namespace {

void Put16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

bool WriteAll(int fd, const uint8_t* data, size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteBitmap24(const std::string& path, const uint8_t* bgr, int width, int height)
{
    if (!bgr || width <= 0 || height <= 0 || width > 65535 || height > 65535)
        return false;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const size_t stride = (rowBytes + 3) & ~static_cast<size_t>(3);
    const size_t imageBytes = stride * static_cast<size_t>(height);
    if (imageBytes + 54 > 0xFFFFFFFFu)
        return false;

    uint8_t header[54] = {};
    header[0] = 'B';
    header[1] = 'M';
    Put32(header + 2, static_cast<uint32_t>(imageBytes + 54));
    Put32(header + 10, 54);
    Put32(header + 14, 40);
    Put32(header + 18, static_cast<uint32_t>(width));
    Put32(header + 22, static_cast<uint32_t>(height));
    Put16(header + 26, 1);
    Put16(header + 28, 24);
    Put32(header + 34, static_cast<uint32_t>(imageBytes));
    Put32(header + 38, 2835);  // 72 dpi
    Put32(header + 42, 2835);

    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, header, sizeof header);
    std::vector<uint8_t> row(stride, 0);
    for (int y = height - 1; ok && y >= 0; --y) {
        const uint8_t* src = bgr + static_cast<size_t>(y) * rowBytes;
        std::copy(src, src + rowBytes, row.begin());
        ok = WriteAll(fd, row.data(), stride);
    }
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

}  // namespace kelvara::ywdevsdk
