#pragma once
// The physical pixel size of a still in the header fields of its format, and
// the edits that put it into PNG, JPEG and BMP data OpenCV encoded. Units are
// those of PictureScale: 1 cm, 2 mm, 3 um, 4 in, 5 uin.
//
// - PNG: a pHYs chunk in pixels per metre (unit specifier 1) right after
//   IHDR, for every unit; an integer, rounded.
// - JPEG: the JFIF density, in dots per centimetre (units 2) for cm, mm and
//   um and in dots per inch (units 1) for in and uin. Densities are 16-bit:
//   a value outside 1..65535 is written as the nearest of the two (a pixel
//   under 0.153 um is stored as 65535 dots per centimetre).
// - BMP: biXPelsPerMeter/biYPelsPerMeter, rounded, at least 1.
// - TIFF: see TiffResolutionFor; RATIONAL values keep single precision.
//
// Threads: pure functions; any thread.

#include "app/capture/StillPictureWriter.h"

#include <cstdint>
#include <vector>

namespace kelvara::capture {

// A unit 1..5 and a finite unitsPerPixel above 0.
bool HasPhysicalSize(const PictureScale& scale);

// For a scale with HasPhysicalSize; false (data unchanged) when the data is
// not of that format.
bool AddPngPhysicalSize(std::vector<uint8_t>* png, const PictureScale& scale);
bool SetJpegDensity(std::vector<uint8_t>* jpeg, const PictureScale& scale);
bool SetBmpPixelsPerMetre(std::vector<uint8_t>* bmp, const PictureScale& scale);

// ResolutionUnit, X/YResolution and the unit of an ImageJ description
// ("ImageJ=...\nunit=...\n") that make ImageJ and Fiji show the calibration.
// ImageJ takes the pixel width as 1 / XResolution in the description's unit,
// except that "um" with centimetres is read as pixels per centimetre. So:
//   cm  -> centimetre, pixels per cm,   "cm"
//   um  -> centimetre, pixels per cm,   "um"   (other readers see it too)
//   in  -> inch,       pixels per inch, "inch"
//   mm  -> none,       pixels per mm,   "mm"   (ImageJ converts no mm)
//   uin -> none,       pixels per uin,  "uin"  (ImageJ has no micro-inch of
//                                               its own and keeps this name)
// pixelsPerUnit is kept inside what a TIFF RATIONAL can hold.
struct TiffResolution
{
    uint16_t resolutionUnit = 1;  // 1 none, 2 inch, 3 centimetre
    double pixelsPerUnit = 0;
    const char* imageJUnit = "";
};
TiffResolution TiffResolutionFor(const PictureScale& scale);

}  // namespace kelvara::capture
