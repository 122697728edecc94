#include "app/capture/CVideoRecorder.h"
#include "platform/system/ProgramDirectory.h"
#include "tests/capture/RecorderTestFrames.h"
#include "tests/capture/RecorderTestProbe.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

using kelvara::CVideoRecorder;
using kelvara::MakeMovingFrame;
using kelvara::ProbeVideo;
using kelvara::TopLevelBoxes;
namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

int64_t MonotonicUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool Contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

std::vector<int64_t> PacketPts(const nlohmann::json& probe)
{
    std::vector<int64_t> pts;
    for (const auto& packet : probe["packets"])
        pts.push_back(packet["pts"].get<int64_t>());
    std::sort(pts.begin(), pts.end());
    return pts;
}

int DecodedFrames(const nlohmann::json& probe)
{
    return std::stoi(probe["streams"][0]["nb_read_frames"].get<std::string>());
}

class CVideoRecorderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kelvara-recorder-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(m_dir, error);
    }
    std::string PathOf(const std::string& name) const { return m_dir + "/" + name; }

    // Feeds frames stamped at the given offsets (ms) from an arbitrary start.
    static void FeedAt(CVideoRecorder& recorder, const std::vector<int>& offsetsMs)
    {
        const int64_t start = 7'000'000'000;
        for (size_t i = 0; i < offsetsMs.size(); ++i) {
            auto frame = MakeMovingFrame(kWidth, kHeight, static_cast<int>(i));
            recorder.EncodeFrameAt(frame.data(), kWidth, kHeight, start + offsetsMs[i] * int64_t(1000));
        }
    }

    std::string m_dir;
};

TEST_F(CVideoRecorderTest, OpenRefusesBadArgumentsAndLeavesNothingBehind)
{
    fs::path plainFile = PathOf("plain");
    {
        std::FILE* f = std::fopen(plainFile.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    const std::string target = PathOf("out.mp4");
    const std::string tooLong = m_dir + "/" + std::string(300, 'a') + ".mp4";
    struct Case
    {
        const char* what;
        int width, height;
        std::string path;
        bool nullPath;
    };
    const Case cases[] = {
        {"zero width", 0, 240, target, false},
        {"negative height", 320, -2, target, false},
        {"odd width", 321, 240, target, false},
        {"odd height", 320, 241, target, false},
        {"absurd size", 1 << 20, 1 << 20, target, false},
        {"size the encoder refuses", 20000, 16, target, false},
        {"null path", 320, 240, "", true},
        {"empty path", 320, 240, "", false},
        {"path too long", 320, 240, tooLong, false},
        {"missing folder", 320, 240, m_dir + "/missing/out.mp4", false},
        {"folder below a file", 320, 240, plainFile.string() + "/out.mp4", false},
        {"path is a folder", 320, 240, m_dir, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CVideoRecorder recorder;
        EXPECT_FALSE(recorder.Open(c.width, c.height, c.nullPath ? nullptr : c.path.c_str()));
        auto frame = MakeMovingFrame(kWidth, kHeight, 0);
        EXPECT_EQ(recorder.EncodeFrame(frame.data(), kWidth, kHeight), -1);
        EXPECT_FALSE(recorder.Close());
        EXPECT_FALSE(fs::exists(target));
    }
    std::error_code error;
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir, error), fs::directory_iterator()), 1);
}

TEST_F(CVideoRecorderTest, FileHasOpenedFormatEveryFrameAndRealSpacing)
{
    // 40 ms apart, then irregular: pauses, bursts, a frame 1 ms after another.
    const std::vector<int> offsetsMs
        = {0, 40, 80, 120, 160, 200, 240, 280, 320, 360, 373, 450, 451, 700, 705, 710, 990, 1990, 2030, 2070};
    const std::string path = PathOf("clip.mp4");
    {
        CVideoRecorder recorder;
        ASSERT_TRUE(recorder.Open(kWidth, kHeight, path.c_str()));
        EXPECT_STREQ(recorder.m_path, path.c_str());
        FeedAt(recorder, offsetsMs);
        EXPECT_TRUE(recorder.Close());
    }
    auto probe = ProbeVideo(path);
    ASSERT_TRUE(probe.is_object());
    ASSERT_EQ(probe["streams"].size(), 1u);
    const auto& stream = probe["streams"][0];
    EXPECT_EQ(stream["codec_name"], "h264");
    EXPECT_EQ(stream["profile"], "Constrained Baseline");
    EXPECT_EQ(stream["pix_fmt"], "yuv420p");
    // Limited levels by default, and the BT.601 matrix the samples use
    // (players would take BT.709 for large pictures without it).
    EXPECT_EQ(stream["color_range"], "tv");
    EXPECT_EQ(stream["color_space"], "smpte170m");
    EXPECT_EQ(stream["width"], kWidth);
    EXPECT_EQ(stream["height"], kHeight);
    EXPECT_EQ(stream["time_base"], "1/90000");
    EXPECT_LE(stream["level"].get<int>(), 30);  // a level players of small pictures accept
    EXPECT_EQ(DecodedFrames(probe), static_cast<int>(offsetsMs.size()));

    std::vector<int64_t> expected;
    for (int ms : offsetsMs)
        expected.push_back(ms * 90);
    EXPECT_EQ(PacketPts(probe), expected);

    // A closed file is an ordinary MP4: one index, no fragments.
    auto boxes = TopLevelBoxes(path);
    EXPECT_TRUE(Contains(boxes, "moov"));
    EXPECT_FALSE(Contains(boxes, "moof"));
    std::error_code error;
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir, error), fs::directory_iterator()), 1);
}

TEST_F(CVideoRecorderTest, FullLevelsAreDeclaredInTheFile)
{
    const std::string path = PathOf("full.mp4");
    {
        CVideoRecorder recorder;
        ASSERT_TRUE(recorder.Open(kWidth, kHeight, path.c_str(), CVideoRecorder::Levels::kFull));
        FeedAt(recorder, {0, 40});
        EXPECT_TRUE(recorder.Close());
    }
    auto probe = ProbeVideo(path);
    ASSERT_TRUE(probe.is_object());
    EXPECT_EQ(probe["streams"][0]["color_range"], "pc");
    EXPECT_EQ(probe["streams"][0]["color_space"], "smpte170m");
    EXPECT_EQ(DecodedFrames(probe), 2);
}

TEST_F(CVideoRecorderTest, WallClockStampsFollowArrival)
{
    const std::string path = PathOf("clock.mp4");
    CVideoRecorder recorder;
    ASSERT_TRUE(recorder.Open(kWidth, kHeight, path.c_str()));
    std::vector<int64_t> before, after;
    const int gapsMs[] = {0, 40, 40, 40, 15, 90};
    for (int i = 0; i < 6; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(gapsMs[i]));
        auto frame = MakeMovingFrame(kWidth, kHeight, i);
        before.push_back(MonotonicUs());
        recorder.EncodeFrame(frame.data(), kWidth, kHeight);
        after.push_back(MonotonicUs());
    }
    ASSERT_TRUE(recorder.Close());
    auto pts = PacketPts(ProbeVideo(path));
    ASSERT_EQ(pts.size(), 6u);
    EXPECT_EQ(pts[0], 0);
    // Each stamp lies between the clock readings around its call, counted
    // from the first frame's call.
    for (size_t i = 1; i < pts.size(); ++i) {
        EXPECT_GE(pts[i], (before[i] - after[0]) * 9 / 100) << i;
        EXPECT_LE(pts[i], (after[i] - before[0]) * 9 / 100 + 1) << i;
    }
}

TEST_F(CVideoRecorderTest, StopBeforeAnyFrameGivesReadableEmptyFile)
{
    const std::string path = PathOf("empty.mp4");
    {
        CVideoRecorder recorder;
        ASSERT_TRUE(recorder.Open(kWidth, kHeight, path.c_str()));
        EXPECT_TRUE(recorder.Close());
    }
    auto probe = ProbeVideo(path);
    ASSERT_TRUE(probe.is_object());
    EXPECT_NE(probe["format"]["format_name"].get<std::string>().find("mp4"), std::string::npos);
    EXPECT_TRUE(probe["packets"].empty());
    auto boxes = TopLevelBoxes(path);
    EXPECT_TRUE(Contains(boxes, "ftyp"));
    EXPECT_TRUE(Contains(boxes, "moov"));
}

TEST_F(CVideoRecorderTest, RefusesFramesOfAnotherSizeWithoutReadingThem)
{
    const std::string path = PathOf("resized.mp4");
    CVideoRecorder recorder;
    ASSERT_TRUE(recorder.Open(kWidth, kHeight, path.c_str()));
    // Buffers of exactly their pictures' size: any read past them shows up
    // under AddressSanitizer.
    auto small = MakeMovingFrame(160, 120, 0);
    auto rotated = MakeMovingFrame(kHeight, kWidth, 0);
    int good = 0;
    for (int i = 0; i < 10; ++i) {
        auto frame = MakeMovingFrame(kWidth, kHeight, i);
        recorder.EncodeFrameAt(frame.data(), kWidth, kHeight, i * 40000);
        ++good;
        EXPECT_EQ(recorder.EncodeFrameAt(small.data(), 160, 120, i * 40000 + 1000), -1);
        EXPECT_EQ(recorder.EncodeFrameAt(rotated.data(), kHeight, kWidth, i * 40000 + 2000), -1);
        EXPECT_EQ(recorder.EncodeFrameAt(nullptr, kWidth, kHeight, i * 40000 + 3000), -1);
    }
    ASSERT_TRUE(recorder.Close());
    auto probe = ProbeVideo(path);
    ASSERT_TRUE(probe.is_object());
    EXPECT_EQ(DecodedFrames(probe), good);
}

// The picture is read in place, so the caller may reuse its buffer as soon
// as EncodeFrame returns: each frame must show what the buffer held during
// its call, not the black written over it afterwards.
TEST_F(CVideoRecorderTest, BufferIsFreeAgainWhenEncodeFrameReturns)
{
    const std::string path = PathOf("reused.mp4");
    const size_t luma = kWidth * kHeight;
    std::vector<uint8_t> buffer(luma * 3 / 2);
    {
        CVideoRecorder recorder;
        ASSERT_TRUE(recorder.Open(kWidth, kHeight, path.c_str()));
        for (int i = 0; i < 10; ++i) {
            std::fill(buffer.begin(), buffer.begin() + luma, static_cast<uint8_t>(40 + 20 * i));
            std::fill(buffer.begin() + luma, buffer.end(), 128);
            recorder.EncodeFrameAt(buffer.data(), kWidth, kHeight, i * 40000);
            std::fill(buffer.begin(), buffer.end(), 0);
        }
        ASSERT_TRUE(recorder.Close());
    }
    int status = -1;
    std::string averages = kelvara::RunCommand("ffprobe -v error -f lavfi "
            + kelvara::ShellQuote("movie=" + path + ",signalstats")
            + " -show_entries frame_tags=lavfi.signalstats.YAVG -of csv=p=0",
        &status);
    ASSERT_EQ(status, 0);
    std::vector<double> expected, decoded;
    for (int i = 0; i < 10; ++i)
        expected.push_back(40 + 20 * i);
    for (size_t start = 0, end; (end = averages.find('\n', start)) != std::string::npos; start = end + 1)
        decoded.push_back(std::stod(averages.substr(start, end - start)));
    ASSERT_EQ(decoded.size(), expected.size());
    for (size_t i = 0; i < decoded.size(); ++i)
        EXPECT_NEAR(decoded[i], expected[i], 3.0) << i;
}

TEST_F(CVideoRecorderTest, ClosingTwiceAndFeedingAfterCloseAreHarmless)
{
    const std::string closedTwice = PathOf("twice.mp4");
    const std::string neverClosed = PathOf("dropped.mp4");
    {
        CVideoRecorder recorder;
        ASSERT_TRUE(recorder.Open(kWidth, kHeight, closedTwice.c_str()));
        FeedAt(recorder, {0, 40, 80});
        EXPECT_TRUE(recorder.Close());
        EXPECT_FALSE(recorder.Close());
        auto frame = MakeMovingFrame(kWidth, kHeight, 0);
        EXPECT_EQ(recorder.EncodeFrame(frame.data(), kWidth, kHeight), -1);
        EXPECT_FALSE(recorder.Open(kWidth, kHeight, closedTwice.c_str()));
    }
    {
        // Deleted without Close: the file is still finished.
        CVideoRecorder recorder;
        ASSERT_TRUE(recorder.Open(kWidth, kHeight, neverClosed.c_str()));
        FeedAt(recorder, {0, 40, 80, 120});
    }
    auto first = ProbeVideo(closedTwice);
    auto second = ProbeVideo(neverClosed);
    ASSERT_TRUE(first.is_object());
    ASSERT_TRUE(second.is_object());
    EXPECT_EQ(DecodedFrames(first), 3);
    EXPECT_EQ(DecodedFrames(second), 4);
}

// Starts the helper program; its standard output is readable through *out.
pid_t SpawnChild(const std::vector<std::string>& args, int* out)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    std::vector<std::string> all = {kelvara::GetProgramDirectory() + "recorder_child"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    *out = pipeFds[0];
    return pid;
}

// Reads lines from fd until one equals line (true) or the pipe ends (false).
bool ReadUntilLine(int fd, const std::string& line)
{
    std::string pending;
    char chunk[512];
    ssize_t count;
    while ((count = read(fd, chunk, sizeof(chunk))) > 0) {
        pending.append(chunk, static_cast<size_t>(count));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
            if (pending.compare(0, end, line) == 0 && end == line.size())
                return true;
    }
    return false;
}

// Fills a disk of diskBytes in the helper program; its "key value" report,
// empty when the helper failed.
std::map<std::string, std::string> RunFill(
    const std::string& disk, long diskBytes, long stopBytes, const std::string& copy, const char* mode)
{
    fs::create_directory(disk);
    int status = -1;
    std::string output
        = kelvara::RunCommand(kelvara::ShellQuote(kelvara::GetProgramDirectory() + "recorder_child")
                + " fill " + kelvara::ShellQuote(disk) + " " + std::to_string(diskBytes) + " "
                + std::to_string(stopBytes) + " " + kelvara::ShellQuote(copy) + " " + mode,
            &status);
    std::map<std::string, std::string> report;
    if (status != 0)
        return report;
    for (size_t start = 0, end; start < output.size(); start = end + 1) {
        end = std::min(output.find('\n', start), output.size());
        size_t space = output.find(' ', start);
        if (space < end)
            report[output.substr(start, space - start)] = output.substr(space + 1, end - space - 1);
    }
    return report;
}

// Twelve seconds of 25 fps video, then SIGKILL: what a crash leaves behind
// must still play almost to the end. KELVARA_REALTIME_KILL_TEST=1 feeds the
// frames by the clock instead of stamping them ahead.
TEST_F(CVideoRecorderTest, RecordingKilledMidwayKeepsAllButTheLastSecond)
{
    const bool realtime = std::getenv("KELVARA_REALTIME_KILL_TEST") != nullptr;
    const int frames = 300;
    const std::string path = PathOf("killed.mp4");
    int out = -1;
    pid_t pid = SpawnChild(
        {"record", path, "640", "480", std::to_string(frames), realtime ? "realtime" : "fast"}, &out);
    ASSERT_GT(pid, 0);
    const bool fed = ReadUntilLine(out, "frame " + std::to_string(frames));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(out);
    ASSERT_TRUE(fed);
    EXPECT_TRUE(WIFSIGNALED(status));

    auto probe = ProbeVideo(path);
    ASSERT_TRUE(probe.is_object());
    auto pts = PacketPts(probe);
    ASSERT_FALSE(pts.empty());
    const double survivedSeconds = (pts.back() + 3600) / 90000.0;
    std::printf("killed after %.2f s of frames: %zu frames, %.2f s playable\n", frames / 25.0, pts.size(),
        survivedSeconds);
    RecordProperty("survived_seconds", std::to_string(survivedSeconds));
    EXPECT_EQ(DecodedFrames(probe), static_cast<int>(pts.size()));
    EXPECT_GE(survivedSeconds, frames / 25.0 - 1.5);
}

// A full disk (tmpfs) and a file size limit fail writes the same way.
TEST_F(CVideoRecorderTest, FullDiskEndsRecordingButKeepsWhatWasWritten)
{
    for (const char* mode : {"tmpfs", "rlimit"}) {
        SCOPED_TRACE(mode);
        const std::string copy = PathOf(std::string("left-") + mode + ".mp4");
        auto report = RunFill(PathOf(std::string("disk-") + mode), 512 * 1024, 0, copy, mode);
        ASSERT_FALSE(report.empty());
        std::printf("disk filled (%s) after %s frames\n", report["mode"].c_str(), report["frames"].c_str());
        EXPECT_NE(report["failed_at"], "-1");
        EXPECT_EQ(report["close"], "0");
        EXPECT_EQ(report["files"], "1");  // no temporary file left over
        auto probe = ProbeVideo(copy);
        ASSERT_TRUE(probe.is_object());
        EXPECT_GT(DecodedFrames(probe), 100);
    }
}

// Recording fits, the ordinary copy made at Close does not.
TEST_F(CVideoRecorderTest, NoRoomToRewriteKeepsTheFragmentedFile)
{
    const std::string copy = PathOf("left.mp4");
    auto report = RunFill(PathOf("disk"), 1024 * 1024, 560 * 1024, copy, "tmpfs");
    ASSERT_FALSE(report.empty());
    if (report["mode"] != "tmpfs")
        GTEST_SKIP() << "no tmpfs could be mounted; a file size limit leaves room for the rewrite";
    EXPECT_EQ(report["failed_at"], "-1");
    EXPECT_EQ(report["close"], "0");
    EXPECT_EQ(report["files"], "1");
    auto probe = ProbeVideo(copy);
    ASSERT_TRUE(probe.is_object());
    EXPECT_EQ(DecodedFrames(probe), std::stoi(report["frames"]));
    EXPECT_TRUE(Contains(TopLevelBoxes(copy), "moof"));
}

}  // namespace
