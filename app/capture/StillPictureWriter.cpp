#include "app/capture/StillPictureWriter.h"

#include "app/capture/CapturePaths.h"
#include "app/capture/PictureResolution.h"
#include "app/capture/TiffStillEncoder.h"
#include "platform/system/AtomicFile.h"

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <string_view>
#include <vector>

namespace kelvara::capture {

namespace {

std::vector<int> EncoderParameters(const std::string& path)
{
    if (path.size() < 3)
        return {};
    std::string last = path.substr(path.size() - 3);
    for (char& c : last)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (last == "jpg")
        return {cv::IMWRITE_JPEG_QUALITY, 90};
    if (last == "png")
        return {cv::IMWRITE_PNG_COMPRESSION, 6};
    return {};
}

bool EncodeWithOpenCv(const std::string& path, const std::string& extension, const uint8_t* bgra, int width,
    int height, std::vector<uchar>* encoded)
{
    try {
        const cv::Mat source(height, width, CV_8UC4, const_cast<uint8_t*>(bgra));
        cv::Mat bgr;
        cv::cvtColor(source, bgr, cv::COLOR_BGRA2BGR);
        return cv::imencode(extension, bgr, *encoded, EncoderParameters(path));
    } catch (const cv::Exception& e) {
        std::fprintf(stderr, "still picture %s: %s\n", path.c_str(), e.what());
        return false;
    }
}

// Puts the pixel size into data OpenCV encoded, by the format it holds.
// Formats without such a field stay as they are.
void AddPhysicalSize(std::vector<uchar>* encoded, const PictureScale& scale)
{
    if (AddPngPhysicalSize(encoded, scale) || SetJpegDensity(encoded, scale))
        return;
    SetBmpPixelsPerMetre(encoded, scale);
}

}  // namespace

bool WriteStillPicture(
    const std::string& path, const uint8_t* bgra, int width, int height, const PictureScale* scale)
{
    const std::string extension = LowerExtension(path);
    if (extension.empty() || !bgra || width <= 0 || height <= 0)
        return false;
    const bool withSize = scale && HasPhysicalSize(*scale);
    std::vector<uchar> encoded;
    if (withSize && (extension == ".tif" || extension == ".tiff")) {
        std::string error;
        if (!EncodeTiffWithScale(bgra, width, height, *scale, &encoded, &error)) {
            std::fprintf(stderr, "still picture %s: %s\n", path.c_str(), error.c_str());
            return false;
        }
    } else {
        if (!EncodeWithOpenCv(path, extension, bgra, width, height, &encoded))
            return false;
        if (withSize)
            AddPhysicalSize(&encoded, *scale);
    }
    std::string error;
    if (!WriteFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(encoded.data()), encoded.size()), &error)) {
        std::fprintf(stderr, "still picture %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

}  // namespace kelvara::capture
