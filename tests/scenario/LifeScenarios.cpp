#include "tests/scenario/LifeScenarios.h"

#include "platform/system/ProgramDirectory.h"
#include "tests/scenario/MainWindowSpots.h"
#include "tests/scenario/WorkingDay.h"
#include "tests/support/scenario/ScreenPixels.h"
#include "tests/support/scenario/UserFiles.h"
#include "tests/support/scenario/UserSession.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace kelvara::test {

namespace {

using namespace spots;

// One scenario's home folder and the copy of the program running in it.
struct Run
{
    explicit Run(const std::set<unsigned long>& underneath)
        : underneath(underneath)
    {
    }
    ~Run()
    {
        WorkingDay::ShotOnFailure("run");
        day.reset();
        session.reset();
    }

    // Starts the program and waits for its window; false (with a failure) when it does not come up.
    bool Start(UserSession::Options options = {})
    {
        day.reset();
        session.reset();
        options.home = env.Home();
        options.outputPrefix = env.Home() + "/run" + std::to_string(++runs);
        options.otherWindows = underneath;
        session = std::make_unique<UserSession>(options);
        day = std::make_unique<WorkingDay>(*session, env.Home());
        const bool ready = session->WaitReady();
        EXPECT_TRUE(ready) << "the main window did not come up: " << session->Output();
        return ready;
    }

    std::set<unsigned long> underneath;
    ScopedUserEnvironment env;
    std::unique_ptr<UserSession> session;
    std::unique_ptr<WorkingDay> day;
    int runs = 0;
};

}  // namespace

void LifeScenarios::FirstStartInChinese()
{
    Run run(m_underneath);
    UserSession::Options options;
    options.language = "zh_CN.UTF-8";
    ASSERT_TRUE(run.Start(options));
    const std::string pictures = UserFiles::PictureFolder(run.env.Home());
    ASSERT_TRUE(run.day->OpenCamera(0));
    EXPECT_FALSE(std::filesystem::exists(pictures)) << "the picture folder exists before any picture";

    UserSession::Key("Return");  // Enter snaps
    std::vector<std::string> files;
    EXPECT_TRUE(UserSession::WaitUntil(
        [&] {
            files = UserFiles::List(pictures);
            return !files.empty();
        },
        20000));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(UserFiles::IsAutomaticName(files[0], ".jpg")) << files[0];
    EXPECT_TRUE(UserFiles::WaitSteady(pictures + files[0], 300, 20000));
    EXPECT_EQ(UserFiles::PictureFormat(pictures + files[0]), "JPEG");

    // The exit question comes in Chinese: its window is titled "退出" (Exit).
    run.session->AskToClose();
    EXPECT_TRUE(UserSession::WaitUntil([] { return UserSession::FindWindow("退出") != 0; }, 10000));
    EXPECT_EQ(UserSession::FindWindow("Exit"), 0u);
    WorkingDay::ShotOnFailure("question");
    UserSession::Key("Return");
    EXPECT_EQ(run.session->WaitExit(30000), 0) << run.session->Output();
    // Nothing was changed, so nothing is written back.
    EXPECT_NE(run.session->Output().find("config not changed"), std::string::npos) << run.session->Output();
}

void LifeScenarios::ExitQuestionInChineseShowsItsText()
{
    Run run(m_underneath);
    UserSession::Options options;
    options.language = "zh_CN.UTF-8";
    ASSERT_TRUE(run.Start(options));
    run.session->AskToClose();
    unsigned long question = 0;
    ASSERT_TRUE(
        UserSession::WaitUntil([&] { return (question = UserSession::FindWindow("退出")) != 0; }, 10000));
    // Right of the question-mark picture, above the buttons: the text.
    const ScreenRect box = UserSession::WindowRect(question);
    const ScreenRect text{box.x + 110, box.y + 45, box.width - 120, 60};
    EXPECT_TRUE(
        UserSession::WaitUntil([&] { return ScreenPixels::Grab(text).CountBrighterThan(120) > 40; }, 5000))
        << "the exit question shows no text";
    WorkingDay::ShotOnFailure("question");
    UserSession::Key("Return");
    EXPECT_EQ(run.session->WaitExit(30000), 0) << run.session->Output();
}

void LifeScenarios::SnapSubMenuItemsAreReadable()
{
    Run run(m_underneath);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.day->OpenCamera(0));
    // Dark text on light or light on dark: at least 100 grey levels apart.
    EXPECT_GT(run.day->FileFormatItemContrast(), 100) << "enabled file-format items are hard to read";
    WorkingDay::ShotOnFailure("menu");
    run.day->Close(true);
}

void LifeScenarios::PictureFollowsSizeFormatAndAdjustment()
{
    Run run(m_underneath);
    UserSession::Options options;
    options.extra["KELVARA_YWUSB_CAMERAS"] = "1";
    ASSERT_TRUE(run.Start(options));
    ASSERT_TRUE(run.day->OpenCamera(0));
    run.day->SwitchSizeAndFormat();
    WorkingDay::ShotOnFailure("size-format");
    // The simulated vendor camera (second row) applies its settings to the picture.
    ASSERT_TRUE(run.day->OpenCamera(1));
    run.day->AdjustmentBrightensThePicture(kVendorGammaThumbX, kGammaRow);
    WorkingDay::ShotOnFailure("gamma");
    run.day->Close(true);
}

void LifeScenarios::DemoBrightnessChangesThePicture()
{
    Run run(m_underneath);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.day->OpenCamera(0));
    run.day->AdjustmentBrightensThePicture(kBrightnessThumbMiddle.x, 0);
    WorkingDay::ShotOnFailure("brightness");
    run.day->Close(true);
}

void LifeScenarios::StillsSeriesAndRecording()
{
    Run run(m_underneath);
    // Series settings written between runs, as the settings dialog would keep them.
    UserFiles::SetConfigNumber(run.env.Home(), "ConshotCount", 5);
    UserFiles::SetConfigNumber(run.env.Home(), "ConshotInterval", 1);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.day->OpenCamera(0));
    run.day->SnapEveryFormat(3);
    WorkingDay::ShotOnFailure("formats");
    run.day->SnapSeries();
    WorkingDay::ShotOnFailure("series");
    run.day->Record(10);
    WorkingDay::ShotOnFailure("recording");
    run.day->Close(true);
    // The format chosen last (JPEG) is what the settings file keeps.
    EXPECT_EQ(UserFiles::ConfigNumber(run.env.Home(), "FileType", 3), 3);
}

void LifeScenarios::RestartKeepsCalibrationAndSettings()
{
    Run run(m_underneath);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.day->OpenCamera(0));
    run.day->ChooseFileFormat(1);  // PNG
    run.day->CalibrateAndMeasure("Micrometer");
    WorkingDay::ShotOnFailure("measure");
    const ScreenPixels combo = ScreenPixels::Grab(kCalibrationCombo);
    EXPECT_GT(combo.CountBrighterThan(120), 30) << "the calibration box shows no name";
    ASSERT_TRUE(run.day->Close(true));
    EXPECT_NE(ScopedUserEnvironment::ReadFile(UserFiles::CalibrationFile(run.env.Home())).find("Micrometer"),
        std::string::npos);

    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.day->OpenCamera(0));
    UserSession::Click(kMeasureTab.x, kMeasureTab.y);
    // The calibration box shows the same name and unit as before the restart.
    EXPECT_TRUE(UserSession::WaitUntil(
        [&] { return ScreenPixels::Grab(kCalibrationCombo).MeanDifference(combo) < 3; }, 5000))
        << "calibration box differs after the restart by "
        << ScreenPixels::Grab(kCalibrationCombo).MeanDifference(combo);
    UserSession::Click(kCameraTab.x, kCameraTab.y);
    // The file format chosen before the restart still holds.
    const std::vector<std::string> before = UserFiles::List(run.day->PictureFolder());
    UserSession::Click(kSnap.x, kSnap.y);
    std::vector<std::string> added;
    EXPECT_TRUE(UserSession::WaitUntil(
        [&] {
            added = UserFiles::Added(before, UserFiles::List(run.day->PictureFolder()));
            return !added.empty();
        },
        20000));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_TRUE(UserFiles::IsAutomaticName(added[0], ".png")) << added[0];
    WorkingDay::ShotOnFailure("restart");
    run.day->Close(true);
}

void LifeScenarios::CameraUnpluggedWhileRecording()
{
    Run run(m_underneath);
    const std::string description = run.env.Home() + "/unplugging.json";
    ScopedUserEnvironment::WriteFile(description,
        R"({ "devices": [ { "name": "Unplugging Scope", "path": "virtual#vid_eba1&pid_7585#1", "frame_rate": 30,
             "pins": { "capture": [ { "format": "MJPG", "sizes": [[640, 480]] } ] },
             "faults": { "unplug_after_frames": 240 } } ] })");
    UserSession::Options options;
    options.virtualCameras = description;
    ASSERT_TRUE(run.Start(options));
    ASSERT_TRUE(run.day->OpenCamera(0));
    EXPECT_FALSE(WorkingDay::StatusTextIsLong());
    const std::string video = run.day->StartRecording();
    ASSERT_FALSE(video.empty());
    // The camera leaves the list: its highlighted row gives way to the wireless entry.
    EXPECT_TRUE(
        UserSession::WaitUntil([] { return ScreenPixels::Grab(kCameraRowArea[0]).MeanGrey() < 100; }, 30000));
    EXPECT_TRUE(UserSession::WaitUntil(
        [] { return ScreenPixels::Grab(kCameraRowArea[1]).CountBrighterThan(120) == 0; }, 10000));
    // The status bar tells what happened and where the video went.
    EXPECT_TRUE(UserSession::WaitUntil(WorkingDay::StatusTextIsLong, 10000));
    EXPECT_TRUE(UserFiles::WaitSteady(video, 500, 15000));
    const VideoFacts facts = UserFiles::ProbeVideo(video);
    EXPECT_GT(facts.frames, 10) << video;
    EXPECT_GT(facts.durationS, 0.3) << video;
    EXPECT_TRUE(run.session->Running()) << run.session->Output();
    WorkingDay::ShotOnFailure("unplugged");
    run.day->Close(true);
}

void LifeScenarios::WirelessCameraLostWhileRecording()
{
    Run run(m_underneath);
    // The simulator's output goes to a file: its first line names its ports.
    ChildProcess simulator(kelvara::GetProgramDirectory() + "wmp_simulator",
        {"--port", "0", "--discovery-port", "0"}, {}, run.env.Home() + "/simulator");
    unsigned port = 0, discoveryPort = 0;
    ASSERT_TRUE(UserSession::WaitUntil(
        [&] {
            return std::sscanf(simulator.Stdout().c_str(), "wmp_simulator: tcp port %u, discovery port %u",
                       &port, &discoveryPort)
                == 2;
        },
        10000));
    const std::string serverAddress = "127.0.0.1:" + std::to_string(port);
    UserSession::Options options;
    options.virtualCameras.clear();
    options.extra["KELVARA_WMP_SCAN_ADDRESSES"] = "127.0.0.1";
    ASSERT_TRUE(run.Start(options));
    UserSession::Click(kCameraRow[0].x, kCameraRow[0].y);  // the wireless entry
    unsigned long dialog = 0;
    ASSERT_TRUE(UserSession::WaitUntil(
        [&] { return (dialog = UserSession::FindWindow("Connect to wireless camera")) != 0; }, 10000));
    // The dialog is drawn (its blue Connect button shows) before the user types.
    const ScreenRect box = UserSession::WindowRect(dialog);
    const ScreenRect address{box.x + 20, box.y + box.height - 40, 200, 24};
    EXPECT_TRUE(UserSession::WaitUntil(
        [&] {
            return ScreenPixels::Grab({box.x + 250, box.y + box.height - 40, 90, 24}).MeanGrey() > 80;
        },
        10000));
    const ScreenPixels empty = ScreenPixels::Grab(address);
    UserSession::Click(address.x + 100, address.y + 12);
    UserSession::Type(serverAddress);
    EXPECT_TRUE(
        UserSession::WaitUntil([&] { return ScreenPixels::Grab(address).MeanDifference(empty) > 1.0; }, 5000))
        << "the typed address does not show";
    UserSession::Key("Return");
    EXPECT_TRUE(
        UserSession::WaitUntil([] { return ScreenPixels::Grab(kPreviewMiddle).MeanGrey() > 40; }, 20000))
        << "no picture from the wireless camera at " << serverAddress << ": " << run.session->Output()
        << simulator.Stdout() << simulator.Stderr();
    const std::string video = run.day->StartRecording();
    ASSERT_FALSE(video.empty());
    UserSession::WaitUntil([&] { return UserFiles::Size(video) > 10000; }, 10000);
    kill(simulator.Pid(), SIGKILL);
    simulator.WaitExit(5000);
    EXPECT_TRUE(UserSession::WaitUntil(WorkingDay::StatusTextIsLong, 20000));
    EXPECT_TRUE(UserFiles::WaitSteady(video, 500, 15000));
    EXPECT_GT(UserFiles::ProbeVideo(video).frames, 5) << video;
    EXPECT_TRUE(run.session->Running()) << run.session->Output();
    WorkingDay::ShotOnFailure("wireless");
    run.day->Close(true);
}

void LifeScenarios::ExitQuestionOnAndOff()
{
    Run run(m_underneath);
    ASSERT_TRUE(run.Start());
    run.session->AskToClose();
    ASSERT_TRUE(UserSession::WaitUntil([] { return UserSession::FindWindow("Exit") != 0; }, 10000));
    UserSession::Key("Escape");
    EXPECT_TRUE(UserSession::WaitUntil([] { return UserSession::FindWindow("Exit") == 0; }, 10000));
    EXPECT_TRUE(run.session->Running());
    EXPECT_NE(UserSession::FindWindow("Kelvara", m_underneath), 0u);
    EXPECT_TRUE(run.day->Close(true));

    UserFiles::SetConfigNumber(run.env.Home(), "ExitPrompt", 1);
    ASSERT_TRUE(run.Start());
    run.session->AskToClose();
    bool asked = false;
    const int code = [&] {
        UserSession::WaitUntil(
            [&] {
                asked = asked || UserSession::FindWindow("Exit") != 0;
                return !run.session->Running();
            },
            15000);
        return run.session->WaitExit(5000);
    }();
    EXPECT_FALSE(asked);
    EXPECT_EQ(code, 0) << run.session->Output();
}

void LifeScenarios::TerminationWhileRecording()
{
    Run run(m_underneath);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.day->OpenCamera(0));
    const std::string video = run.day->StartRecording();
    ASSERT_FALSE(video.empty());
    UserSession::WaitUntil([&] { return UserFiles::Size(video) > 100000; }, 15000);
    UserSession::WaitUntil([] { return false; }, 2000);
    kill(run.session->Pid(), SIGTERM);
    EXPECT_EQ(run.session->WaitExit(20000), 0) << run.session->Output();
    const VideoFacts facts = UserFiles::ProbeVideo(video);
    EXPECT_GT(facts.frames, 30) << video;
    EXPECT_GT(facts.durationS, 1.0) << video;
}

void LifeScenarios::KillWhileRecording()
{
    Run run(m_underneath);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.day->OpenCamera(0));
    const std::string video = run.day->StartRecording();
    ASSERT_FALSE(video.empty());
    UserSession::WaitUntil([&] { return UserFiles::Size(video) > 100000; }, 15000);
    UserSession::WaitUntil([] { return false; }, 4000);
    kill(run.session->Pid(), SIGKILL);
    EXPECT_EQ(run.session->WaitExit(10000), ChildProcess::kSignalled);
    const VideoFacts facts = UserFiles::ProbeVideo(video);
    EXPECT_GT(facts.frames, 30) << video;
    EXPECT_EQ(facts.width, 640);
}

}  // namespace kelvara::test
