#pragma once
// Reads an uncompressed 24-bit BMP into an image record (format 1, packed
// B, G, R rows without padding, bottomUp as the file stores them). Anything
// else - another bit depth, compression, a header that does not fit the
// file, a file shorter than its rows - is refused.
//
// Threads: any thread.

#include "camera_module/CMTypes.h"

#include <string>

// On success fills image (data from new[], owned by the caller) and returns
// true; on failure leaves image untouched.
bool ReadBitmap24(const std::string& path, tagCMImage* image);
