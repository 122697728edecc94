#include "tests/scenario/WorkingDay.h"

#include "tests/scenario/MainWindowSpots.h"
#include "tests/support/scenario/ScreenPixels.h"
#include "tests/support/scenario/UserFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace kelvara::test {

namespace {

using namespace spots;

void ClickAt(const Spot& spot)
{
    UserSession::Click(spot.x, spot.y);
}

bool IsLive(const ScreenPixels& picture)
{
    return picture.MeanGrey() > 40 && picture.GreyDeviation() > 8;
}

// Fields of one CSV line; quoted fields keep their commas.
std::vector<std::string> SplitCsv(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else if (c != '\r')
            fields.back() += c;
    }
    return fields;
}

}  // namespace

WorkingDay::WorkingDay(UserSession& session, const std::string& home)
    : m_session(session)
    , m_home(home)
    , m_pictures(UserFiles::PictureFolder(home))
{
}

bool WorkingDay::WaitLivePicture(int timeoutMs)
{
    return UserSession::WaitUntil([] { return IsLive(ScreenPixels::Grab(kPreviewMiddle)); }, timeoutMs);
}

bool WorkingDay::OpenCamera(int row)
{
    ClickAt(kCameraRow[row]);
    m_previewDrawerOpen = true;
    const bool live = WaitLivePicture(20000);
    EXPECT_TRUE(live) << "no live picture after opening camera row " << row;
    // The opened camera's row is highlighted (light background).
    EXPECT_TRUE(UserSession::WaitUntil(
        [row] { return ScreenPixels::Grab(kCameraRowArea[row]).MeanGrey() > 150; }, 5000));
    return live;
}

bool WorkingDay::SwitchSizeAndFormat()
{
    if (!m_previewDrawerOpen)
        ClickAt(kPreviewDrawer);
    m_previewDrawerOpen = true;
    // 640 x 480 leaves black bars beside the picture; 1280 x 720 fills the width.
    EXPECT_LT(ScreenPixels::Grab(kPreviewLeftEdge).MeanGrey(), 10) << "expected a 4:3 picture at first";
    ClickAt(kSizeCombo);
    ClickAt(kSizeItem[1]);
    const bool wide
        = UserSession::WaitUntil([] { return IsLive(ScreenPixels::Grab(kPreviewLeftEdge)); }, 15000);
    EXPECT_TRUE(wide) << "the picture did not take the 16:9 shape of 1280 x 720";

    const ScreenPixels formatBefore = ScreenPixels::Grab(kFormatComboText);
    ClickAt(kFormatCombo);
    ClickAt(kFormatItemYuy2);
    EXPECT_TRUE(UserSession::WaitUntil(
        [&] { return ScreenPixels::Grab(kFormatComboText).MeanDifference(formatBefore) > 1.0; }, 5000))
        << "the format box does not show the new format";
    EXPECT_TRUE(WaitLivePicture(15000)) << "no picture in YUY2";
    // A live picture moves: two looks a moment apart differ.
    const ScreenPixels first = ScreenPixels::Grab(kPreviewMiddle);
    EXPECT_TRUE(UserSession::WaitUntil(
        [&] { return ScreenPixels::Grab(kPreviewMiddle).MeanDifference(first) > 0.5; }, 5000))
        << "the YUY2 picture is frozen";

    ClickAt(kFormatCombo);
    ClickAt(kFormatItemMjpg);
    // Back to MJPG lists the sizes again; take 640 x 480 (the first).
    EXPECT_TRUE(WaitLivePicture(15000));
    ClickAt(kSizeCombo);
    ClickAt(kSizeItem[0]);
    const bool narrow
        = UserSession::WaitUntil([] { return ScreenPixels::Grab(kPreviewLeftEdge).MeanGrey() < 10; }, 15000);
    EXPECT_TRUE(narrow) << "the picture did not go back to 4:3";
    EXPECT_TRUE(WaitLivePicture(15000));
    return wide && narrow;
}

bool WorkingDay::AdjustmentBrightensThePicture(int thumbX, int sliderRow)
{
    const int sliderY = kBrightnessThumbMiddle.y + sliderRow * kSliderPitch;
    ClickAt(m_previewDrawerOpen ? kColourDrawerBelowPreview : kColourDrawer);
    m_previewDrawerOpen = false;
    const double before = ScreenPixels::Grab(kPreviewMiddle).MeanGrey();
    UserSession::Drag(thumbX, sliderY, kBrightnessTrackEnd.x, sliderY);
    const bool brighter = UserSession::WaitUntil(
        [before] { return ScreenPixels::Grab(kPreviewMiddle).MeanGrey() > before + 8; }, 10000);
    EXPECT_TRUE(brighter) << "slider " << sliderRow << " did not brighten the picture (mean grey " << before
                          << " -> " << ScreenPixels::Grab(kPreviewMiddle).MeanGrey() << ")";
    ClickAt(kDefaultsButton);
    EXPECT_TRUE(UserSession::WaitUntil(
        [before] { return std::abs(ScreenPixels::Grab(kPreviewMiddle).MeanGrey() - before) < 4; }, 10000))
        << "the defaults did not bring the picture back";
    ClickAt(kColourDrawer);  // closes it again
    return brighter;
}

std::string WorkingDay::WaitNewFile(
    const std::vector<std::string>& before, const std::string& extension, int timeoutMs)
{
    std::string found;
    UserSession::WaitUntil(
        [&] {
            for (const std::string& name : UserFiles::Added(before, UserFiles::List(m_pictures)))
                if (std::filesystem::path(name).extension() == extension)
                    found = name;
            return !found.empty();
        },
        timeoutMs);
    return found;
}

bool WorkingDay::ChooseFromSnapMenu(int entryY, int itemX, int itemY)
{
    ClickAt(kSnapMenu);
    UserSession::MoveTo(kMenuFileFormat.x, entryY);
    UserSession::MoveTo(kSubMenuX - 40, entryY);
    UserSession::MoveTo(itemX, itemY);
    UserSession::Click(itemX, itemY);
    return true;
}

void WorkingDay::ChooseFileFormat(int format)
{
    ChooseFromSnapMenu(kMenuFileFormat.y, kFormatItem[format].x, kFormatItem[format].y);
}

int WorkingDay::FileFormatItemContrast()
{
    ClickAt(kSnapMenu);
    UserSession::MoveTo(kMenuFileFormat.x, kMenuFileFormat.y);
    UserSession::MoveTo(kSubMenuX - 40, kMenuFileFormat.y);
    // Fully drawn: the last item's row stops changing.
    const ScreenRect item{kFormatItem[1].x - 40, kFormatItem[1].y - 9, 110, 18};
    ScreenPixels last = ScreenPixels::Grab(item);
    UserSession::WaitUntil(
        [&] {
            ScreenPixels now = ScreenPixels::Grab(item);
            const bool steady = now.MeanDifference(last) < 0.1;
            last = now;
            return steady;
        },
        3000);
    UserSession::Key("Escape");
    UserSession::Key("Escape");
    return last.GreyRange();
}

bool WorkingDay::SnapEveryFormat(int leaveFormat)
{
    static const char* const kExtensions[4] = {".tif", ".png", ".bmp", ".jpg"};
    static const char* const kDecoded[4] = {"TIFF", "PNG", "BMP", "JPEG"};
    bool all = true;
    for (int i = 0; i < 4; ++i) {
        const int format = (leaveFormat + 1 + i) % 4;
        ChooseFileFormat(format);
        const std::vector<std::string> before = UserFiles::List(m_pictures);
        ClickAt(kSnap);
        const std::string name = WaitNewFile(before, kExtensions[format], 20000);
        EXPECT_FALSE(name.empty()) << "no " << kExtensions[format] << " file after a snap";
        if (name.empty()) {
            all = false;
            continue;
        }
        EXPECT_TRUE(UserFiles::IsAutomaticName(name, kExtensions[format])) << name;
        EXPECT_TRUE(UserFiles::WaitSteady(m_pictures + name, 300, 20000));
        int width = 0, height = 0;
        const std::string decoded = UserFiles::PictureFormat(m_pictures + name, &width, &height);
        EXPECT_EQ(decoded.compare(0, std::string(kDecoded[format]).size(), kDecoded[format]), 0)
            << name << " decodes as '" << decoded << "'";
        EXPECT_GT(width, 0);
        EXPECT_GT(height, 0);
        // The status bar names the saved file.
        EXPECT_TRUE(UserSession::WaitUntil(StatusTextIsLong, 5000));
    }
    return all;
}

bool WorkingDay::SnapSeries()
{
    const std::vector<std::string> before = UserFiles::List(m_pictures);
    ChooseFromSnapMenu(kMenuSeries.y, kSeriesStart.x, kSeriesStart.y);
    std::vector<std::string> added;
    const bool five = UserSession::WaitUntil(
        [&] {
            added = UserFiles::Added(before, UserFiles::List(m_pictures));
            return added.size() >= 5;
        },
        25000);
    EXPECT_TRUE(five) << "the series left " << added.size() << " files";
    // The series ends by itself: one interval later there is still no sixth.
    UserSession::WaitUntil([] { return false; }, 2500);
    added = UserFiles::Added(before, UserFiles::List(m_pictures));
    EXPECT_EQ(added.size(), 5u);
    long previous = -1;
    for (const std::string& name : added) {
        const std::string extension = std::filesystem::path(name).extension().string();
        EXPECT_TRUE(UserFiles::IsAutomaticName(name, extension)) << name;
        const long stamp = UserFiles::StampMs(name);
        if (previous >= 0 && stamp > previous) {
            EXPECT_GT(stamp - previous, 500) << "series pictures " << name << " too close together";
        }
        previous = stamp;
        EXPECT_TRUE(UserFiles::WaitSteady(m_pictures + name, 300, 20000));
        EXPECT_FALSE(UserFiles::PictureFormat(m_pictures + name).empty()) << name << " does not decode";
    }
    return five;
}

std::string WorkingDay::StartRecording()
{
    const std::vector<std::string> before = UserFiles::List(m_pictures);
    ClickAt(kRecord);
    const std::string name = WaitNewFile(before, ".mp4", 15000);
    return name.empty() ? std::string() : m_pictures + name;
}

bool WorkingDay::Record(int seconds)
{
    const std::string path = StartRecording();
    EXPECT_FALSE(path.empty()) << "recording made no file";
    if (path.empty())
        return false;
    EXPECT_TRUE(UserFiles::IsAutomaticName(std::filesystem::path(path).filename().string(), ".mp4")) << path;
    UserSession::WaitUntil([] { return false; }, seconds * 1000);
    ClickAt(kRecord);
    EXPECT_TRUE(UserSession::WaitUntil(StatusTextIsLong, 10000)) << "no saved-to message after recording";
    EXPECT_TRUE(UserFiles::WaitSteady(path, 500, 15000));
    const VideoFacts facts = UserFiles::ProbeVideo(path);
    EXPECT_GT(facts.frames, seconds * 10) << path;
    EXPECT_NEAR(facts.durationS, seconds, 2.0) << path;
    EXPECT_EQ(facts.width, 640);
    EXPECT_EQ(facts.height, 480);
    return facts.frames > 0;
}

bool WorkingDay::CalibrateAndMeasure(const std::string& calibrationName)
{
    ClickAt(kMeasureTab);
    ClickAt(kCalibrationEdit);
    // Stretch the calibration line over five long ticks of the micrometer.
    UserSession::Drag(kCalibrationLineStart.x, kCalibrationLineStart.y, kCalibrationLineStart.x + 52,
        kCalibrationLineStart.y);
    UserSession::Drag(kCalibrationLineEnd.x, kCalibrationLineEnd.y,
        kCalibrationLineStart.x + 52 + 5 * kScreenPerPicturePixel100, kCalibrationLineEnd.y);
    ClickAt(kCalibrationName);
    UserSession::Type(calibrationName);
    ClickAt(kCalibrationLength);
    UserSession::Type("0.5");
    ClickAt(kCalibrationUnit);
    ClickAt(kUnitMillimetre);
    ClickAt(kCalibrationAdd);
    ClickAt(kCalibrationBack);

    // Two long ticks, a circle of 100 screen pixels, a 1:1.5 angle.
    ClickAt(kToolLine);
    UserSession::Click(400, 300);
    UserSession::MoveTo(600, 300);
    UserSession::Click(400 + 2 * kScreenPerPicturePixel100, 300);
    ClickAt(kToolCircle);
    UserSession::Click(500, 800);
    UserSession::MoveTo(550, 800);
    UserSession::Click(600, 800);
    ClickAt(kToolAngle);
    UserSession::Click(1000, 800);
    UserSession::MoveTo(1100, 800);
    UserSession::Click(1200, 800);
    UserSession::MoveTo(1150, 700);
    UserSession::Click(1100, 650);
    ClickAt(kToolMove);

    const std::string csv = m_pictures + "results.csv";
    const std::string shot = m_pictures + "screenshot.png";
    std::error_code error;
    std::filesystem::remove(csv, error);
    std::filesystem::remove(shot, error);
    ClickAt(kOutputBarSwitch);
    for (const auto& [button, path] :
        {std::pair<Spot, std::string>{kExportCsv, csv}, {kExportScreenshot, shot}}) {
        ClickAt(button);
        const bool asked
            = UserSession::WaitUntil([] { return UserSession::FindWindow("Save file") != 0; }, 10000);
        EXPECT_TRUE(asked) << "no save dialog for " << path;
        if (!asked)
            continue;
        UserSession::Key("Return");
        EXPECT_TRUE(UserFiles::WaitSteady(path, 300, 15000)) << path << " not written";
    }
    ClickAt(kOutputBarSwitch);
    EXPECT_EQ(UserFiles::PictureFormat(shot), "PNG");

    std::ifstream in(csv);
    std::string line;
    std::getline(in, line);
    EXPECT_NE(line.find("(Unit: mm)"), std::string::npos) << line;
    std::getline(in, line);
    EXPECT_EQ(line.rfind("Index,Type,Center,Start,End,Width,Height,Radius,Area,Length,Angle,Distance", 0), 0u)
        << line;
    std::set<std::string> kinds;
    while (std::getline(in, line)) {
        const std::vector<std::string> f = SplitCsv(line);
        if (f.size() < 12)
            continue;
        kinds.insert(f[1]);
        if (f[1] == "Line") {
            EXPECT_NEAR(std::stod(f[9]), 0.2, 0.02) << line;
        } else if (f[1] == "Circle") {
            const double radius = std::stod(f[7]);
            EXPECT_NEAR(radius, 0.0505, 0.005) << line;
            EXPECT_NEAR(std::stod(f[8]), 3.1415927 * radius * radius, 1e-4) << line;  // area
            EXPECT_NEAR(std::stod(f[9]), 6.2831855 * radius, 1e-4) << line;  // circumference
        } else if (f[1] == "Angle") {
            EXPECT_NEAR(std::stod(f[10]), 56.31, 0.5) << line;
        }
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"Line", "Circle", "Angle"}));
    return kinds.size() == 3;
}

bool WorkingDay::DeleteAllMeasurements()
{
    ClickAt(kDeleteAll);
    const bool asked = UserSession::WaitUntil([] { return UserSession::FindWindow("Delete") != 0; }, 10000);
    EXPECT_TRUE(asked) << "no question before removing every measurement";
    if (asked)
        UserSession::Key("Return");
    EXPECT_TRUE(UserSession::WaitUntil([] { return UserSession::FindWindow("Delete") == 0; }, 10000));
    ClickAt(kCameraTab);
    return asked;
}

bool WorkingDay::Close(bool expectQuestion)
{
    m_session.AskToClose();
    if (expectQuestion) {
        const bool asked = UserSession::WaitUntil([] { return UserSession::FindWindow("Exit") != 0; }, 10000);
        EXPECT_TRUE(asked) << "no exit question";
        if (asked)
            UserSession::Key("Return");
    }
    const int code = m_session.WaitExit(30000);
    EXPECT_EQ(code, 0) << m_session.Output();
    return code == 0;
}

bool WorkingDay::StatusTextIsLong()
{
    return ScreenPixels::Grab(kStatusTextTail).CountBrighterThan(110) > 30;
}

void WorkingDay::ShotOnFailure(const std::string& label)
{
    static std::set<std::string> taken;
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    if (info == nullptr || !testing::Test::HasFailure())
        return;
    const std::string key = std::string(info->test_suite_name()) + "." + info->name() + "." + label;
    if (!taken.insert(key).second)
        return;
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error) / "scenario-shots";
    std::filesystem::create_directories(folder, error);
    const std::string path
        = (folder / (std::string(info->test_suite_name()) + "-" + info->name() + "-" + label + ".png"))
              .string();
    if (ScreenPixels::SaveScreenshot(path))
        std::printf("screenshot of the failure: %s\n", path.c_str());
}

}  // namespace kelvara::test
