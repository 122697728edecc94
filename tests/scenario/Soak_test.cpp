// The working day repeated for KELVARA_SOAK_MINUTES with one copy of the
// program kept running, watched from /proc for growth in resident memory
// and open files. Every third round the scenarios that need their own copy
// run on top of it. Skipped unless KELVARA_SOAK_MINUTES is set (`make soak`).
#include "tests/scenario/LifeScenarios.h"
#include "tests/scenario/MainWindowSpots.h"
#include "tests/scenario/WorkingDay.h"
#include "tests/support/scenario/UserFiles.h"
#include "tests/support/scenario/UserSession.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace kelvara::test {
namespace {

struct Sample
{
    double hours;
    long residentKb;
};

// Slope of the least-squares line through the samples, KiB per hour.
double GrowthPerHour(const std::vector<Sample>& samples)
{
    if (samples.size() < 2)
        return 0;
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Sample& s : samples) {
        n += 1;
        sx += s.hours;
        sy += static_cast<double>(s.residentKb);
        sxx += s.hours * s.hours;
        sxy += s.hours * static_cast<double>(s.residentKb);
    }
    const double denominator = n * sxx - sx * sx;
    return denominator > 0 ? (n * sxy - sx * sy) / denominator : 0;
}

int RecordedFailures()
{
    return testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
}

TEST(SoakTest, WorkingDayRepeatedKeepsMemoryAndOpenFilesFlat)
{
    const char* minutesText = std::getenv("KELVARA_SOAK_MINUTES");
    if (minutesText == nullptr || std::atof(minutesText) <= 0)
        GTEST_SKIP() << "KELVARA_SOAK_MINUTES is not set";
    const double minutes = std::atof(minutesText);
    constexpr double kWarmUpHours = 3.0 / 60.0;

    ScopedUserEnvironment env;
    const std::string home = env.Home();
    UserFiles::SetConfigNumber(home, "ConshotCount", 5);
    UserFiles::SetConfigNumber(home, "ConshotInterval", 1);
    UserSession::Options options;
    options.home = home;
    options.outputPrefix = home + "/soak";
    UserSession program(options);
    ASSERT_TRUE(program.WaitReady()) << program.Output();
    WorkingDay day(program, home);
    ASSERT_TRUE(day.OpenCamera(0));
    const pid_t pid = program.Pid();
    const int filesBefore = UserSession::OpenFiles(pid);
    const long residentBefore = UserSession::ResidentKb(pid);

    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::milliseconds(static_cast<long>(minutes * 60000));
    std::vector<Sample> samples;
    int rounds = 0;
    int failedRounds = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        const int failuresBefore = RecordedFailures();
        ++rounds;
        day.SwitchSizeAndFormat();
        day.SnapEveryFormat(3);
        day.SnapSeries();
        day.Record(10);
        day.CalibrateAndMeasure("Micrometer " + std::to_string(rounds));
        day.DeleteAllMeasurements();
        WorkingDay::ShotOnFailure("round");
        // The user clears the picture folder now and then.
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(day.PictureFolder(), error))
            std::filesystem::remove(entry.path(), error);

        if (rounds % 3 == 1) {
            LifeScenarios life({program.MainWindow()});
            life.FirstStartInChinese();
            life.PictureFollowsSizeFormatAndAdjustment();
            life.RestartKeepsCalibrationAndSettings();
            life.CameraUnpluggedWhileRecording();
            life.WirelessCameraLostWhileRecording();
            life.ExitQuestionOnAndOff();
            life.TerminationWhileRecording();
            life.KillWhileRecording();
            // Back to the copy underneath.
            UserSession::Click(spots::kToolbarGap.x, spots::kToolbarGap.y);
        }
        if (!program.Running()) {
            ADD_FAILURE() << "the program ended during round " << rounds << ": " << program.Output();
            break;
        }
        const double hours
            = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 3600;
        samples.push_back({hours, UserSession::ResidentKb(pid)});
        const bool failed = RecordedFailures() != failuresBefore;
        failedRounds += failed ? 1 : 0;
        std::printf("soak round %d at %.1f min: resident %ld KiB, open files %d%s\n", rounds, hours * 60,
            samples.back().residentKb, UserSession::OpenFiles(pid), failed ? ", FAILED" : "");
        std::fflush(stdout);
    }

    const int filesAfter = UserSession::OpenFiles(pid);
    const long residentAfter = UserSession::ResidentKb(pid);
    const long peak = UserSession::PeakResidentKb(pid);
    std::vector<Sample> settled;
    for (const Sample& s : samples)
        if (s.hours >= kWarmUpHours)
            settled.push_back(s);
    if (settled.size() < 2)
        settled = samples;
    const double growth = GrowthPerHour(settled);
    if (program.Running())
        day.Close(true);

    std::printf("soak: %.0f minutes, %d rounds, %d failed\n", minutes, rounds, failedRounds);
    std::printf("soak: resident memory %ld KiB at start, %ld KiB at end, peak %ld KiB\n", residentBefore,
        residentAfter, peak);
    std::printf(
        "soak: resident memory growth %.0f KiB per hour (least squares over %zu rounds after %.0f min)\n",
        growth, settled.size(), kWarmUpHours * 60);
    std::printf("soak: open files %d before, %d after\n", filesBefore, filesAfter);
    EXPECT_EQ(failedRounds, 0);
    EXPECT_LE(filesAfter, filesBefore + 2) << "open files grew";
    // A leak of one picture frame per round would show as megabytes per hour.
    EXPECT_LT(growth, 50 * 1024.0) << "resident memory keeps growing";
}

}  // namespace
}  // namespace kelvara::test
