#pragma once
// Runs the wmp_simulator program (next to the test binary) as a child
// process on loopback, on free ports it reports back. Test thread only.

#include <string>
#include <sys/types.h>
#include <vector>

class SimulatorProcess
{
public:
    // Starts the simulator with extra options; Started() tells whether it
    // came up and reported its ports.
    explicit SimulatorProcess(const std::vector<std::string>& options = {});
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;
    ~SimulatorProcess();

    bool Started() const { return m_port != 0; }
    unsigned Port() const { return m_port; }
    unsigned DiscoveryPort() const { return m_discoveryPort; }
    // "127.0.0.1:<port>"
    std::string Address() const;
    // Ends the simulator at once, as a crash or power loss would.
    void Kill();

private:
    pid_t m_pid = -1;
    unsigned m_port = 0;
    unsigned m_discoveryPort = 0;
};
