#pragma once
// Writes a still picture to a file in the format its extension names (TIFF,
// PNG, BMP, JPEG and whatever else OpenCV encodes): JPEG with quality 90 and
// PNG with compression 6, chosen by the last three characters of the path.
// The file appears complete or not at all (temporary file, then rename).
//
// With a physical pixel size the file also says how large one pixel is, in
// the fields image programs read (details in PictureResolution.h): TIFF
// resolution tags and an ImageJ description, the PNG pHYs chunk, the JFIF
// density of a JPEG and the pixels per metre of a BMP. Other formats are
// written without it. The pixels are the same either way.
//
// Threads: any thread; two threads must not write the same path at once.

#include <cstdint>
#include <string>

namespace kelvara::capture {

// The physical size of one pixel of the picture being written. unit as in
// CaliData: 0 "px", 1 "cm", 2 "mm", 3 "um", 4 "in", 5 "uin".
struct PictureScale
{
    double unitsPerPixel = 0;
    int unit = 0;
};

// bgra: width x height pixels, B,G,R,A, stride width * 4, top row first.
// scale: null, unit 0 (px), another unknown unit or a value that is not
// finite and above 0 writes no pixel size, byte for byte as without one.
// False for an unknown or missing extension, an encoder failure or a file
// that cannot be written; nothing is left at path then.
bool WriteStillPicture(
    const std::string& path, const uint8_t* bgra, int width, int height, const PictureScale* scale = nullptr);

}  // namespace kelvara::capture
