#include "tests/support/shell/MediaProbe.h"

#include <cstdio>
#include <cstdlib>

namespace kelvara::test {

bool HaveFfprobe()
{
    return std::system("command -v ffprobe > /dev/null 2>&1") == 0;
}

int ProbeVideoFrames(const std::string& path)
{
    const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                "stream=nb_read_frames -of csv=p=0 '"
        + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    int frames = -1;
    if (std::fscanf(pipe, "%d", &frames) != 1)
        frames = -1;
    pclose(pipe);
    return frames;
}

}  // namespace kelvara::test
