#pragma once
// One named calibration: how many physical units one image pixel spans.
// A plain record, copied by value.

#include <string>

// Most characters a calibration name may have (a buffer of 64 with its terminator).
constexpr size_t kCaliNameMaxChars = 63;

struct CaliData
{
    std::string name;  // UTF-8; the key in the calibration file
    float value = 0;  // units per image pixel: physical length / pixel length
    int unit = 0;  // 0 "px", 1 "cm", 2 "mm", 3 "um", 4 "in", 5 "uin"
    // The preview size the calibration was made at; 0 x 0 when unknown
    // (the value then applies to every size as it is).
    int width = 0;
    int height = 0;
};
