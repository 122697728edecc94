#include "app/view/RecordingIndicator.h"

#include <cstdio>

namespace kelvara {

std::string FormatElapsedTime(long long seconds)
{
    if (seconds < 0)
        seconds = 0;
    char text[256];
    std::snprintf(
        text, sizeof(text), "%02lld:%02lld:%02lld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return text;
}

void AppendRecordingFrames(SFAnimation& animation, const sf::Texture* texture)
{
    animation.texture = texture;
    for (int i = 0; i < kRecordingFrameCount; ++i)
        animation.frames.emplace_back(i * kRecordingFrameSize, 0, kRecordingFrameSize, kRecordingFrameSize);
}

}  // namespace kelvara
