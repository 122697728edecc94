// The program's command line: help and version are answered without a
// window or an X display; anything else is refused with exit code 2.
#include "tests/support/shell/ChildProcess.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kelvara::test::ChildProcess;
using kelvara::test::ScopedUserEnvironment;

struct Outcome
{
    int exitCode;
    std::string out;
    std::string err;
};

class ProgramOptions : public testing::Test
{
protected:
    // Runs the program with no X display at all, so any attempt to open a
    // window would fail instead of answering.
    Outcome Start(const std::vector<std::string>& args)
    {
        ChildProcess program(KELVARA_PROGRAM, args,
            {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"XDG_RUNTIME_DIR", m_env.Home()}},
            m_env.Home() + "/run" + std::to_string(m_runs++));
        EXPECT_TRUE(program.Started());
        int code = program.WaitExit(10000);
        return {code, program.Stdout(), program.Stderr()};
    }

    ScopedUserEnvironment m_env;
    int m_runs = 0;
};

TEST_F(ProgramOptions, VersionAndHelpPrintAndExitWithoutADisplay)
{
    for (const char* option : {"--version", "-V"}) {
        Outcome run = Start({option});
        EXPECT_EQ(run.exitCode, 0) << option << run.err;
        EXPECT_NE(run.out.find("Kelvara 1.3.2.297\n"), std::string::npos) << option << run.out;
        EXPECT_EQ(run.err, "") << option;
    }
    for (const char* option : {"--help", "-h"}) {
        Outcome run = Start({option});
        EXPECT_EQ(run.exitCode, 0) << option << run.err;
        EXPECT_NE(run.out.find("Usage: Kelvara"), std::string::npos) << option << run.out;
        EXPECT_NE(run.out.find("--version"), std::string::npos) << option;
        EXPECT_EQ(run.err, "") << option;
    }
    // The first option decides; what follows is not looked at.
    EXPECT_EQ(Start({"--version", "--bogus"}).exitCode, 0);
}

TEST_F(ProgramOptions, UnknownOptionOrArgumentIsRefusedWithExitCodeTwo)
{
    for (const char* argument : {"--bogus", "-x", "--versions", "-", "picture.png", ""}) {
        Outcome run = Start({argument});
        EXPECT_EQ(run.exitCode, 2) << "'" << argument << "'";
        const std::string what = argument[0] == '-' ? "unknown option '" : "unexpected argument '";
        EXPECT_NE(run.err.find(what + argument + "'"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
        EXPECT_EQ(run.out.find("Usage"), std::string::npos);
    }
}

}  // namespace
