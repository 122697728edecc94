#include "ProgramDirectory.h"

#include <unistd.h>

#include <vector>

namespace kelvara {

std::string GetProgramDirectory()
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

}  // namespace kelvara
