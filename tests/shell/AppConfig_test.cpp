#include "app/shell/AppConfig.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

using kelvara::test::ScopedUserEnvironment;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

std::string ConfigFile(const ScopedUserEnvironment& env)
{
    return env.Home() + "/.config/Kelvara/config.ini";
}

}  // namespace

TEST(LanguageFromLocale, FollowsTheSimplifiedChineseKoreanIndonesianRule)
{
    const std::pair<const char*, int> cases[] = {
        {"zh_CN.UTF-8", 1},
        {"zh_SG", 1},
        {"ZH-cn", 1},
        {"zh_TW.UTF-8", 0},
        {"zh_HK", 0},
        {"zh", 0},
        {"ko_KR.UTF-8", 2},
        {"ko", 2},
        {"id_ID.UTF-8", 3},
        {"id", 3},
        {"en_US.UTF-8", 0},
        {"de_DE@euro", 0},
        {"C", 0},
        {"POSIX", 0},
        {"", 0},
    };
    for (const auto& [locale, index] : cases)
        EXPECT_EQ(LanguageFromLocale(locale), index) << locale;
}

TEST(ConfigStore, FirstStartTakesDefaultsAndWritesNothingWhenUnchanged)
{
    ScopedUserEnvironment env;
    env.Set("LANG", "ko_KR.UTF-8");
    CConfigStore store;
    CaptureStdout();
    ASSERT_TRUE(store.LoadConfig());
    EXPECT_EQ(GetCapturedStdout(), "load config\n");

    const AppConfig& config = store.Config();
    EXPECT_EQ(config.CFG_EXITPROMPT, 0);
    EXPECT_EQ(config.CFG_FILESAVE_RULE, 0);
    EXPECT_EQ(config.CFG_IMAGEPATH_MYDOC, 1);
    EXPECT_EQ(config.CFG_IMAGEPATH, env.Home() + "/Documents/Kelvara Files/Images/");
    EXPECT_EQ(config.CFG_FILETYPE, 3);
    EXPECT_EQ(config.CFG_LANGUAGE, 2);
    EXPECT_EQ(config.CFG_CURCALIDATA, 0);
    EXPECT_EQ(config.CFG_CURPHYUNIT, 0);
    EXPECT_EQ(config.CFG_CONSHOT_COUNT, 100);
    EXPECT_EQ(config.CFG_CONSHOT_INTERVAL, 3);

    CaptureStdout();
    ASSERT_TRUE(store.SaveConfig());
    EXPECT_EQ(GetCapturedStdout(), "config not changed\n");
    EXPECT_FALSE(std::filesystem::exists(ConfigFile(env)));
}

TEST(ConfigStore, SavedRecordLoadsBackEqual)
{
    ScopedUserEnvironment env;
    CConfigStore store;
    ASSERT_TRUE(store.LoadConfig());
    AppConfig& config = store.Config();
    config = {1, 1, 0, "/srv/pictures/ \xE6\x98\xbe\xE5\xBE\xAE\xE9\x95\x9C \"x\"\\", 0, 3, 4, 5, 7, 0};
    CaptureStdout();
    ASSERT_TRUE(store.SaveConfig());
    EXPECT_EQ(GetCapturedStdout(), "saving config\n");

    CConfigStore reloaded;
    ASSERT_TRUE(reloaded.LoadConfig());
    EXPECT_TRUE(reloaded.Config() == config);
    CaptureStdout();
    EXPECT_TRUE(reloaded.SaveConfig());
    EXPECT_EQ(GetCapturedStdout(), "config not changed\n");
}

TEST(ConfigStore, UnchosenLanguageIsDerivedButKeptInTheFile)
{
    ScopedUserEnvironment env;
    env.Set("LC_ALL", "zh_TW.UTF-8");
    env.WriteFile(ConfigFile(env), "[values]\nLanguage = dword:00000007\nFileType = dword:00000005\n");
    CConfigStore store;
    ASSERT_TRUE(store.LoadConfig());
    EXPECT_EQ(store.Config().CFG_LANGUAGE, 0);  // traditional Chinese gives English
    EXPECT_EQ(store.Config().CFG_FILETYPE, 5);
    CaptureStdout();
    EXPECT_TRUE(store.SaveConfig());
    EXPECT_EQ(GetCapturedStdout(), "config not changed\n");
    EXPECT_NE(env.ReadFile(ConfigFile(env)).find("dword:00000007"), std::string::npos);
}

TEST(ConfigStore, DamagedFilesGiveDefaultsAndNothingElseIsLost)
{
    // Content, and the exit prompt that must come through (1 where the file keeps it).
    const std::pair<std::string, int> contents[] = {
        {std::string("\x7F"
                     "ELF\x02\x01\x01\x00\x00\xFF\xFE\x80\x81",
             14),
            0},  // binary garbage
        {"[values]\nExitPrompt = dword:00000001\nConshotCount = dwo", 1},  // truncated mid-value
        {"[values]\nExitPrompt = dword:00000001\nImagePath = sz:\"" + std::string(1 << 20, 'a') + "\"\n", 1},
        {"[values]\nExitPrompt = dword:00000001\nConshotCount = dword:" + std::string(1 << 20, '1') + "\n",
            1},
    };
    for (const auto& [content, exitPrompt] : contents) {
        SCOPED_TRACE(content.substr(0, 40));
        ScopedUserEnvironment env;
        env.WriteFile(ConfigFile(env), content);
        CConfigStore store;
        ASSERT_TRUE(store.LoadConfig());
        EXPECT_EQ(store.Config().CFG_EXITPROMPT, exitPrompt);
        EXPECT_EQ(store.Config().CFG_CONSHOT_COUNT, 100);
        EXPECT_EQ(store.Config().CFG_IMAGEPATH, env.Home() + "/Documents/Kelvara Files/Images/");
    }
}

TEST(ConfigStore, UnusableSettingsFolderKeepsInitialValuesAndFailedSaveIsRetried)
{
    ScopedUserEnvironment env;
    env.WriteFile(env.Home() + "/blocker", "x");
    env.Set("XDG_CONFIG_HOME", env.Home() + "/blocker");
    CConfigStore store;
    CaptureStdout();
    EXPECT_FALSE(store.LoadConfig());
    EXPECT_EQ(GetCapturedStdout(), "load config\nopen registry failed\n");
    EXPECT_TRUE(store.Config() == AppConfig{});

    // A read-only settings file: every value is reported unsaved, the file is
    // untouched, and the next save tries again.
    env.Set("XDG_CONFIG_HOME", env.Home() + "/cfg");
    std::string file = env.Home() + "/cfg/Kelvara/config.ini";
    env.WriteFile(file, "[values]\n");
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    ASSERT_TRUE(store.LoadConfig());
    store.Config().CFG_EXITPROMPT = 1;
    CaptureStdout();
    EXPECT_FALSE(store.SaveConfig());
    EXPECT_EQ(GetCapturedStdout(),
        "saving config\nsave CFG_EXITPROMPT failed\nsave CFG_FILESAVE_RULE failed\n"
        "save CFG_IMAGEPATH_MYDOC failed\nsave CFG_FILETYPE failed\nsave CFG_LANGUAGE failed\n"
        "save CFG_CURCALIDATA failed\nsave CFG_CURPHYUNIT failed\nsave CFG_IMAGEPATH failed\n"
        "save CFG_CONSHOT_COUNT failed\nsave CFG_CONSHOT_INTERVAL failed\n"
        "save CFG_SCALEBAR failed\nsave CFG_SCALEBAR_CORNER failed\nsave CFG_SCALEBAR_IN_PICTURES failed\n");
    EXPECT_EQ(env.ReadFile(file), "[values]\n");
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    CaptureStdout();
    EXPECT_TRUE(store.SaveConfig());
    EXPECT_EQ(GetCapturedStdout(), "saving config\n");
}
