#include "platform/system/AtomicFile.h"
#include "platform/system/SettingsKey.h"
#include "platform/system/UserFolders.h"
#include "platform/system/Utf8.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

using kelvara::test::ScopedUserEnvironment;
namespace fs = std::filesystem;

TEST(Utf8, ValidatesRepairsAndCounts)
{
    struct Case
    {
        std::string text;
        bool valid;
        std::string repaired;
        size_t length;
    };
    const Case cases[] = {
        {"", true, "", 0}, {"abc", true, "abc", 3},
        {"\xE6\xA0\x87\xE5\xAE\x9A", true, "\xE6\xA0\x87\xE5\xAE\x9A", 2},  // two CJK characters
        {"\xF0\x9F\x94\xAC", true, "\xF0\x9F\x94\xAC", 1},  // beyond the BMP
        {"a\xFFz", false, "a\xEF\xBF\xBDz", 3},  // stray byte
        {"\xC0\xAF", false, "\xEF\xBF\xBD\xEF\xBF\xBD", 2},  // overlong '/'
        {"\xED\xA0\x80", false, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", 3},  // surrogate
        {"\xE6\xA0", false, "\xEF\xBF\xBD\xEF\xBF\xBD", 2},  // cut short
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(kelvara::IsValidUtf8(c.text), c.valid);
        EXPECT_EQ(kelvara::RepairUtf8(c.text), c.repaired);
        EXPECT_TRUE(kelvara::IsValidUtf8(kelvara::RepairUtf8(c.text)));
        EXPECT_EQ(kelvara::Utf8Length(c.text), c.length);
    }
}

TEST(Utf8, WideTextBecomesUtf8WithInvalidValuesReplaced)
{
    EXPECT_EQ(kelvara::WideToUtf8(L""), "");
    EXPECT_EQ(kelvara::WideToUtf8(L"a\u00e4\u4e2d\U0001F600"), "a\xC3\xA4\xE4\xB8\xAD\xF0\x9F\x98\x80");
    const wchar_t invalid[] = {L'x', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), 0};
    EXPECT_EQ(kelvara::WideToUtf8(invalid), "x\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(UserFolders, DocumentsFolderFollowsUserDirsThenFallsBackAndIsCreated)
{
    ScopedUserEnvironment env;
    std::string folder = "untouched";

    // No user-dirs.dirs: ~/Documents, created.
    ASSERT_TRUE(kelvara::GetDocumentsFolder(folder));
    EXPECT_EQ(folder, env.Home() + "/Documents");
    EXPECT_TRUE(fs::is_directory(folder));

    // $HOME-relative entry in the config home's user-dirs.dirs; the last one wins.
    env.WriteFile(env.Home() + "/.config/user-dirs.dirs",
        "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Old\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    ASSERT_TRUE(kelvara::GetDocumentsFolder(folder));
    EXPECT_EQ(folder, env.Home() + "/Dokumente");
    EXPECT_TRUE(fs::is_directory(folder));

    // A relative XDG_CONFIG_HOME is ignored; an absolute one is used.
    env.Set("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(kelvara::GetConfigHome(), env.Home() + "/.config");
    env.Set("XDG_CONFIG_HOME", env.Home() + "/cfg");
    EXPECT_EQ(kelvara::GetConfigHome(), env.Home() + "/cfg");
    env.WriteFile(env.Home() + "/cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + env.Home() + "/abs docs/\"\n");
    ASSERT_TRUE(kelvara::GetDocumentsFolder(folder));
    EXPECT_EQ(folder, env.Home() + "/abs docs");

    // A documents folder that cannot be created fails and leaves the argument alone.
    env.WriteFile(env.Home() + "/afile", "x");
    env.WriteFile(env.Home() + "/cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/afile/docs\"\n");
    folder = "untouched";
    EXPECT_FALSE(kelvara::GetDocumentsFolder(folder));
    EXPECT_EQ(folder, "untouched");
}

TEST(AtomicFile, ReplacesWholeFileKeepingModeAndRefusesReadOnlyOrMissingFolder)
{
    ScopedUserEnvironment env;
    std::string path = env.Home() + "/data.txt";
    ASSERT_TRUE(kelvara::WriteFileAtomically(path, "first"));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(kelvara::WriteFileAtomically(path, "second, longer"));
    EXPECT_EQ(env.ReadFile(path), "second, longer");
    struct stat info
    {
    };
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    // Read-only: refused even for a privileged user, old content kept.
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    std::string error;
    EXPECT_FALSE(kelvara::WriteFileAtomically(path, "third", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(env.ReadFile(path), "second, longer");

    // The folder is a file: nothing can be created there.
    env.WriteFile(env.Home() + "/notafolder", "x");
    EXPECT_FALSE(kelvara::WriteFileAtomically(env.Home() + "/notafolder/data.txt", "x", &error));

    // No temporary file is left behind by any of this.
    size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(env.Home())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
        ++entries;
    }
    EXPECT_EQ(entries, 2u);
}

TEST(AtomicFile, ReadReportsMissingUnreadableAndTooLarge)
{
    ScopedUserEnvironment env;
    std::string data = "stale";
    EXPECT_EQ(kelvara::ReadWholeFile(env.Home() + "/none", data, 100), kelvara::ReadResult::Missing);
    EXPECT_EQ(data, "");
    EXPECT_EQ(kelvara::ReadWholeFile(env.Home(), data, 100), kelvara::ReadResult::Unreadable);
    env.WriteFile(env.Home() + "/big", std::string(101, 'x'));
    EXPECT_EQ(kelvara::ReadWholeFile(env.Home() + "/big", data, 100), kelvara::ReadResult::TooLarge);
    EXPECT_EQ(kelvara::ReadWholeFile(env.Home() + "/big", data, 101), kelvara::ReadResult::Ok);
    EXPECT_EQ(data.size(), 101u);
}

TEST(SettingsKey, StringsSurviveTheFileWhateverTheyHold)
{
    const std::string values[] = {"", "/home/ann/Documents/Kelvara Files/Images/", "  blanks around  ",
        "quote \" and back\\slash \\x41", "line\nbreak\r\ttab",
        "\xE5\x9B\xBE\xE7\x89\x87/\xEC\x82\xAC\xEC\xA7\x84", "not utf-8 \xFF\xFE path"};
    ScopedUserEnvironment env;
    kelvara::CSettingsKey writer;
    ASSERT_TRUE(writer.Open("test"));
    for (size_t i = 0; i < std::size(values); ++i)
        writer.SetString(("v" + std::to_string(i)).c_str(), values[i]);
    writer.SetDword("Negative", -1);
    ASSERT_TRUE(writer.Flush());
    EXPECT_TRUE(kelvara::IsValidUtf8(env.ReadFile(writer.Path())));

    kelvara::CSettingsKey reader;
    ASSERT_TRUE(reader.Open("test"));
    for (size_t i = 0; i < std::size(values); ++i) {
        std::string value;
        ASSERT_TRUE(reader.QueryString(("V" + std::to_string(i)).c_str(), value)) << i;
        EXPECT_EQ(value, values[i]);
    }
    int32_t number = 0;
    ASSERT_TRUE(reader.QueryDword("negative", number));
    EXPECT_EQ(number, -1);
    // Types are kept apart.
    std::string text;
    EXPECT_FALSE(reader.QueryString("Negative", text));
    EXPECT_FALSE(reader.QueryDword("v1", number));
}

TEST(SettingsKey, GarbledFileOpensEmptyAndUnknownValuesAreKept)
{
    ScopedUserEnvironment env;
    std::string path = env.Home() + "/.config/Kelvara/test.ini";
    const std::string garbage[] = {
        std::string("\x00\x01\x02[values]\nA = dword:1", 17), "\xFF\xFE\x80garbage", "[values]\nA = dword:"};
    for (const std::string& content : garbage) {
        env.WriteFile(path, content);
        kelvara::CSettingsKey key;
        ASSERT_TRUE(key.Open("test"));
        int32_t value = 7;
        EXPECT_FALSE(key.QueryDword("A", value));
        EXPECT_EQ(value, 7);
    }

    env.WriteFile(path, "[values]\nOther = sz:\"kept\"\nA = dword:123456789\n");
    kelvara::CSettingsKey key;
    ASSERT_TRUE(key.Open("test"));
    int32_t value = 0;
    EXPECT_FALSE(key.QueryDword("A", value));  // nine digits do not fit a dword
    key.SetDword("A", 5);
    ASSERT_TRUE(key.Flush());
    kelvara::CSettingsKey again;
    ASSERT_TRUE(again.Open("test"));
    std::string other;
    EXPECT_TRUE(again.QueryString("Other", other));
    EXPECT_EQ(other, "kept");
    EXPECT_TRUE(again.QueryDword("A", value));
    EXPECT_EQ(value, 5);
}
