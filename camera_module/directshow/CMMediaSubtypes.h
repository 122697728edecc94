#pragma once
// The media subtypes the DirectShow backend knows, by table index, and their
// mapping onto the camera interface's pixel formats. Callable from any thread.

#include "platform/directshow/DShow.h"

constexpr int kSubtypeCount = 21;
constexpr int kSubtypeRGB24 = 0;
constexpr int kSubtypeYUY2 = 4;
constexpr int kSubtypeMJPG = 18;
constexpr int kSubtypeH264 = 19;

// The subtype at a table index (0 .. kSubtypeCount - 1).
const GUID& SubtypeAt(int index);
// Table index of a subtype, -1 when it is not in the table.
int SubtypeIndex(const GUID& subtype);
// tagCMImageFormat of a table index: RGB24 1, YUY2 6, MJPG 20, H264 21,
// NV12 23, IYUV 24, YV12 25, Y800/Y8/GREY 26, UYVY 27, YVYU 28, else 22.
int FormatOfSubtypeIndex(int index);
// Table index used when a format is requested: 1 -> RGB24, 20 -> MJPG,
// 21 -> H264, 23 to 28 -> their subtype (26 -> GREY), anything else -> YUY2.
int SubtypeIndexOfFormat(int format);
// Diagnostic name of a table index, "OTHER" outside the table.
const char* SubtypeName(int index);
