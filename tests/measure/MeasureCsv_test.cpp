#include "app/measure/MeasureCsv.h"
#include "app/measure/MeasureListAdapter.h"
#include "app/measure/SFPrimitiveContainer.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

using namespace kelvara;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::wstring Wide(const std::string& narrow)
{
    return std::wstring(narrow.begin(), narrow.end());
}

class CsvExport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kelvara-csv-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..")
                    unlink((dir + "/" + name).c_str());
            }
            closedir(d);
        }
        rmdir(dir.c_str());
    }
    int FileCount()
    {
        int n = 0;
        if (DIR* d = opendir(dir.c_str())) {
            while (readdir(d))
                ++n;
            closedir(d);
        }
        return n - 2;
    }
    // Line from (100, y) to (200, y) at zoom 1, built with the mouse.
    void AddLine(SFPrimitiveContainer& container, float y = 50)
    {
        container.SetTool(kToolLine);
        container.OnMouseMove(100, y);
        container.OnMouseDown(100, y);
        container.OnMouseUp(100, y);
        container.OnMouseMove(200, y);
        container.OnMouseDown(200, y);
        container.OnMouseUp(200, y);
    }

    std::string dir;
};

}  // namespace

TEST_F(CsvExport, OneLineMatchesTheFixtureByteForByte)
{
    SFPrimitiveContainer container;
    container.SetCalibration("mm", 0.254f);
    AddLine(container);
    const std::string path = dir + "/results.csv";
    EXPECT_NE(container.ExportCsv(Wide(path), "mm"), 0);
    EXPECT_EQ(ReadFile(path), ReadFile(KELVARA_MEASURE_FIXTURES "/line.csv"));
    EXPECT_EQ(FileCount(), 1);  // no temporary left behind

    // Exporting again replaces the file.
    container.DeleteAll(false);
    AddLine(container, 50);
    AddLine(container, 150);
    EXPECT_NE(container.ExportCsv(Wide(path), "px"), 0);
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.substr(0, 31), "Measurement data list (Unit: px");
    EXPECT_NE(text.find("\r\n1,Line,"), std::string::npos);
}

TEST_F(CsvExport, NothingToExportOrNoPlaceToWriteGivesZero)
{
    SFPrimitiveContainer container;
    const std::string path = dir + "/results.csv";
    EXPECT_EQ(container.ExportCsv(Wide(path), "px"), 0);
    EXPECT_EQ(FileCount(), 0);

    AddLine(container);
    EXPECT_EQ(container.ExportCsv(Wide(dir + "/missing/results.csv"), "px"), 0);
    EXPECT_EQ(container.ExportCsv(Wide(dir), "px"), 0);  // a directory
    EXPECT_EQ(container.ExportCsv(L"", "px"), 0);
    EXPECT_EQ(FileCount(), 0);
}

TEST_F(CsvExport, AReadOnlyFileIsLeftAndLongNamesAreWritten)
{
    SFPrimitiveContainer container;
    AddLine(container);
    const std::string path = dir + "/kept.csv";
    {
        std::ofstream(path) << "old";
    }
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(container.ExportCsv(Wide(path), "px"), 0);
    EXPECT_EQ(ReadFile(path), "old");
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0444u);

    // A writable file keeps its mode when replaced.
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    EXPECT_NE(container.ExportCsv(Wide(path), "px"), 0);
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    // Names up to the 255-byte limit, also with a multi-byte character at the cut.
    std::string narrow = std::string(251, 'n') + ".csv";
    EXPECT_NE(container.ExportCsv(Wide(dir + "/" + narrow), "px"), 0);
    EXPECT_EQ(stat((dir + "/" + narrow).c_str(), &info), 0);
    std::wstring wide = Wide(std::string(160, 'a'));
    narrow = std::string(160, 'a');
    while (narrow.size() + 3 + 4 <= 255) {
        wide += L"\u4e2d";
        narrow += "\xE4\xB8\xAD";
    }
    EXPECT_NE(container.ExportCsv(Wide(dir) + L"/" + wide + L".csv", "px"), 0);
    EXPECT_EQ(stat((dir + "/" + narrow + ".csv").c_str(), &info), 0);
    EXPECT_EQ(FileCount(), 3);  // no temporary left behind
}

TEST_F(CsvExport, NonAsciiPathIsWrittenAsUtf8)
{
    SFPrimitiveContainer container;
    AddLine(container);
    EXPECT_NE(container.ExportCsv(Wide(dir) + L"/Messung \u00e4\u4e2d.csv", "px"), 0);
    struct stat info;
    EXPECT_EQ(stat((dir + "/Messung \xc3\xa4\xe4\xb8\xad.csv").c_str(), &info), 0);
}

TEST(MeasureCsv, NumbersUseShortestFloatFormAndRowsEndWithAComma)
{
    MeasureResult r;
    r.centerX = 0.5f;
    r.centerY = -3.0f;
    r.width = 1234567.0f;
    r.height = 0.0000123f;
    r.area = 7853.98f;
    r.radius = 50.0f;
    const std::string text = FormatMeasureCsv({{"Circle", r}}, "um");
    const std::string row = text.substr(text.rfind("\r\n", text.size() - 3) + 2);
    EXPECT_EQ(row, "0,Circle,\"[0.5,-3]\",\"[0,0]\",\"[0,0]\",1.23457e+06,1.23e-05,50,7853.98,0,0,0,\r\n");
}

TEST(MeasureListAdapter, CellTextsByColumn)
{
    MeasureListAdapter list;
    list.AddRow();
    list.AddRow();
    MeasureResult r;
    r.centerX = 12.34f;
    r.centerY = 5.0f;
    r.startX = 1.0f;
    r.endY = 2.25f;
    r.width = 3.14159f;
    r.height = 2.0f;
    r.radius = 0.256f;
    r.area = 0.12345f;
    r.length = 12.345f;
    r.angle = 90.0f;
    r.distance = 7.0f;
    list.SetRow(1, r);
    const char* expected[] = {"1", "(12.3,5.0)", "(1.0,0.0)", "(0.0,2.2)", "3.14", "2.00", "0.26", "0.1235",
        "12.35", "90.00", "7.00", ""};
    for (int column = 0; column < 12; ++column)
        EXPECT_EQ(list.GetItemText(nullptr, 1, column), expected[column]) << column;
    EXPECT_EQ(list.GetItemText(nullptr, 0, 4), "0.00");
    EXPECT_EQ(list.GetItemText(nullptr, 2, 0), "");
    EXPECT_EQ(list.GetItemText(nullptr, -1, 0), "");

    list.RemoveRow(0);
    EXPECT_EQ(list.GetItemText(nullptr, 0, 0), "0");
    EXPECT_EQ(list.GetItemText(nullptr, 0, 4), "3.14");
    list.Clear();
    EXPECT_EQ(list.GetRowCount(), 0);
}
