#include "platform/system/ProgramDirectory.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

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
