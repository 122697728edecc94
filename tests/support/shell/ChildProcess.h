#pragma once
// Test helper: runs a program as a separate process with its own arguments
// and environment changes, its standard output and error kept in files.
// Used from the test's main thread.

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvara::test {

class ChildProcess
{
public:
    // Environment changes on top of the test's own: a value sets the
    // variable, std::nullopt removes it.
    using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

    // Starts program with args; stdout and stderr go to outputPrefix + ".out"
    // and ".err". Started() tells whether it runs.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
        const EnvironmentChanges& environment, const std::string& outputPrefix);
    ~ChildProcess();  // kills a program still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }

    static constexpr int kTimedOut = -1000;  // killed after the timeout
    static constexpr int kSignalled = -2000;  // ended by a signal
    // The exit code, kSignalled, or kTimedOut when it did not end in time.
    int WaitExit(int timeoutMs);

    std::string Stdout() const;
    std::string Stderr() const;

private:
    pid_t m_pid = 0;
    bool m_reaped = false;
    std::string m_outputPrefix;
};

}  // namespace kelvara::test
