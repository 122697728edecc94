#include "app/measure/CaliDataListAdapter.h"
#include "app/measure/CaliDataStore.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <filesystem>
#include <iterator>

using kelvara::test::ScopedUserEnvironment;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const std::string kBom = "\xEF\xBB\xBF";

std::vector<CaliData> Entries(const CaliDataStore& store)
{
    std::vector<CaliData> entries;
    for (int i = 0; i < store.GetCount(); ++i)
        entries.push_back(store.GetAt(i));
    return entries;
}

void ExpectEntries(const CaliDataStore& store, const std::vector<CaliData>& expected)
{
    std::vector<CaliData> actual = Entries(store);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(actual[i].name, expected[i].name);
        EXPECT_FLOAT_EQ(actual[i].value, expected[i].value);
        EXPECT_EQ(actual[i].unit, expected[i].unit);
        EXPECT_EQ(actual[i].width, expected[i].width);
        EXPECT_EQ(actual[i].height, expected[i].height);
    }
}

int LoadText(CaliDataStore& store, const std::string& text)
{
    return store.LoadCaliText(text.data(), text.size());
}

}  // namespace

TEST(CaliDataStore, WritesTheFileFormatByteForByte)
{
    CaliDataStore store;
    ASSERT_EQ(store.Add({"Objective 10x", 0.0125f, 2}), 0);
    ASSERT_EQ(store.Add({"b", 1.5f, 0}), 0);
    EXPECT_EQ(store.FormatCaliText(),
        kBom
            + "[data]\r\nObjective 10x = 0.012500\r\nb = 1.500000\r\n\r\n\r\n"
              "[unit]\r\nObjective 10x = 2\r\nb = 0\r\n");
}

TEST(CaliDataStore, SavedEntriesLoadBackEqualInKeyOrder)
{
    ScopedUserEnvironment env;
    std::string path = env.Home() + "/calibrations.ini";
    CaliDataStore store;
    // Added out of order; the file hands them back ascending, ignoring case.
    const std::vector<CaliData> added = {
        {"b", 2.5f, 3},
        {"A", 0.25f, 1},
        {"\xE7\x89\xA9\xE9\x95\x9C 40x", 0.001953f, 2},  // Chinese name, sorts after ASCII
        {"c with [brackets] ; inside", 1000.0f, 5},
        {"negative", -0.5f, 4},
        {"weird unit", 3.0f, 42},
    };
    for (const CaliData& entry : added)
        ASSERT_EQ(store.Add(entry), 0) << entry.name;
    ASSERT_EQ(store.SaveCaliConfig(path), 0);

    CaliDataStore loaded;
    ASSERT_EQ(loaded.LoadCaliConfig(path), 0);
    ExpectEntries(loaded, {added[1], added[0], added[3], added[4], added[5], added[2]});
    EXPECT_STREQ(CaliDataStore::GetUnitName(loaded.GetAt(4).unit), "n/a");
}

TEST(CaliDataStore, LoadingFollowsTheFileRules)
{
    CaliDataStore store;
    const std::string file = "; comment\n[other]\nx = 1\n"
                             "[DATA]\n"
                             "b=2\n"
                             "A   =   0.5\n"
                             "c = 1.25\n"
                             "tiny = 0.0000001\n"
                             "zero = 0.000000\n"
                             "text = 2mm\n"
                             "empty =\n"
                             "huge = 1e300\n"
                             "nan = nan\n"
        + std::string(64, 'L') + " = 1\n" + std::string(63, 'k')
        + " = 4\n"
          "hexunit = 3\n"
          "B = 7\n"
          "[unit]\n"
          "a = 0x2\nb = 2mm\nc = -1\nhexunit = 0X1f\n"
        + std::string(63, 'K') + " = 1\n";
    ASSERT_EQ(LoadText(store, file), 0);
    // b and B are one key: the first name with the value of the last line.
    ExpectEntries(store,
        {{"A", 0.5f, 2}, {"b", 7.0f, 0}, {"c", 1.25f, -1}, {"hexunit", 3.0f, 31},
            {std::string(63, 'k'), 4.0f, 1}, {"tiny", 0.0000001f, 0}});

    // Keys that differ only in broken bytes load once, under the repaired name.
    ASSERT_EQ(LoadText(store, "[data]\n\xF2 X = 1\n\xED x = 2\n"), 0);
    ExpectEntries(store, {{"\xEF\xBF\xBD x", 2.0f, 0}});
}

TEST(CaliDataStore, SmallValuesReloadExactlyAndOrdinaryOnesKeepSixDecimals)
{
    // Value, and the text expected in the file (empty: anything that reads back).
    const std::pair<float, std::string> cases[] = {
        {0.0125f, "0.012500"},
        {1.5f, "1.500000"},
        {1000.0f, "1000.000000"},
        {-0.5f, "-0.500000"},
        {0.0000345f, "3.45e-05"},  // cm per pixel; "%f" read back 1.4 % too large
        {2.5394e-6f, "2.5394e-06"},  // in per pixel, 100x oil objective
        {0.0000001f, "1e-07"},  // "%f" wrote 0.000000, dropped on the next load
        {4.9e-7f, ""},
        {1.17549435e-38f, ""},
        {0.1f, "0.100000"},
        {0.123456789f, ""},
        {3.0e20f, ""},
    };
    CaliDataStore store;
    for (size_t i = 0; i < std::size(cases); ++i)
        ASSERT_EQ(store.Add({"v" + std::to_string(10 + i), cases[i].first, 1}), 0);
    std::string text = store.FormatCaliText();
    for (size_t i = 0; i < std::size(cases); ++i) {
        if (!cases[i].second.empty()) {
            EXPECT_NE(
                text.find("v" + std::to_string(10 + i) + " = " + cases[i].second + "\r\n"), std::string::npos)
                << cases[i].second;
        }
    }
    CaliDataStore loaded;
    ASSERT_EQ(LoadText(loaded, text), 0);
    ASSERT_EQ(loaded.GetCount(), static_cast<int>(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(loaded.GetAt(static_cast<int>(i)).value, cases[i].first) << i;  // bit for bit
}

TEST(CaliDataStore, NamesDifferingOnlyInCaseAreRefusedAsExisting)
{
    CaliDataStore store;
    ASSERT_EQ(store.Add({"Scale", 1.0f, 1}), 0);
    EXPECT_EQ(store.Add({"scale", 2.0f, 2}), CaliDataStore::kNameExists);
    EXPECT_EQ(store.Add({"SCALE", 3.0f, 3}), CaliDataStore::kNameExists);
    // Only ASCII letters fold, as in the file's keys.
    EXPECT_EQ(store.Add({"\xC3\x84", 1.0f, 1}), 0);  // A with diaeresis
    EXPECT_EQ(store.Add({"\xC3\xA4", 1.0f, 1}), 0);  // a with diaeresis
    EXPECT_EQ(store.Add({"Scale 2", 2.0f, 2}), 0);
    std::string text = store.FormatCaliText();
    ASSERT_EQ(LoadText(store, text), 0);
    EXPECT_EQ(store.GetCount(), 4);
    EXPECT_EQ(store.GetAt(0).name, "Scale");
    EXPECT_EQ(store.GetAt(0).value, 1.0f);
}

TEST(CaliDataStore, NamesAndValuesThatCannotComeBackAreRefused)
{
    const std::string refused[]
        = {"", "a=b", "line\nbreak", "cr\rname", "[section", ";comment", "#comment", " leading", "trailing ",
            "tab\tinside", std::string("nul\0x", 5), "bad \xFF utf8", std::string(64, 'n')};
    CaliDataStore store;
    for (const std::string& name : refused)
        EXPECT_EQ(store.Add({name, 1.0f, 0}), CaliDataStore::kCannotStore) << name;
    EXPECT_EQ(store.Add({"inf", std::numeric_limits<float>::infinity(), 0}), CaliDataStore::kCannotStore);
    EXPECT_EQ(store.Add({"nan", std::numeric_limits<float>::quiet_NaN(), 0}), CaliDataStore::kCannotStore);
    EXPECT_EQ(store.GetCount(), 0);
    const std::string accepted[]
        = {std::string(63, 'n'), "a]b", "x;y#z", "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4"};
    for (const std::string& name : accepted)
        EXPECT_EQ(store.Add({name, 1.0f, 0}), 0) << name;
}

TEST(CaliDataStore, FileFaultsGiveClearCodesAndLoseNothingElse)
{
    ScopedUserEnvironment env;
    std::string path = env.Home() + "/calibrations.ini";
    CaliDataStore store;
    ASSERT_EQ(store.Add({"keep", 0.5f, 2}), 0);

    // Missing file or a folder: -3, list kept, the line on standard output.
    CaliDataStore other;
    ASSERT_EQ(other.Add({"x", 1.0f, 1}), 0);
    CaptureStdout();
    EXPECT_EQ(other.LoadCaliConfig(env.Home() + "/none.ini"), CaliDataStore::kCannotOpenFile);
    EXPECT_EQ(GetCapturedStdout(), "LoadCaliConfig " + env.Home() + "/none.ini Failed\n");
    EXPECT_EQ(other.GetCount(), 1);
    EXPECT_EQ(other.LoadCaliConfig(env.Home()), CaliDataStore::kCannotOpenFile);
    EXPECT_EQ(other.GetCount(), 1);

    // Unwritable places: -4.
    env.WriteFile(env.Home() + "/afile", "x");
    EXPECT_EQ(store.SaveCaliConfig(env.Home() + "/afile/calibrations.ini"), CaliDataStore::kCannotSaveFile);
    EXPECT_EQ(store.SaveCaliConfig(env.Home() + "/missing/calibrations.ini"), CaliDataStore::kCannotSaveFile);

    // A read-only file is left as it is.
    ASSERT_EQ(store.SaveCaliConfig(path), 0);
    std::string saved = env.ReadFile(path);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(store.Add({"more", 1.0f, 1}), 0);
    EXPECT_EQ(store.SaveCaliConfig(path), CaliDataStore::kCannotSaveFile);
    EXPECT_EQ(env.ReadFile(path), saved);
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);

    // Truncated, garbage and 1 MB lines: whatever is whole still loads.
    const std::pair<std::string, int> damaged[] = {
        {saved.substr(0, saved.find("[unit]") + 10), 1},
        {saved.substr(0, 20), 0},
        {"[data]\nbig = " + std::string(1 << 20, '7') + "x\nkeep = 0.5\n", 1},
        {"[data]\n" + std::string(1 << 20, 'k') + " = 1\nkeep = 0.5\n", 1},
    };
    for (const auto& [content, count] : damaged) {
        env.WriteFile(path, content);
        EXPECT_EQ(other.LoadCaliConfig(path), 0);
        EXPECT_EQ(other.GetCount(), count);
    }
}

TEST(CaliDataStore, AFailedLoadKeepsTheListAndTheFile)
{
    ScopedUserEnvironment env;
    const std::string good = env.Home() + "/backup.ini";
    CaliDataStore store;
    ASSERT_EQ(store.Add({"kept", 0.5f, 2}), 0);
    ASSERT_EQ(store.SaveCaliConfig(good), 0);

    // Recover from a missing, unreadable or damaged file: the list stays.
    const std::string damaged = env.Home() + "/damaged.ini";
    env.WriteFile(damaged, std::string("\x00\xFF\xFE[data]\x01\x02=\x80", 12));
    const std::string unreadable = env.Home() + "/unreadable.ini";
    env.WriteFile(unreadable, "[data]\nother = 1\n");
    ASSERT_EQ(chmod(unreadable.c_str(), 0), 0);
    const bool root = geteuid() == 0;
    CaptureStdout();
    for (const std::string& path : {env.Home() + "/none.ini", damaged, env.Home(), unreadable}) {
        if (root && path == unreadable)
            continue;
        EXPECT_EQ(store.LoadCaliConfig(path), CaliDataStore::kCannotOpenFile) << path;
        ExpectEntries(store, {{"kept", 0.5f, 2}});
    }
    GetCapturedStdout();

    // The exit save does not write over a file that failed to load...
    const std::string damagedContent = env.ReadFile(damaged);
    EXPECT_EQ(store.SaveCaliConfig(damaged), CaliDataStore::kCannotSaveFile);
    EXPECT_EQ(env.ReadFile(damaged), damagedContent);
    ASSERT_EQ(chmod(unreadable.c_str(), 0644), 0);
    EXPECT_EQ(store.SaveCaliConfig(unreadable), root ? 0 : CaliDataStore::kCannotSaveFile);
    // ...but creates a missing one, and writes one that has loaded since.
    EXPECT_EQ(store.SaveCaliConfig(env.Home() + "/none.ini"), 0);
    env.WriteFile(damaged, "[data]\nfixed = 2\n");
    ASSERT_EQ(store.LoadCaliConfig(damaged), 0);
    ExpectEntries(store, {{"fixed", 2.0f, 0}});
    EXPECT_EQ(store.SaveCaliConfig(damaged), 0);

    // The file of an empty list is a calibration file.
    CaliDataStore empty;
    ASSERT_EQ(empty.SaveCaliConfig(env.Home() + "/empty.ini"), 0);
    EXPECT_EQ(store.LoadCaliConfig(env.Home() + "/empty.ini"), 0);
    EXPECT_EQ(store.GetCount(), 0);
}

TEST(CaliDataStore, ConfigPathLiesBelowDocumentsAndIsCreated)
{
    ScopedUserEnvironment env;
    CaliDataStore store;
    std::string path;
    ASSERT_EQ(store.GetCaliConfigPath(path), 0);
    EXPECT_EQ(path, env.Home() + "/Documents/Kelvara Files/data/calibrations.ini");
    EXPECT_TRUE(std::filesystem::is_directory(env.Home() + "/Documents/Kelvara Files/data"));

    // "Kelvara Files" is a file: the data folder cannot be made.
    std::filesystem::remove_all(env.Home() + "/Documents/Kelvara Files");
    env.WriteFile(env.Home() + "/Documents/Kelvara Files", "x");
    EXPECT_EQ(store.GetCaliConfigPath(path), CaliDataStore::kCannotCreateFolder);

    // The documents folder itself cannot be made.
    env.WriteFile(
        env.Home() + "/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Documents/Kelvara Files/d\"\n");
    EXPECT_EQ(store.GetCaliConfigPath(path), CaliDataStore::kNoDocumentsFolder);
}

TEST(CaliDataStore, PreviewSizesGoToTheirOwnSectionAndComeBack)
{
    ScopedUserEnvironment env;
    CaliDataStore store;
    ASSERT_EQ(store.Add({"10x", 0.0125f, 2, 1920, 1080}), 0);
    ASSERT_EQ(store.Add({"old", 1.5f, 0}), 0);  // made before sizes were kept
    ASSERT_EQ(store.Add({"40x", 0.003125f, 3, 640, 480}), 0);
    // Only entries of known size have a line; the first two sections are as before.
    EXPECT_EQ(store.FormatCaliText(),
        kBom
            + "[data]\r\n10x = 0.012500\r\nold = 1.500000\r\n40x = 0.003125\r\n\r\n\r\n"
              "[unit]\r\n10x = 2\r\nold = 0\r\n40x = 3\r\n\r\n\r\n"
              "[resolution]\r\n10x = 1920x1080\r\n40x = 640x480\r\n");

    // Exit save and start-up load, then backup to another file and recover from it.
    const std::string path = env.Home() + "/calibrations.ini";
    ASSERT_EQ(store.SaveCaliConfig(path), 0);
    CaliDataStore loaded;
    ASSERT_EQ(loaded.LoadCaliConfig(path), 0);
    const std::vector<CaliData> expected
        = {{"10x", 0.0125f, 2, 1920, 1080}, {"40x", 0.003125f, 3, 640, 480}, {"old", 1.5f, 0}};
    ExpectEntries(loaded, expected);
    const std::string backup = env.Home() + "/backup.ini";
    ASSERT_EQ(loaded.SaveCaliConfig(backup), 0);
    CaliDataStore recovered;
    ASSERT_EQ(recovered.Add({"gone", 1.0f, 1, 800, 600}), 0);
    ASSERT_EQ(recovered.LoadCaliConfig(backup), 0);
    ExpectEntries(recovered, expected);

    // A list without sizes writes the file exactly as it always was.
    CaliDataStore plain;
    ASSERT_EQ(plain.Add({"a", 2.0f, 1}), 0);
    EXPECT_EQ(plain.FormatCaliText(), kBom + "[data]\r\na = 2.000000\r\n\r\n\r\n[unit]\r\na = 1\r\n");
}

TEST(CaliDataStore, FilesWithoutOrWithBadSizesLoadAsBefore)
{
    CaliDataStore store;
    // A file of an older version: no sizes.
    ASSERT_EQ(LoadText(store, kBom + "[data]\r\nA = 0.5\r\n\r\n[unit]\r\nA = 2\r\n"), 0);
    ExpectEntries(store, {{"A", 0.5f, 2}});

    // Every malformed size leaves its entry of unknown size; the rest load.
    const std::string file = "[resolution]\nearly = 800x600\n"
                             "[data]\n"
                             "early = 1\nupper = 1\nstar = 1\nzero = 1\nnegative = 1\nnowidth = 1\n"
                             "noheight = 1\nthree = 1\nhuge = 1\nspaced = 1\nsigned = 1\ntext = 1\n"
                             "[unit]\nearly = 2\n"
                             "[resolution]\n"
                             "UPPER = 1600X1200\nstar = 1920*1080\nzero = 0x1080\nnegative = -640x480\n"
                             "nowidth = x480\nnoheight = 640x\nthree = 640x480x2\nhuge = 70000x480\n"
                             "spaced = 640 x 480\nsigned = +640x480\ntext = big\nnot listed = 640x480\n";
    ASSERT_EQ(LoadText(store, file), 0);
    ExpectEntries(store,
        {{"early", 1.0f, 2, 800, 600}, {"huge", 1.0f, 0}, {"negative", 1.0f, 0}, {"noheight", 1.0f, 0},
            {"nowidth", 1.0f, 0}, {"signed", 1.0f, 0}, {"spaced", 1.0f, 0}, {"star", 1.0f, 0},
            {"text", 1.0f, 0}, {"three", 1.0f, 0}, {"upper", 1.0f, 0, 1600, 1200}, {"zero", 1.0f, 0}});

    // A size the file cannot hold is added as unknown rather than half-kept.
    CaliDataStore added;
    ASSERT_EQ(added.Add({"half", 1.0f, 1, 1920, 0}), 0);
    ASSERT_EQ(added.Add({"minus", 1.0f, 1, -1920, -1080}), 0);
    ASSERT_EQ(added.Add({"wide", 1.0f, 1, 70000, 480}), 0);
    ExpectEntries(added, {{"half", 1.0f, 1}, {"minus", 1.0f, 1}, {"wide", 1.0f, 1}});
    EXPECT_EQ(added.FormatCaliText().find("[resolution]"), std::string::npos);
}

TEST(CaliDataListAdapter, CellsShowNumberNameValueAndUnit)
{
    CaliDataStore store;
    CaliDataListAdapter adapter(&store);
    ASSERT_EQ(adapter.Add({"first", 0.0125f, 2}), 0);
    ASSERT_EQ(adapter.Add({"second", 3.0f, 9}), 0);
    EXPECT_EQ(adapter.Add({"first", 1.0f, 1}), CaliDataStore::kNameExists);
    const char* rows[][4] = {{"0", "first", "0.012500", "mm"}, {"1", "second", "3.000000", "n/a"}};
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(adapter.GetItemText(nullptr, row, column), rows[row][column]);
    }
    EXPECT_EQ(adapter.GetItemText(nullptr, 2, 1), "");
    EXPECT_EQ(adapter.GetItemText(nullptr, -1, 1), "");
    EXPECT_EQ(adapter.GetItemText(nullptr, 0, 4), "");

    // Out-of-range removal changes nothing; removal shifts the rows up.
    EXPECT_EQ(store.RemoveAt(2), 0);
    EXPECT_EQ(store.RemoveAt(-1), 0);
    EXPECT_EQ(store.RemoveAt(0), 0);
    EXPECT_EQ(adapter.GetItemText(nullptr, 0, 1), "second");
    EXPECT_FLOAT_EQ(store.GetAt(store.GetCount()).value, 0);
    EXPECT_FALSE(store.Contains("SECOND"));
}
