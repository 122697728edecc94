// The program as a process: one copy at a time, the settings kept from one
// run to the next. Windows are found and closed through the X server, as a
// window manager would close them.
#include "tests/support/shell/MediaProbe.h"
#include "tests/support/shell/TopLevelWindows.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>

// After GoogleTest: X11's macros (None, Bool) break its headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using kelvara::test::ScopedUserEnvironment;

using kelvara::test::AskToClose;
using kelvara::test::WaitForWindow;

struct Program
{
    pid_t pid = 0;
    std::string output;  // file receiving stdout and stderr
};

Program Start(const std::string& output)
{
    Program program;
    program.output = output;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const char* argv[] = {KELVARA_PROGRAM, nullptr};
    if (posix_spawn(&program.pid, KELVARA_PROGRAM, &actions, nullptr, const_cast<char* const*>(argv), environ)
        != 0)
        program.pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return program;
}

// Exit code, or -1000 when the program did not end within timeoutMs (it is killed then).
int WaitExit(Program& program, int timeoutMs)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(program.pid, &status, WNOHANG) == program.pid)
            return WIFEXITED(status) ? static_cast<signed char>(WEXITSTATUS(status)) : -2000;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(program.pid, SIGKILL);
    waitpid(program.pid, nullptr, 0);
    return -1000;
}

class StartupTest : public testing::Test
{
protected:
    void SetUp() override
    {
        unsetenv("KELVARA_VIRTUAL_CAMERAS");
        setenv("KELVARA_YWUSB_CAMERAS", "0", 1);
        // A private runtime folder: the instance lock of this test alone.
        setenv("XDG_RUNTIME_DIR", m_env.Home().c_str(), 1);
        m_config = m_env.Home() + "/.config/Kelvara/config.ini";
    }
    void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

    ScopedUserEnvironment m_env;
    std::string m_config;
};

TEST_F(StartupTest, SecondCopyShowsTheMessageAndEndsWithMinusOne)
{
    // No exit question, so closing the window ends the program.
    ScopedUserEnvironment::WriteFile(m_config, "[values]\nExitPrompt = dword:00000001\n");
    Program first = Start(m_env.Home() + "/first.txt");
    ASSERT_NE(first.pid, 0);
    unsigned long main = WaitForWindow("Kelvara", 10000);
    ASSERT_NE(main, 0u) << ScopedUserEnvironment::ReadFile(first.output);

    Program second = Start(m_env.Home() + "/second.txt");
    unsigned long message = WaitForWindow("Message", 10000);
    ASSERT_NE(message, 0u);
    AskToClose(message);
    EXPECT_EQ(WaitExit(second, 5000), -1);
    EXPECT_NE(ScopedUserEnvironment::ReadFile(second.output).find("This application is already running!"),
        std::string::npos);
    // The first copy is untouched.
    EXPECT_EQ(waitpid(first.pid, nullptr, WNOHANG), 0);

    AskToClose(main);
    EXPECT_EQ(WaitExit(first, 10000), 0) << ScopedUserEnvironment::ReadFile(first.output);

    // Once the first copy is gone, a new one starts.
    Program third = Start(m_env.Home() + "/third.txt");
    unsigned long again = WaitForWindow("Kelvara", 10000);
    ASSERT_NE(again, 0u) << ScopedUserEnvironment::ReadFile(third.output);
    AskToClose(again);
    EXPECT_EQ(WaitExit(third, 10000), 0);
}

}  // namespace

namespace {

TEST_F(StartupTest, TerminationSignalFinishesTheRecordingAndSaves)
{
    if (std::system("command -v xdotool > /dev/null 2>&1") != 0
        || std::system("command -v ffprobe > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "xdotool or ffprobe missing";
    // The exit question is on: a signal must not wait for it.
    ScopedUserEnvironment::WriteFile(m_config, "[values]\nExitPrompt = dword:00000000\n");
    setenv("KELVARA_VIRTUAL_CAMERAS", "demo", 1);
    Program program = Start(m_env.Home() + "/out.txt");
    unsigned long main = WaitForWindow("Kelvara", 10000);
    ASSERT_NE(main, 0u);
    // The first camera of the list: the side bar is 321 pixels wide on the
    // right of the maximised window, the list's first row 113 pixels down.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XWindowAttributes attrs;
    XGetWindowAttributes(display, main, &attrs);
    XCloseDisplay(display);
    const int x = attrs.x + attrs.width - 280;
    ASSERT_EQ(std::system(
                  ("xdotool mousemove " + std::to_string(x) + " 113 sleep 0.1 click 1 sleep 2 key F9 sleep 3")
                      .c_str()),
        0);
    kill(program.pid, SIGTERM);
    EXPECT_EQ(WaitExit(program, 15000), 0) << ScopedUserEnvironment::ReadFile(program.output);
    unsetenv("KELVARA_VIRTUAL_CAMERAS");

    std::vector<std::filesystem::path> videos;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_env.Home(), error)) {
        if (entry.path().extension() == ".mp4")
            videos.push_back(entry.path());
    }
    ASSERT_EQ(videos.size(), 1u) << ScopedUserEnvironment::ReadFile(program.output);
    EXPECT_GT(kelvara::test::ProbeVideoFrames(videos[0].string()), 30);
    // The settings were written back on the way out.
    EXPECT_NE(ScopedUserEnvironment::ReadFile(program.output).find("config"), std::string::npos);
}

}  // namespace
