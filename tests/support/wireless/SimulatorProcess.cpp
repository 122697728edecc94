#include "tests/support/wireless/SimulatorProcess.h"

#include "platform/system/ProgramDirectory.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& options)
{
    std::string program = kelvara::GetProgramDirectory() + "wmp_simulator";
    std::vector<std::string> args{program, "--port", "0", "--discovery-port", "0"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (m_pid < 0) {
        close(out[0]);
        return;
    }
    // The first line names the ports: "wmp_simulator: tcp port P, discovery port Q".
    std::string line;
    char c;
    pollfd p{out[0], POLLIN, 0};
    while (line.size() < 200 && poll(&p, 1, 10000) > 0 && read(out[0], &c, 1) == 1 && c != '\n')
        line.push_back(c);
    close(out[0]);
    if (std::sscanf(line.c_str(), "wmp_simulator: tcp port %u, discovery port %u", &m_port, &m_discoveryPort)
        != 2)
        m_port = 0;
}

SimulatorProcess::~SimulatorProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

std::string SimulatorProcess::Address() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

void SimulatorProcess::Kill()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
}
