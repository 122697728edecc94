#pragma once
// Encodes a still as a TIFF in memory with libtiff, laid out as OpenCV
// writes one (8-bit R,G,B, LZW with horizontal prediction, strips of about
// 8 KiB), plus the pixel size: ResolutionUnit, X/YResolution and an ImageJ
// description as TiffResolutionFor gives them.
//
// Threads: any thread.

#include "app/capture/StillPictureWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvara::capture {

// bgra as for WriteStillPicture; scale with HasPhysicalSize. False (with
// *error saying why) when libtiff fails.
bool EncodeTiffWithScale(const uint8_t* bgra, int width, int height, const PictureScale& scale,
    std::vector<uint8_t>* tiff, std::string* error);

}  // namespace kelvara::capture
