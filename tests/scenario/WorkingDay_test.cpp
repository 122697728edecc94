// A user's working day with the built program, out of process: first start,
// live picture, stills, series and recording, calibration and measurements,
// a camera that goes away, and the ways the program ends. Everything is
// done with real input on the test's X server and checked on screen and on
// disk.
#include "tests/scenario/LifeScenarios.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace kelvara::test {
namespace {

bool Have(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " > /dev/null 2>&1").c_str()) == 0;
}

class WorkingDayTest : public testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* tool : {"xdotool", "ffprobe", "identify", "import"})
            if (!Have(tool))
                GTEST_SKIP() << tool << " is not installed";
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
    }

    LifeScenarios m_scenarios;
};

TEST_F(WorkingDayTest, FirstStartSpeaksTheDesktopLanguageAndMakesThePictureFolderOnTheFirstSnap)
{
    m_scenarios.FirstStartInChinese();
}

TEST_F(WorkingDayTest, ExitQuestionInChineseShowsItsText)
{
    m_scenarios.ExitQuestionInChineseShowsItsText();
}

TEST_F(WorkingDayTest, SnapSubMenuItemsAreReadable)
{
    m_scenarios.SnapSubMenuItemsAreReadable();
}

TEST_F(WorkingDayTest, PictureFollowsSizeFormatAndAdjustment)
{
    m_scenarios.PictureFollowsSizeFormatAndAdjustment();
}

TEST_F(WorkingDayTest, DemoCameraBrightnessChangesThePicture)
{
    m_scenarios.DemoBrightnessChangesThePicture();
}

TEST_F(WorkingDayTest, StillsInFourFormatsASeriesAndARecordingAreValidFiles)
{
    m_scenarios.StillsSeriesAndRecording();
}

TEST_F(WorkingDayTest, CalibrationMeasurementsAndSettingsSurviveARestart)
{
    m_scenarios.RestartKeepsCalibrationAndSettings();
}

TEST_F(WorkingDayTest, CameraUnpluggedWhileRecordingLeavesAPlayableFileAndSaysSo)
{
    m_scenarios.CameraUnpluggedWhileRecording();
}

TEST_F(WorkingDayTest, WirelessCameraLostWhileRecordingLeavesAPlayableFile)
{
    m_scenarios.WirelessCameraLostWhileRecording();
}

TEST_F(WorkingDayTest, ExitQuestionOnAsksAndCancelKeepsTheProgramOffEndsAtOnce)
{
    m_scenarios.ExitQuestionOnAndOff();
}

TEST_F(WorkingDayTest, TerminationWhileRecordingFinishesTheFile)
{
    m_scenarios.TerminationWhileRecording();
}

TEST_F(WorkingDayTest, KillWhileRecordingLeavesAFileReadableUpToTheLastFragment)
{
    m_scenarios.KillWhileRecording();
}

}  // namespace
}  // namespace kelvara::test
