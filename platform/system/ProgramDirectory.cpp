#include "ProgramDirectory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

namespace kelvara {

namespace {

bool IsRegularFile(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool HoldsDataFiles(const std::string& directory)
{
    return IsRegularFile(directory + "fzht.ttf") || IsRegularFile(directory + "recording.png");
}

}  // namespace

std::string GetExecutableDirectory()
{
    // readlink does not report truncation, so grow the buffer until the
    // link fits with room to spare; a path is never cut.
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<size_t>(length) < buffer.size()) {
            std::string path(buffer.data(), static_cast<size_t>(length));
            size_t slash = path.rfind('/');
            if (slash == std::string::npos)
                return {};
            return path.substr(0, slash + 1);
        }
        if (buffer.size() >= 1 << 20)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string FindDataDirectory(const std::string& executableDirectory)
{
    if (executableDirectory.empty() || HoldsDataFiles(executableDirectory))
        return executableDirectory;
    // An installed program: <prefix>/bin/Kelvara with <prefix>/share/kelvara/.
    std::string shared
        = std::filesystem::path(executableDirectory + "../share/kelvara/").lexically_normal().string();
    if (HoldsDataFiles(shared))
        return shared;
    return executableDirectory;
}

std::string GetProgramDirectory()
{
    return FindDataDirectory(GetExecutableDirectory());
}

}  // namespace kelvara
