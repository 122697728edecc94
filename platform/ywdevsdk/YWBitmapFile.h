#pragma once
// Writes a 24-bit Windows bitmap: a 54-byte header (file header and
// BITMAPINFOHEADER), then bottom-up rows padded to 4 bytes.
//
// Threads: any thread.

#include <cstdint>
#include <string>

namespace kelvara::ywdevsdk {

// bgr: packed B, G, R bytes, top row first. Written to a temporary file next
// to path and renamed, so a failed write leaves no half file behind.
bool WriteBitmap24(const std::string& path, const uint8_t* bgr, int width, int height);

}  // namespace kelvara::ywdevsdk
