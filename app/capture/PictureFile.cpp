#include "app/capture/PictureFile.h"

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace kelvara::capture {

namespace {

constexpr int kCentimetre = 1;
constexpr int kMillimetre = 2;
constexpr int kMicrometre = 3;
constexpr int kInch = 4;

// Pixels this large or more are refused before decoding (about 1.5 GB as R,G,B,A).
constexpr double kMaxPixels = 400.0 * 1000 * 1000;

bool IsPrintDensity(double dotsPerInch)
{
    for (double common : {72.0, 96.0, 150.0, 300.0, 600.0}) {
        if (std::fabs(dotsPerInch - common) < 0.01)
            return true;
    }
    return false;
}

// A length per pixel in metres, in the unit that reads best: micrometres
// below a millimetre per pixel, millimetres above.
PictureFileScale FromMetresPerPixel(double metres)
{
    PictureFileScale scale;
    if (!(metres > 0) || !std::isfinite(metres))
        return scale;
    if (metres < 1e-3) {
        scale.unit = kMicrometre;
        scale.unitsPerPixel = metres * 1e6;
    } else {
        scale.unit = kMillimetre;
        scale.unitsPerPixel = metres * 1e3;
    }
    return scale;
}

uint32_t BigEndian32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

PictureFileScale ReadPngScale(const std::string& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const uint32_t length = BigEndian32(data + at);
        if (length > bytes.size() - at - 12)
            break;
        const char* type = bytes.data() + at + 4;
        if (std::memcmp(type, "pHYs", 4) == 0 && length == 9) {
            const unsigned char* body = data + at + 8;
            const uint32_t x = BigEndian32(body);
            const uint32_t y = BigEndian32(body + 4);
            // Unit 1: pixels per metre; square pixels only.
            if (body[8] == 1 && x > 0 && x == y)
                return FromMetresPerPixel(1.0 / x);
            return {};
        }
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0)
            break;
        at += 12 + length;
    }
    return {};
}

PictureFileScale ReadJpegScale(const std::string& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t at = 2;
    // The JFIF segment follows the start marker, possibly after other APPn.
    while (at + 4 <= bytes.size() && data[at] == 0xFF) {
        const unsigned marker = data[at + 1];
        const size_t length = (size_t(data[at + 2]) << 8) | data[at + 3];
        if (length < 2 || at + 2 + length > bytes.size())
            break;
        if (marker == 0xE0 && length >= 16 && std::memcmp(data + at + 4, "JFIF\0", 5) == 0) {
            const unsigned char* body = data + at + 4;
            const int units = body[7];
            const int x = (body[8] << 8) | body[9];
            const int y = (body[10] << 8) | body[11];
            if (x <= 0 || x != y)
                return {};
            if (units == 2)
                return FromMetresPerPixel(0.01 / x);
            if (units == 1 && !IsPrintDensity(x))
                return PictureFileScale{1.0 / x, kInch};
            return {};
        }
        if (marker == 0xDA)
            break;
        at += 2 + length;
    }
    return {};
}

// A TIFF reader just for the first directory's resolution and description.
class TiffTags
{
public:
    explicit TiffTags(const std::string& bytes)
        : m_bytes(bytes)
    {
    }

    bool Read()
    {
        if (m_bytes.size() < 8)
            return false;
        if (m_bytes.compare(0, 2, "II") == 0)
            m_little = true;
        else if (m_bytes.compare(0, 2, "MM") == 0)
            m_little = false;
        else
            return false;
        if (U16(2) != 42)
            return false;
        const uint32_t ifd = U32(4);
        if (ifd < 8 || ifd + 2 > m_bytes.size())
            return false;
        const unsigned count = U16(ifd);
        for (unsigned i = 0; i < count; ++i) {
            const size_t entry = ifd + 2 + size_t(i) * 12;
            if (entry + 12 > m_bytes.size())
                return false;
            const unsigned tag = U16(entry);
            const unsigned type = U16(entry + 2);
            const uint32_t n = U32(entry + 4);
            if (tag == 282 || tag == 283) {
                double value = 0;
                if (type == 5 && n >= 1)
                    value = Rational(U32(entry + 8));
                (tag == 282 ? xResolution : yResolution) = value;
            } else if (tag == 296 && type == 3) {
                resolutionUnit = U16(entry + 8);
            } else if (tag == 270 && type == 2) {
                const size_t offset = n <= 4 ? entry + 8 : U32(entry + 8);
                if (offset <= m_bytes.size() && n <= m_bytes.size() - offset)
                    description.assign(m_bytes, offset, n);
            }
        }
        return true;
    }

    double xResolution = 0;
    double yResolution = 0;
    int resolutionUnit = 2;  // the TIFF default: inch
    std::string description;

private:
    unsigned U16(size_t at) const
    {
        if (at + 2 > m_bytes.size())
            return 0;
        const auto* p = reinterpret_cast<const unsigned char*>(m_bytes.data() + at);
        return m_little ? unsigned(p[0] | (p[1] << 8)) : unsigned((p[0] << 8) | p[1]);
    }
    uint32_t U32(size_t at) const
    {
        if (at + 4 > m_bytes.size())
            return 0;
        const auto* p = reinterpret_cast<const unsigned char*>(m_bytes.data() + at);
        return m_little
            ? (uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24))
            : BigEndian32(p);
    }
    double Rational(uint32_t at) const
    {
        const uint32_t numerator = U32(at);
        const uint32_t denominator = U32(size_t(at) + 4);
        return denominator == 0 ? 0 : double(numerator) / denominator;
    }

    const std::string& m_bytes;
    bool m_little = true;
};

// The value of "key=" on its own line of an ImageJ description.
std::string DescriptionValue(const std::string& description, const std::string& key)
{
    std::istringstream lines(description);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, key.size() + 1, key + "=") == 0) {
            std::string value = line.substr(key.size() + 1);
            while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\0'))
                value.pop_back();
            return value;
        }
    }
    return std::string();
}

int UnitFromImageJ(const std::string& unit)
{
    if (unit == "cm")
        return kCentimetre;
    if (unit == "mm")
        return kMillimetre;
    if (unit == "micron" || unit == "um" || unit == "\xC2\xB5m"
        || unit
            == "\xC2\xB5"
               "m")
        return kMicrometre;
    if (unit == "inch" || unit == "in")
        return kInch;
    if (unit == "microinch" || unit == "uin")
        return 5;
    return 0;
}

// A length in centimetres (metric) or inches, in the unit the description
// names when it is of the same kind, else in the unit that reads best.
PictureFileScale InUnit(double centimetres, double inches, int named)
{
    static const double kPerCentimetre[] = {0, 1.0, 10.0, 1e4};
    if (centimetres > 0) {
        if (named >= kCentimetre && named <= kMicrometre)
            return PictureFileScale{centimetres * kPerCentimetre[named], named};
        return FromMetresPerPixel(centimetres / 100.0);
    }
    if (named == 5)
        return PictureFileScale{inches * 1e6, 5};
    return PictureFileScale{inches, kInch};
}

PictureFileScale ReadTiffScale(const std::string& bytes)
{
    TiffTags tags(bytes);
    if (!tags.Read() || !(tags.xResolution > 0)
        || std::fabs(tags.xResolution - tags.yResolution) > 1e-6 * tags.xResolution)
        return {};
    const bool imageJ = tags.description.compare(0, 7, "ImageJ=") == 0;
    const int named = imageJ ? UnitFromImageJ(DescriptionValue(tags.description, "unit")) : 0;
    // The resolution unit gives the physical size where it is one; an
    // ImageJ description then only says which unit to show it in.
    if (tags.resolutionUnit == 3)
        return InUnit(1.0 / tags.xResolution, 0, named);
    if (tags.resolutionUnit == 2 && (imageJ || !IsPrintDensity(tags.xResolution)))
        return InUnit(0, 1.0 / tags.xResolution, named == 5 ? 5 : kInch);
    // No resolution unit: pixels per the description's unit.
    if (named != 0)
        return PictureFileScale{1.0 / tags.xResolution, named};
    return {};
}

}  // namespace

PictureFileScale ReadPictureScale(const std::string& bytes)
{
    if (bytes.size() >= 8 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0)
        return ReadPngScale(bytes);
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xFF\xD8\xFF") == 0)
        return ReadJpegScale(bytes);
    if (bytes.size() >= 4 && (bytes.compare(0, 4, "II*\0", 4) == 0 || bytes.compare(0, 4, "MM\0*", 4) == 0))
        return ReadTiffScale(bytes);
    return {};
}

bool LoadPictureFile(const std::string& path, std::vector<uint8_t>* rgba, int* width, int* height,
    PictureFileScale* scale, std::string* error)
{
    auto fail = [error](const char* why) {
        if (error)
            *error = why;
        return false;
    };
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return fail("cannot be read");
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.empty())
        return fail("empty");
    cv::Mat decoded;
    try {
        const cv::Mat raw(1, static_cast<int>(bytes.size()), CV_8UC1, const_cast<char*>(bytes.data()));
        // Grey, 16-bit and palette pictures all come as 8-bit B,G,R.
        decoded = cv::imdecode(raw, cv::IMREAD_COLOR);
    } catch (const cv::Exception&) {
        decoded = cv::Mat();
    }
    if (decoded.empty() || decoded.cols <= 0 || decoded.rows <= 0)
        return fail("damaged or not a picture");
    if (double(decoded.cols) * decoded.rows > kMaxPixels)
        return fail("too large");
    rgba->resize(size_t(decoded.cols) * decoded.rows * 4);
    cv::Mat target(decoded.rows, decoded.cols, CV_8UC4, rgba->data());
    cv::cvtColor(decoded, target, cv::COLOR_BGR2RGBA);
    *width = decoded.cols;
    *height = decoded.rows;
    if (scale)
        *scale = ReadPictureScale(bytes);
    return true;
}

}  // namespace kelvara::capture
