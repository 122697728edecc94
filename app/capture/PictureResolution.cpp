#include "app/capture/PictureResolution.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kelvara::capture {

namespace {

constexpr double kMetresPerUnit[] = {0, 0.01, 0.001, 1e-6, 0.0254, 0.0254e-6};
constexpr double kMetresPerInch = 0.0254;
constexpr double kMetresPerCentimetre = 0.01;

double MetresPerPixel(const PictureScale& scale)
{
    return scale.unitsPerPixel * kMetresPerUnit[scale.unit];
}

bool IsInchUnit(int unit)
{
    return unit == 4 || unit == 5;
}

// value rounded and held to [low, high].
uint32_t RoundInto(double value, uint32_t low, uint32_t high)
{
    if (!(value >= low))
        return low;
    if (value >= high)
        return high;
    return static_cast<uint32_t>(std::lround(value));
}

uint32_t ReadBigEndian32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void PutBigEndian32(uint8_t* p, uint32_t value)
{
    p[0] = uint8_t(value >> 24);
    p[1] = uint8_t(value >> 16);
    p[2] = uint8_t(value >> 8);
    p[3] = uint8_t(value);
}

void PutLittleEndian32(uint8_t* p, uint32_t value)
{
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

}  // namespace

bool HasPhysicalSize(const PictureScale& scale)
{
    return scale.unit >= 1 && scale.unit <= 5 && std::isfinite(scale.unitsPerPixel)
        && scale.unitsPerPixel > 0;
}

bool AddPngPhysicalSize(std::vector<uint8_t>* png, const PictureScale& scale)
{
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t>& data = *png;
    if (data.size() < 8 + 12 || std::memcmp(data.data(), kSignature, 8) != 0)
        return false;
    // Walk the chunks up to the first IDAT: IHDR must come first, and a pHYs
    // there already gives way to the new one.
    size_t afterHeader = 0;
    std::vector<std::pair<size_t, size_t>> oldChunks;  // offset, length of each pHYs
    for (size_t pos = 8; pos + 12 <= data.size();) {
        const uint32_t length = ReadBigEndian32(&data[pos]);
        if (length > data.size() - pos - 12)
            return false;
        const char* type = reinterpret_cast<const char*>(&data[pos + 4]);
        const size_t next = pos + 12 + length;
        if (pos == 8) {
            if (std::memcmp(type, "IHDR", 4) != 0)
                return false;
            afterHeader = next;
        } else if (std::memcmp(type, "pHYs", 4) == 0) {
            oldChunks.emplace_back(pos, next - pos);
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            break;
        }
        pos = next;
    }
    if (afterHeader == 0)
        return false;

    const uint32_t perMetre = RoundInto(1.0 / MetresPerPixel(scale), 1, 0x7fffffffu);
    uint8_t chunk[21];
    PutBigEndian32(chunk, 9);
    std::memcpy(chunk + 4, "pHYs", 4);
    PutBigEndian32(chunk + 8, perMetre);
    PutBigEndian32(chunk + 12, perMetre);
    chunk[16] = 1;  // the unit is the metre
    PutBigEndian32(chunk + 17, uint32_t(crc32(crc32(0, nullptr, 0), chunk + 4, 13)));

    for (auto it = oldChunks.rbegin(); it != oldChunks.rend(); ++it)
        data.erase(data.begin() + it->first, data.begin() + it->first + it->second);
    data.insert(data.begin() + afterHeader, chunk, chunk + sizeof chunk);
    return true;
}

bool SetJpegDensity(std::vector<uint8_t>* jpeg, const PictureScale& scale)
{
    std::vector<uint8_t>& data = *jpeg;
    if (data.size() < 4 || data[0] != 0xff || data[1] != 0xd8)
        return false;
    const bool inches = IsInchUnit(scale.unit);
    const double perPixel = MetresPerPixel(scale) / (inches ? kMetresPerInch : kMetresPerCentimetre);
    const uint32_t density = RoundInto(1.0 / perPixel, 1, 0xffff);
    uint8_t fields[5] = {uint8_t(inches ? 1 : 2), uint8_t(density >> 8), uint8_t(density),
        uint8_t(density >> 8), uint8_t(density)};

    // The JFIF APP0 segment follows the start of image directly: FF E0,
    // length, "JFIF\0", version, then units and the two densities.
    const bool hasJfif = data.size() >= 20 && data[2] == 0xff && data[3] == 0xe0
        && ((data[4] << 8) | data[5]) >= 16 && std::memcmp(&data[6], "JFIF", 5) == 0;
    if (!hasJfif) {
        const uint8_t segment[18] = {0xff, 0xe0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
        data.insert(data.begin() + 2, segment, segment + sizeof segment);
    }
    std::memcpy(&data[13], fields, sizeof fields);
    return true;
}

bool SetBmpPixelsPerMetre(std::vector<uint8_t>* bmp, const PictureScale& scale)
{
    std::vector<uint8_t>& data = *bmp;
    // File header (14 bytes), then an info header of at least 40 bytes.
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M')
        return false;
    const uint32_t infoSize = data[14] | (data[15] << 8) | (data[16] << 16) | (uint32_t(data[17]) << 24);
    if (infoSize < 40)
        return false;
    const uint32_t perMetre = RoundInto(1.0 / MetresPerPixel(scale), 1, 0x7fffffffu);
    PutLittleEndian32(&data[38], perMetre);
    PutLittleEndian32(&data[42], perMetre);
    return true;
}

TiffResolution TiffResolutionFor(const PictureScale& scale)
{
    TiffResolution result;
    double unitsPerPixel = scale.unitsPerPixel;
    switch (scale.unit) {
    case 1:
        result = {3, 0, "cm"};
        break;
    case 2:
        result = {1, 0, "mm"};
        break;
    case 3:
        result = {3, 0, "um"};
        unitsPerPixel *= 1e-4;  // centimetres
        break;
    case 4:
        result = {2, 0, "inch"};
        break;
    default:
        result = {1, 0, "uin"};
        break;
    }
    // A RATIONAL is two 32-bit unsigned numbers.
    const double largest = 4294967295.0;
    result.pixelsPerUnit = std::clamp(1.0 / unitsPerPixel, 1.0 / largest, largest);
    return result;
}

}  // namespace kelvara::capture
