// A recording in a process of its own, for what a test process cannot do to
// itself: being killed mid-recording, or running out of disk space.
//
//   recorder_child record <path> <width> <height> <frames> fast|realtime
//       Records frames 40 ms apart and prints "frame N" after each. "fast"
//       stamps them 40 ms apart without waiting and stops after <frames>,
//       waiting to be killed; "realtime" feeds them at 25 fps by the clock
//       and goes on until killed.
//   recorder_child fill <dir> <bytes> <stop-bytes> <copy-path> tmpfs|rlimit
//       Records into <dir>/fill.mp4 on a disk of <bytes> (a private
//       tmpfs mounted on <dir>, or a file size limit when asked for or when
//       no tmpfs can be mounted) until a frame fails, the file reaches <stop-bytes> (when
//       not 0) or 3000 frames. Closes, copies what is left to <copy-path>
//       and prints "mode", "frames", "failed_at", "close" and "files".

#include "app/capture/CVideoRecorder.h"
#include "tests/capture/RecorderTestFrames.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using kelvara::CVideoRecorder;

namespace {

constexpr int64_t kFrameSpacingUs = 40000;

// A cycle of changing pictures, made once: generating each frame anew costs
// more than encoding it in sanitizer builds.
const std::vector<uint8_t>& CycleFrame(int width, int height, int index)
{
    static std::vector<std::vector<uint8_t>> frames;
    if (frames.empty())
        for (int i = 0; i < 16; ++i)
            frames.push_back(kelvara::MakeMovingFrame(width, height, i));
    return frames[static_cast<size_t>(index) % frames.size()];
}

int64_t NowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int Record(const char* path, int width, int height, int frames, bool realtime)
{
    CVideoRecorder recorder;
    if (!recorder.Open(width, height, path))
        return 2;
    const int64_t start = NowUs();
    for (int i = 0;; ++i) {
        if (!realtime && i == frames)
            break;
        const int64_t due = start + i * kFrameSpacingUs;
        if (realtime)
            std::this_thread::sleep_until(
                std::chrono::steady_clock::time_point(std::chrono::microseconds(due)));
        const auto& frame = CycleFrame(width, height, i);
        if (realtime)
            recorder.EncodeFrame(frame.data(), width, height);
        else
            recorder.EncodeFrameAt(frame.data(), width, height, due);
        std::printf("frame %d\n", i + 1);
        std::fflush(stdout);
    }
    for (;;)
        pause();
}

bool WriteFile(const char* path, const char* text)
{
    int fd = open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = write(fd, text, std::strlen(text)) == static_cast<ssize_t>(std::strlen(text));
    close(fd);
    return ok;
}

// Mounts a tmpfs of the given size on dir, seen by this process only.
bool MountPrivateTmpfs(const char* dir, long bytes)
{
    if (unshare(CLONE_NEWNS) != 0) {
        // Without root: a user namespace of our own grants the mount.
        const uid_t uid = getuid();
        const gid_t gid = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        const std::string uidMap = "0 " + std::to_string(uid) + " 1";
        const std::string gidMap = "0 " + std::to_string(gid) + " 1";
        if (!WriteFile("/proc/self/setgroups", "deny") || !WriteFile("/proc/self/uid_map", uidMap.c_str())
            || !WriteFile("/proc/self/gid_map", gidMap.c_str()))
            return false;
    }
    // Keep the mount from propagating to the rest of the system.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return false;
    const std::string options = "size=" + std::to_string(bytes);
    return mount("tmpfs", dir, "tmpfs", 0, options.c_str()) == 0;
}

int Fill(const char* dir, long bytes, long stopBytes, const char* copyPath, bool tryTmpfs)
{
    const bool tmpfs = tryTmpfs && MountPrivateTmpfs(dir, bytes);
    rlimit original{};
    getrlimit(RLIMIT_FSIZE, &original);
    if (!tmpfs) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limited = original;
        limited.rlim_cur = static_cast<rlim_t>(bytes);
        if (setrlimit(RLIMIT_FSIZE, &limited) != 0)
            return 2;
    }
    const std::string path = std::string(dir) + "/fill.mp4";
    const int width = 640;
    const int height = 480;
    int frames = 0;
    int failedAt = -1;
    bool closed = false;
    {
        CVideoRecorder recorder;
        if (!recorder.Open(width, height, path.c_str()))
            return 3;
        std::error_code error;
        while (frames < 3000) {
            const auto& frame = CycleFrame(width, height, frames);
            int result = recorder.EncodeFrameAt(frame.data(), width, height, frames * kFrameSpacingUs);
            ++frames;
            // Early frames may stay inside the encoder; a refusal after
            // packets have come out means the file takes no more.
            if (result < 0 && frames > 20) {
                failedAt = frames;
                break;
            }
            if (stopBytes > 0 && static_cast<long>(std::filesystem::file_size(path, error)) >= stopBytes)
                break;
        }
        closed = recorder.Close();
    }
    if (!tmpfs)
        setrlimit(RLIMIT_FSIZE, &original);
    std::error_code error;
    std::filesystem::copy_file(path, copyPath, std::filesystem::copy_options::overwrite_existing, error);
    int files = 0;
    for (auto it = std::filesystem::directory_iterator(dir, error); !error && it != decltype(it)(); ++it)
        ++files;
    std::printf("mode %s\nframes %d\nfailed_at %d\nclose %d\nfiles %d\n", tmpfs ? "tmpfs" : "rlimit", frames,
        failedAt, closed ? 1 : 0, files);
    return error ? 4 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 7 && std::strcmp(argv[1], "record") == 0)
        return Record(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
            std::strcmp(argv[6], "realtime") == 0);
    if (argc == 7 && std::strcmp(argv[1], "fill") == 0)
        return Fill(
            argv[2], std::atol(argv[3]), std::atol(argv[4]), argv[5], std::strcmp(argv[6], "tmpfs") == 0);
    std::fprintf(stderr, "usage: recorder_child record|fill ...\n");
    return 1;
}
