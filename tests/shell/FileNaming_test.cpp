#include "app/shell/FileNaming.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

using kelvara::test::ScopedUserEnvironment;

TEST(FileNaming, TypeMapsToExtensionAndDialogPattern)
{
    const struct
    {
        int type;
        const char* extension;
        const char* pattern;
    } cases[] = {{0, ".tif", "*.tif"}, {1, ".png", "*.png"}, {2, ".bmp", "*.bmp"}, {3, ".jpg", "*.jpg"},
        {5, ".tif", "*.jpg"}, {-1, ".tif", "*.jpg"}};
    for (const auto& c : cases) {
        EXPECT_STREQ(GetImageExtension(c.type), c.extension) << c.type;
        EXPECT_STREQ(GetImageFilterPattern(c.type), c.pattern) << c.type;
    }
}

TEST(FileNaming, ImageFolderIsDocumentsOrCustomAndIsCreated)
{
    ScopedUserEnvironment env;
    AppConfig config;
    config.CFG_IMAGEPATH_MYDOC = 1;
    config.CFG_IMAGEPATH = "/ignored";
    std::string folder;
    ASSERT_TRUE(GetImageFolder(config, folder));
    EXPECT_EQ(folder, env.Home() + "/Documents/Kelvara Files/Images/");
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    config.CFG_IMAGEPATH_MYDOC = 0;
    config.CFG_IMAGEPATH = env.Home() + "/a/b/c";
    ASSERT_TRUE(GetImageFolder(config, folder));
    EXPECT_EQ(folder, env.Home() + "/a/b/c");
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    // An empty custom folder cannot be had, so no automatic name either.
    config.CFG_IMAGEPATH.clear();
    std::string path;
    EXPECT_FALSE(GetImageFolder(config, folder));
    EXPECT_FALSE(MakeAutoFileName(config, path, ".jpg", CurrentAutoNameTime()));

    // A documents path longer than a stored path may be is refused, not cut.
    env.WriteFile(env.Home() + "/.config/user-dirs.dirs",
        "XDG_DOCUMENTS_DIR=\"$HOME/" + std::string(250, 'd') + "\"\n");
    config.CFG_IMAGEPATH_MYDOC = 1;
    EXPECT_FALSE(GetImageFolder(config, folder));
}

TEST(FileNaming, AutomaticNamesWithinOneMillisecondDoNotCollide)
{
    ScopedUserEnvironment env;
    AppConfig config;
    config.CFG_IMAGEPATH = env.Home() + "/pics";  // no trailing slash
    const AutoNameTime time{2016, 5, 18, 9, 5, 3, 42};
    EXPECT_EQ(FormatAutoNameStamp(time), "20160518-090503-42");

    std::string first, second, third;
    ASSERT_TRUE(MakeAutoFileName(config, first, ".jpg", time));
    EXPECT_EQ(first, env.Home() + "/pics/20160518-090503-42.jpg");
    // Handed out but not yet written: the next name still differs.
    ASSERT_TRUE(MakeAutoFileName(config, second, ".jpg", time));
    EXPECT_EQ(second, env.Home() + "/pics/20160518-090503-42-1.jpg");
    // A file left from earlier counts as taken too.
    env.WriteFile(env.Home() + "/pics/20160518-090503-42-2.jpg", "x");
    ASSERT_TRUE(MakeAutoFileName(config, third, ".jpg", time));
    EXPECT_EQ(third, env.Home() + "/pics/20160518-090503-42-3.jpg");

    // A new millisecond starts afresh; a different extension is a different name.
    std::string next, video;
    ASSERT_TRUE(MakeAutoFileName(config, next, ".jpg", {2016, 5, 18, 9, 5, 3, 43}));
    EXPECT_EQ(next, env.Home() + "/pics/20160518-090503-43.jpg");
    ASSERT_TRUE(MakeAutoFileName(config, video, ".mp4", {2016, 5, 18, 9, 5, 3, 43}));
    EXPECT_EQ(video, env.Home() + "/pics/20160518-090503-43.mp4");
}
