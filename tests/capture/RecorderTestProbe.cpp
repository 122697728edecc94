#include "tests/capture/RecorderTestProbe.h"

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <fstream>

namespace kelvara {

std::string ShellQuote(const std::string& path)
{
    std::string quoted = "'";
    for (char c : path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string RunCommand(const std::string& command, int* exitStatus)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (exitStatus)
            *exitStatus = -1;
        return output;
    }
    char chunk[4096];
    size_t count;
    while ((count = fread(chunk, 1, sizeof(chunk), pipe)) > 0)
        output.append(chunk, count);
    int status = pclose(pipe);
    if (exitStatus)
        *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

nlohmann::json ProbeVideo(const std::string& path)
{
    int status = 0;
    std::string output = RunCommand("ffprobe -v error -count_frames -show_format -show_streams "
                                    "-show_entries packet=pts,duration -of json "
            + ShellQuote(path),
        &status);
    if (status != 0)
        return nullptr;
    return nlohmann::json::parse(output, nullptr, false);
}

std::vector<std::string> TopLevelBoxes(const std::string& path)
{
    std::vector<std::string> boxes;
    std::ifstream file(path, std::ios::binary);
    file.seekg(0, std::ios::end);
    const uint64_t fileSize = static_cast<uint64_t>(file.tellg());
    uint64_t offset = 0;
    while (offset + 8 <= fileSize) {
        unsigned char header[16];
        file.seekg(static_cast<std::streamoff>(offset));
        if (!file.read(reinterpret_cast<char*>(header), 8))
            break;
        uint64_t size = (uint64_t(header[0]) << 24) | (uint64_t(header[1]) << 16) | (uint64_t(header[2]) << 8)
            | header[3];
        if (size == 1) {
            if (!file.read(reinterpret_cast<char*>(header + 8), 8))
                break;
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = (size << 8) | header[i];
        } else if (size == 0) {
            size = fileSize - offset;
        }
        boxes.emplace_back(reinterpret_cast<char*>(header + 4), 4);
        if (size < 8)
            break;
        offset += size;
    }
    return boxes;
}

}  // namespace kelvara
