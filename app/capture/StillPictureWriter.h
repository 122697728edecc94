#pragma once
// Writes a still picture to a file in the format its extension names (TIFF,
// PNG, BMP, JPEG and whatever else OpenCV encodes): JPEG with quality 90 and
// PNG with compression 6, chosen by the last three characters of the path.
// The file appears complete or not at all (temporary file, then rename).
//
// Threads: any thread; two threads must not write the same path at once.

#include <cstdint>
#include <string>

namespace kelvara::capture {

// bgra: width x height pixels, B,G,R,A, stride width * 4, top row first.
// False for an unknown or missing extension, an encoder failure or a file
// that cannot be written; nothing is left at path then.
bool WriteStillPicture(const std::string& path, const uint8_t* bgra, int width, int height);

}  // namespace kelvara::capture
