#include "platform/system/ProgramDirectory.h"

#include <unistd.h>

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

TEST(ProgramDirectory, EndsWithSlashAndHoldsTheRunningProgram)
{
    std::string dir = kelvara::GetProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.front(), '/');
    EXPECT_EQ(dir.back(), '/');
    std::ifstream self(dir + "system_tests");
    EXPECT_TRUE(self.good());
}

TEST(ProgramDirectory, DataFilesLieNextToTheProgram)
{
    std::string dir = kelvara::GetProgramDirectory();
    std::ifstream font(dir + "fzht.ttf", std::ios::binary);
    ASSERT_TRUE(font.good());

    // The indicator strip is 30 pictures of 20 x 20, side by side.
    sf::Image strip;
    ASSERT_TRUE(strip.loadFromFile(dir + "recording.png"));
    EXPECT_EQ(strip.getSize().x, 600u);
    EXPECT_EQ(strip.getSize().y, 20u);
    // Each picture has an opaque red centre and a transparent corner.
    for (unsigned frame = 0; frame < 30; ++frame) {
        sf::Color centre = strip.getPixel(frame * 20 + 10, 10);
        EXPECT_EQ(centre.a, 255);
        EXPECT_GT(centre.r, 100);
        EXPECT_EQ(strip.getPixel(frame * 20, 0).a, 0);
    }
}

// An installed program finds its data in ../share/kelvara/; one in a build
// tree finds them next to itself, even when a share folder exists too.
TEST(ProgramDirectory, DataDirectoryIsNextToTheProgramElseInShareKelvara)
{
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "kelvara-prefix-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path prefix = pattern;
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share/kelvara");
    const std::string bin = (prefix / "bin").string() + "/";
    const std::string share = (prefix / "share/kelvara").string() + "/";

    // Nothing anywhere: the executable's own directory.
    EXPECT_EQ(kelvara::FindDataDirectory(bin), bin);
    // A directory of that name does not count, only a file.
    fs::create_directories(prefix / "bin/fzht.ttf");
    EXPECT_EQ(kelvara::FindDataDirectory(bin), bin);
    fs::remove(prefix / "bin/fzht.ttf");

    std::ofstream(share + "recording.png") << "x";
    EXPECT_EQ(kelvara::FindDataDirectory(bin), share);

    std::ofstream(bin + "fzht.ttf") << "x";
    EXPECT_EQ(kelvara::FindDataDirectory(bin), bin);

    EXPECT_EQ(kelvara::FindDataDirectory(""), "");
    fs::remove_all(prefix);
}
