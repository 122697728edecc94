#include "platform/chd_wmp/WmpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace kelvara::wmp {

namespace {

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool ParseAddress(const std::string& text, uint16_t defaultPort, sockaddr_in* out)
{
    if (text.empty() || text.size() > 63)
        return false;
    std::string host = text;
    uint32_t port = defaultPort;
    size_t colon = text.find(':');
    if (colon != std::string::npos) {
        host = text.substr(0, colon);
        std::string digits = text.substr(colon + 1);
        if (digits.empty() || digits.size() > 5)
            return false;
        port = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return false;
            port = port * 10 + static_cast<uint32_t>(c - '0');
        }
        if (port == 0 || port > 65535)
            return false;
    }
    if (host == "localhost")
        host = "127.0.0.1";
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1)
        return false;
    *out = address;
    return true;
}

std::string FormatAddress(const sockaddr_in& address, uint16_t defaultPort)
{
    char host[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, host, sizeof host);
    std::string text = host;
    uint16_t port = ntohs(address.sin_port);
    if (port != defaultPort)
        text += ":" + std::to_string(port);
    return text;
}

int ConnectWithTimeout(const sockaddr_in& address, uint32_t timeoutMs, bool* timedOut)
{
    *timedOut = false;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    int rc = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (rc != 0 && errno != EINPROGRESS) {
        close(fd);
        return -1;
    }
    if (rc != 0) {
        pollfd p{fd, POLLOUT, 0};
        int ready;
        do {
            ready = poll(&p, 1, static_cast<int>(timeoutMs));
        } while (ready < 0 && errno == EINTR);
        int error = 0;
        socklen_t length = sizeof error;
        if (ready == 0)
            *timedOut = true;
        if (ready <= 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            close(fd);
            return -1;
        }
    }
    int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

bool SendAll(int fd, const uint8_t* data, size_t size, uint32_t timeoutMs)
{
    int64_t deadline = NowMs() + timeoutMs;
    while (size > 0) {
        ssize_t sent = send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            data += sent;
            size -= static_cast<size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        int64_t left = deadline - NowMs();
        if (left <= 0)
            return false;
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR)
            return false;
    }
    return true;
}

uint16_t BoundPort(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

}  // namespace kelvara::wmp
