#include "tests/support/shell/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace kelvara::test {

namespace {

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
    const EnvironmentChanges& environment, const std::string& outputPrefix)
    : m_outputPrefix(outputPrefix)
{
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        std::string name
            = equals ? std::string(*entry, static_cast<size_t>(equals - *entry)) : std::string(*entry);
        if (environment.count(name) == 0)
            entries.emplace_back(*entry);
    }
    for (const auto& [name, value] : environment) {
        if (value)
            entries.push_back(name + "=" + *value);
    }
    std::vector<char*> envp;
    for (std::string& entry : entries)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    std::vector<std::string> argvStrings{program};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvStrings)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const std::string out = outputPrefix + ".out";
    const std::string err = outputPrefix + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
        m_pid = 0;
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 && !m_reaped) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

int ChildProcess::WaitExit(int timeoutMs)
{
    if (m_pid <= 0 || m_reaped)
        return kSignalled;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_reaped = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : kSignalled;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_reaped = true;
    return kTimedOut;
}

std::string ChildProcess::Stdout() const
{
    return ReadWhole(m_outputPrefix + ".out");
}

std::string ChildProcess::Stderr() const
{
    return ReadWhole(m_outputPrefix + ".err");
}

}  // namespace kelvara::test
