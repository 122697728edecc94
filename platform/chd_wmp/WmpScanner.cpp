#include "platform/chd_wmp/WmpScanner.h"

#include "platform/chd_wmp/WmpProtocol.h"
#include "platform/chd_wmp/WmpSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace kelvara::wmp {

namespace {

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

WmpScanner::WmpScanner(std::vector<sockaddr_in> targets)
    : m_targets(std::move(targets))
{
}

WmpScanner::~WmpScanner()
{
    Stop();
}

std::vector<sockaddr_in> WmpScanner::ParseTargets(const std::string& list)
{
    std::vector<sockaddr_in> targets;
    size_t pos = 0;
    while (pos < list.size()) {
        size_t end = list.find_first_of(", \t\n", pos);
        if (end == std::string::npos)
            end = list.size();
        std::string item = list.substr(pos, end - pos);
        pos = end + 1;
        if (item.empty())
            continue;
        sockaddr_in address;
        if (ParseAddress(item, CHD_WMP_DEFAULT_DISCOVERY_PORT, &address))
            targets.push_back(address);
        else
            std::fprintf(stderr, "chd_wmp: ignoring scan address \"%s\"\n", item.c_str());
    }
    return targets;
}

std::vector<sockaddr_in> WmpScanner::TargetsFromEnvironment()
{
    const char* list = std::getenv("KELVARA_WMP_SCAN_ADDRESSES");
    return ParseTargets(list && *list ? list : "127.0.0.1");
}

bool WmpScanner::Start()
{
    m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return false;
    int one = 1;
    setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    std::random_device random;
    m_nonce = random();
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void WmpScanner::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

std::vector<CHD_WMP_DeviceInfo> WmpScanner::Devices() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_devices;
}

void WmpScanner::Run()
{
    int64_t nextProbeMs = NowMs();
    while (!m_stop) {
        int64_t now = NowMs();
        if (now >= nextProbeMs) {
            SendProbes();
            nextProbeMs = now + kProbeIntervalMs;
        }
        // Short waits so that Stop never waits long.
        int waitMs = static_cast<int>(nextProbeMs - now);
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, waitMs < 100 ? waitMs : 100) > 0)
            ReceiveAnswer();
    }
}

void WmpScanner::SendProbes()
{
    std::vector<uint8_t> probe = EncodeProbe(m_nonce);
    for (const sockaddr_in& target : m_targets)
        sendto(m_fd, probe.data(), probe.size(), MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&target),
            sizeof target);
}

void WmpScanner::ReceiveAnswer()
{
    uint8_t buffer[kAnswerSize + 1];
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    ssize_t size = recvfrom(m_fd, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC,
        reinterpret_cast<sockaddr*>(&from), &fromLength);
    Answer answer;
    if (size < 0 || fromLength != sizeof from || from.sin_family != AF_INET
        || !DecodeAnswer(buffer, static_cast<size_t>(size), &answer) || answer.nonce != m_nonce)
        return;
    from.sin_port = htons(answer.port);
    std::string address = FormatAddress(from, CHD_WMP_DEFAULT_PORT);

    CHD_WMP_DeviceInfo info{};
    if (address.size() >= sizeof info.address) {
        // The record cannot hold it, and a cut address would reach the wrong camera.
        return;
    }
    info.number = static_cast<int32_t>(answer.number);
    std::memcpy(info.name, answer.name.data(), answer.name.size());
    std::memcpy(info.address, address.data(), address.size());

    std::lock_guard<std::mutex> lock(m_mutex);
    for (CHD_WMP_DeviceInfo& known : m_devices) {
        if (std::strcmp(known.address, info.address) == 0) {
            known = info;
            return;
        }
    }
    if (m_devices.size() < kMaxDevices)
        m_devices.push_back(info);
}

}  // namespace kelvara::wmp
