#pragma once
// Reading a still's pixel size back with tools other than the program's own:
// libtiff's tiffinfo, ImageMagick's identify, ImageJ in batch mode, and a
// PNG chunk walker and JFIF reader of their own.

#include <cstdint>
#include <string>
#include <vector>

namespace kelvara {

// The pHYs chunk of a PNG file; found false when there is none. crcOk says
// whether the chunk's CRC matches its bytes.
struct PngPhys
{
    bool found = false;
    bool crcOk = false;
    uint32_t x = 0;
    uint32_t y = 0;
    int unit = -1;
};
PngPhys ReadPngPhys(const std::string& path);

// The JFIF APP0 density of a JPEG file; found false without one.
struct JfifDensity
{
    bool found = false;
    int units = -1;
    int x = 0;
    int y = 0;
};
JfifDensity ReadJfifDensity(const std::string& path);

// What tiffinfo says: resolution ("" unit when the file has none; "pixels/cm",
// "pixels/inch" or "unitless") and the image description.
struct TiffInfo
{
    bool ok = false;
    double x = 0;
    double y = 0;
    std::string unit;
    std::string description;
};
TiffInfo ReadTiffInfo(const std::string& path);

// identify -format "%x %y %U": resolution and its unit as ImageMagick reads it.
struct IdentifyResolution
{
    double x = 0;
    double y = 0;
    std::string unit;
};
IdentifyResolution Identify(const std::string& path);

// What ImageJ opens: getPixelSize's unit (a micro sign written as "u") and
// pixel width and height, the picture size and the colour of pixel (0, 0).
struct ImageJPicture
{
    std::string unit;
    double pixelWidth = 0;
    double pixelHeight = 0;
    int width = 0;
    int height = 0;
    int red = -1;
    int green = -1;
    int blue = -1;
};
// Empty when ImageJ (the Debian package's ij.jar) and java are there;
// otherwise what is missing.
std::string ImageJMissing();
// Opens every path in one ImageJ run (batch mode, with workDir as its home).
// A path ImageJ cannot open leaves an empty entry.
std::vector<ImageJPicture> ReadWithImageJ(const std::vector<std::string>& paths, const std::string& workDir);

}  // namespace kelvara
