#pragma once
// Discovery of wireless cameras: a scanning thread sends a probe to every
// target address about once a second and collects the answers.
//
// Threads: Start and Stop from one controlling thread; Devices from any
// thread. m_mutex guards m_devices; the scanning thread owns the socket.

#include "platform/chd_wmp/chd_wmp.h"

#include <netinet/in.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kelvara::wmp {

class WmpScanner
{
public:
    explicit WmpScanner(std::vector<sockaddr_in> targets);
    WmpScanner(const WmpScanner&) = delete;
    WmpScanner& operator=(const WmpScanner&) = delete;
    ~WmpScanner();

    bool Start();
    void Stop();
    // The cameras found since Start, in the order they first answered.
    std::vector<CHD_WMP_DeviceInfo> Devices() const;

    // Targets from "host[:port]" items separated by commas or white space;
    // invalid items are reported on standard error and skipped.
    static std::vector<sockaddr_in> ParseTargets(const std::string& list);
    // KELVARA_WMP_SCAN_ADDRESSES, default "127.0.0.1".
    static std::vector<sockaddr_in> TargetsFromEnvironment();

    static constexpr int kProbeIntervalMs = 1000;
    static constexpr size_t kMaxDevices = 64;

private:
    void Run();
    void SendProbes();
    void ReceiveAnswer();

    const std::vector<sockaddr_in> m_targets;
    uint32_t m_nonce = 0;
    int m_fd = -1;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};

    mutable std::mutex m_mutex;
    std::vector<CHD_WMP_DeviceInfo> m_devices;
};

}  // namespace kelvara::wmp
