#pragma once
// Test helper: what an independent reader (ffprobe) finds in a video file.
// Any thread.

#include <string>

namespace kelvara::test {

// Frames ffprobe decodes from the first video stream; -1 when it cannot
// read the file or is not installed.
int ProbeVideoFrames(const std::string& path);
bool HaveFfprobe();

}  // namespace kelvara::test
