// The desktop's chooser (zenity), played by a script on PATH that answers
// as the real one does: the chosen path on standard output, the answer to a
// question in its exit status.
#include "platform/duilib/CFileDialog.h"
#include "tests/support/duilib/SampleSkin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace DuiLib;

namespace {

class DesktopChooserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kelvara-chooser-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        const char* path = std::getenv("PATH");
        m_oldPath = path ? path : "";
        setenv("PATH", (m_dir + ":" + m_oldPath).c_str(), 1);
        unsetenv("KELVARA_BUILTIN_CHOOSER");
        CFileDialog::SetChooser(nullptr);
    }
    void TearDown() override
    {
        setenv("PATH", m_oldPath.c_str(), 1);
        std::filesystem::remove_all(m_dir);
    }
    // A zenity that chooses `answer` and says `replace` (0 yes, 1 no) to a question.
    void FakeZenity(const std::string& answer, int replace)
    {
        const std::string script = m_dir + "/zenity";
        std::ofstream(script) << "#!/bin/sh\n"
                              << "echo \"$@\" >> '" << m_dir << "/calls'\n"
                              << "case \"$1\" in --question) exit " << replace << ";; esac\n"
                              << "echo '" << answer << "'\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }
    int Questions()
    {
        std::ifstream in(m_dir + "/calls");
        std::string line;
        int count = 0;
        while (std::getline(in, line))
            count += line.rfind("--question", 0) == 0;
        return count;
    }

    std::string m_dir;
    std::string m_oldPath;
};

TEST_F(DesktopChooserTest, AnAppendedExtensionThatHitsAFileAsksFirst)
{
    TFileDialogOptions options;
    options.kind = TFileDialogOptions::Save;
    options.defaultExt = "png";
    options.overwritePrompt = true;
    std::ofstream(m_dir + "/shot.png") << "old";

    // The user typed "shot"; "shot.png" exists: the answer "no" keeps it.
    FakeZenity(m_dir + "/shot", 1);
    CDuiString path;
    EXPECT_FALSE(CFileDialog::Show(nullptr, options, path));
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_EQ(Questions(), 1);

    // "yes" replaces it.
    FakeZenity(m_dir + "/shot", 0);
    EXPECT_TRUE(CFileDialog::Show(nullptr, options, path));
    EXPECT_EQ(path.str(), m_dir + "/shot.png");

    // A name with its extension, or one that names no file, asks nothing more.
    FakeZenity(m_dir + "/new", 1);
    EXPECT_TRUE(CFileDialog::Show(nullptr, options, path));
    EXPECT_EQ(path.str(), m_dir + "/new.png");
    FakeZenity(m_dir + "/shot.png", 1);
    EXPECT_TRUE(CFileDialog::Show(nullptr, options, path));
    EXPECT_EQ(Questions(), 2);
}

}  // namespace
