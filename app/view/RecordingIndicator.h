#pragma once
// Pieces of the recording indicator that are plain data: the timer text and
// the frames of the "recording.png" strip. Any thread.

#include "app/view/SFAnimation.h"

#include <string>

namespace kelvara {

// The strip holds 30 pictures of 20 x 20 pixels side by side.
constexpr int kRecordingFrameCount = 30;
constexpr int kRecordingFrameSize = 20;

// "hh:mm:ss" of whole seconds; 100 hours and more give a longer hour field.
// Negative durations count as 0.
std::string FormatElapsedTime(long long seconds);

// Points animation at texture and appends the strip's frames, left to right.
void AppendRecordingFrames(SFAnimation& animation, const sf::Texture* texture);

}  // namespace kelvara
