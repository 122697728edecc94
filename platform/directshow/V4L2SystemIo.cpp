// The kernel side of the V4L2 boundary.

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/directshow/V4L2Io.h"

namespace kelvara::dshow {

namespace {

class V4L2SystemIo final : public V4L2Io
{
public:
    std::vector<std::string> ListVideoNodes() override
    {
        std::vector<std::pair<long, std::string>> nodes;
        if (DIR* dir = opendir("/dev")) {
            while (dirent* e = readdir(dir)) {
                if (std::strncmp(e->d_name, "video", 5) != 0)
                    continue;
                char* end = nullptr;
                long number = std::strtol(e->d_name + 5, &end, 10);
                if (end == e->d_name + 5 || *end != '\0')
                    continue;
                nodes.emplace_back(number, std::string("/dev/") + e->d_name);
            }
            closedir(dir);
        }
        std::sort(nodes.begin(), nodes.end());
        std::vector<std::string> paths;
        for (auto& n : nodes)
            paths.push_back(n.second);
        return paths;
    }

    bool ReadTextFile(const std::string& path, std::string* text) override
    {
        FILE* f = std::fopen(path.c_str(), "re");
        if (!f)
            return false;
        char buffer[512];
        size_t n = std::fread(buffer, 1, sizeof(buffer), f);
        std::fclose(f);
        text->assign(buffer, n);
        return true;
    }

    int Open(const std::string& path) override
    {
        return ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    }

    void Close(int fd) override { ::close(fd); }

    int Ioctl(int fd, unsigned long request, void* arg) override
    {
        int r;
        do {
            r = ::ioctl(fd, request, arg);
        } while (r == -1 && errno == EINTR);
        return r;
    }

    void* Map(int fd, size_t length, off_t offset) override
    {
        void* p = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
        return p == MAP_FAILED ? nullptr : p;
    }

    void Unmap(void* address, size_t length) override { ::munmap(address, length); }

    int Poll(int fd, int timeoutMs, short* revents) override
    {
        pollfd p{fd, POLLIN, 0};
        int r;
        do {
            r = ::poll(&p, 1, timeoutMs);
        } while (r == -1 && errno == EINTR);
        if (revents)
            *revents = p.revents;
        return r;
    }
};

}  // namespace

std::shared_ptr<V4L2Io> V4L2Io::System()
{
    static std::shared_ptr<V4L2Io> io = std::make_shared<V4L2SystemIo>();
    return io;
}

}  // namespace kelvara::dshow
