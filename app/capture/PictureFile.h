#pragma once
// Pictures opened from files, for measuring on them in place of the live
// picture: the pixels (TIFF, PNG, BMP, JPEG) and, when the file says, the
// physical size of one pixel:
// - TIFF: an ImageJ description's "unit=" with the resolution tags (pixels
//   per unit), else a resolution in centimetres or inches;
// - PNG: the pHYs chunk in pixels per metre;
// - JPEG: the JFIF density in dots per centimetre or inch.
// Densities that are only a screen or print setting (72, 96, 150, 300, 600
// dots per inch, as most programs write) carry no scale.
//
// Threads: pure functions; any thread.

#include <cstdint>
#include <string>
#include <vector>

namespace kelvara::capture {

// units per pixel in `unit` (codes of the calibrations: 1 "cm", 2 "mm",
// 3 "um", 4 "in", 5 "uin"); unit 0: no scale.
struct PictureFileScale
{
    double unitsPerPixel = 0;
    int unit = 0;
};

// Reads the picture as R,G,B,A rows, top first. False with a message in
// *error (for the user: "damaged", "not a picture", "too large") when it
// cannot be read.
bool LoadPictureFile(const std::string& path, std::vector<uint8_t>* rgba, int* width, int* height,
    PictureFileScale* scale, std::string* error = nullptr);

// The scale recorded in a picture file's bytes; unit 0 when there is none.
PictureFileScale ReadPictureScale(const std::string& bytes);

}  // namespace kelvara::capture
