// The program as installed: the Debian package unpacked into a scratch root
// with dpkg -x (or, in sanitizer builds, a DESTDIR install), checked for its
// layout and started from there with no help from the build tree.
#include "tests/support/shell/ChildProcess.h"
#include "tests/support/shell/TopLevelWindows.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

using kelvara::test::ChildProcess;
using kelvara::test::ScopedUserEnvironment;

constexpr const char* kAppId = "org.kelvara.Kelvara";

// The install the CTest fixture staged: a folder holding either "package/"
// with the .deb or "root/" with a DESTDIR install.
class InstalledProgram : public testing::Test
{
protected:
    void SetUp() override
    {
        const char* stage = std::getenv("KELVARA_INSTALL_STAGE");
        ASSERT_NE(stage, nullptr) << "run through CTest: the install_stage fixture stages the install";
        m_root = fs::path(stage) / "root";
        for (const auto& entry : fs::directory_iterator(fs::path(stage) / "package", m_error)) {
            if (entry.path().extension() == ".deb")
                m_package = entry.path();
        }
        if (!m_package.empty()) {
            m_root = fs::path(m_env.Home()) / "root";
            const std::string command = "dpkg -x '" + m_package.string() + "' '" + m_root.string() + "'";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
        }
        m_usr = m_root / "usr";
        ASSERT_TRUE(fs::is_directory(m_usr)) << m_usr;
        m_program = (m_usr / "bin/Kelvara").string();
    }

    // The installed copy of a shared library, wherever the private folder is.
    fs::path FindLibrary(const std::string& name)
    {
        for (const auto& entry : fs::recursive_directory_iterator(m_usr / "lib", m_error)) {
            if (entry.path().filename() == name)
                return entry.path();
        }
        return {};
    }

    ScopedUserEnvironment m_env;
    std::error_code m_error;
    fs::path m_package;
    fs::path m_root;
    fs::path m_usr;
    std::string m_program;
};

// Width and height from a PNG's header, {0, 0} when it is not a PNG.
std::pair<uint32_t, uint32_t> PngSize(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char header[24] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    if (!in || header[1] != 'P' || header[2] != 'N' || header[3] != 'G')
        return {0, 0};
    auto be32 = [&](int at) {
        return uint32_t(header[at]) << 24 | uint32_t(header[at + 1]) << 16 | uint32_t(header[at + 2]) << 8
            | uint32_t(header[at + 3]);
    };
    return {be32(16), be32(20)};
}

TEST_F(InstalledProgram, PutsProgramsLibrariesDataAndDesktopFilesInTheirPlaces)
{
    // Exactly the two programs: no test programs, benchmarks or build tools.
    std::set<std::string> programs;
    for (const auto& entry : fs::directory_iterator(m_usr / "bin"))
        programs.insert(entry.path().filename().string());
    EXPECT_EQ(programs, (std::set<std::string>{"Kelvara", "kelvara-wmp-simulator"}));

    for (const char* library : {"libPellar.so", "libDuiLib.so"}) {
        fs::path found = FindLibrary(library);
        ASSERT_FALSE(found.empty()) << library;
        EXPECT_EQ(found.parent_path().filename(), "kelvara") << found;
    }

    // Data files; the label font may be a link to a system font.
    const fs::path data = m_usr / "share/kelvara";
    EXPECT_EQ(PngSize(data / "recording.png"), std::make_pair(600u, 20u));
    EXPECT_TRUE(fs::is_regular_file(data / "fzht.ttf")) << "missing or dangling";

    const std::string desktop
        = ScopedUserEnvironment::ReadFile((m_usr / "share/applications" / kAppId).string() + ".desktop");
    for (const char* line : {"Name=Kelvara\n", "GenericName=Microscope Camera\n",
             "Categories=Graphics;Science;\n", "Exec=Kelvara\n", "Icon=org.kelvara.Kelvara\n"})
        EXPECT_NE(desktop.find(line), std::string::npos) << line;

    const fs::path icons = m_usr / "share/icons/hicolor";
    for (uint32_t size : {16u, 24u, 32u, 48u, 64u, 128u, 256u}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        EXPECT_EQ(
            PngSize(icons / folder / "apps" / (std::string(kAppId) + ".png")), std::make_pair(size, size))
            << folder;
    }
    EXPECT_TRUE(fs::is_regular_file(icons / "scalable/apps" / (std::string(kAppId) + ".svg")));

    const fs::path metainfo = m_usr / "share/metainfo" / (std::string(kAppId) + ".metainfo.xml");
    ASSERT_TRUE(fs::is_regular_file(metainfo));
    const std::string validate = "appstreamcli validate --no-net '" + metainfo.string() + "' > /dev/null";
    EXPECT_EQ(std::system(validate.c_str()), 0) << validate;

    EXPECT_TRUE(fs::is_regular_file(m_usr / "share/doc/kelvara/copyright"));
}

// The installed program finds its libraries by itself: no LD_LIBRARY_PATH,
// and the build tree is not where they come from.
TEST_F(InstalledProgram, RunsWithoutTheBuildTree)
{
    ChildProcess program(m_program, {"--version"},
        {{"LD_LIBRARY_PATH", std::nullopt}, {"DISPLAY", std::nullopt}}, m_env.Home() + "/version");
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(program.WaitExit(10000), 0) << program.Stderr();
    EXPECT_NE(program.Stdout().find("Kelvara 1.3.2.297\n"), std::string::npos) << program.Stdout();
}

// Started like a user would, with the demo camera listed: the main window
// appears, is closed through the window manager's protocol, and the program
// ends with 0, having loaded the libraries of the installed tree.
TEST_F(InstalledProgram, OpensItsWindowAndClosesCleanly)
{
    // No exit question, so closing the window ends the program.
    ScopedUserEnvironment::WriteFile(
        m_env.Home() + "/.config/Kelvara/config.ini", "[values]\nExitPrompt = dword:00000001\n");
    ChildProcess program(m_program, {},
        {{"LD_LIBRARY_PATH", std::nullopt}, {"KELVARA_VIRTUAL_CAMERAS", "demo"},
            {"KELVARA_YWUSB_CAMERAS", "0"}, {"XDG_RUNTIME_DIR", m_env.Home()}},
        m_env.Home() + "/main");
    ASSERT_TRUE(program.Started());
    unsigned long window = kelvara::test::WaitForWindow("Kelvara", 15000);
    ASSERT_NE(window, 0u) << program.Stdout() << program.Stderr();

    const std::string maps
        = ScopedUserEnvironment::ReadFile("/proc/" + std::to_string(program.Pid()) + "/maps");
    for (const char* library : {"libPellar.so", "libDuiLib.so"}) {
        const std::string installed = fs::canonical(FindLibrary(library)).string();
        EXPECT_NE(maps.find(installed), std::string::npos) << library << " not loaded from " << installed;
    }

    ASSERT_TRUE(kelvara::test::AskToClose(window));
    EXPECT_EQ(program.WaitExit(15000), 0) << program.Stdout() << program.Stderr();
}

}  // namespace
