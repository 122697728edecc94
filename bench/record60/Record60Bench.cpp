// A virtual MJPG camera previewed and recorded for a while, as a user would
// run it: 1920 x 1080 at 60 frames per second for 60 s unless told otherwise
// (--seconds=N, --width=W, --height=H, --fps=F; e.g. --width=3840
// --height=2160 --fps=25). Prints the frames the camera delivered, the frames
// the preview showed (uploaded), the frames in the file (ffprobe), the frames
// the pipeline dropped, the frames the camera lost because its sink was more
// than its driver's buffers behind, and the CPU time of each of the program's
// threads (threads without a name of their own, such as the encoder's workers
// started from the UI thread, are summed as "unnamed").
#include "app/capture/CCameraController.h"
#include "app/view/CImageRenderUI.h"
#include "camera_module/directshow/CMCameraDirectShow.h"
#include "platform/directshow/CaptureDeviceProvider.h"
#include "platform/directshow/VirtualDeviceRegistry.h"
#include "tests/support/view/PreviewHostWindow.h"

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace kelvara;
using namespace kelvara::dshow;

namespace {

struct Settings
{
    int seconds = 60;
    int width = 1920;
    int height = 1080;
    double fps = 60.0;
};
Settings g_settings;
kelvara::test::PreviewHostWindow* g_host = nullptr;

// CPU seconds (user + system) of every thread of this process, summed by name.
std::map<std::string, double> ThreadCpuByName()
{
    std::map<std::string, double> result;
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    DIR* dir = opendir("/proc/self/task");
    if (!dir)
        return result;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream in(std::string("/proc/self/task/") + entry->d_name + "/stat");
        std::string line;
        if (!std::getline(in, line))
            continue;
        // pid (comm) state ... utime is field 14, stime 15.
        const size_t open = line.find('(');
        const size_t close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        std::string name = line.substr(open + 1, close - open - 1);
        if (std::strtol(entry->d_name, nullptr, 10) == getpid())
            name = "main (UI)";
        else if (name == program_invocation_short_name)
            name = "unnamed";
        std::istringstream rest(line.substr(close + 2));
        std::string field;
        double utime = 0;
        double stime = 0;
        for (int i = 3; i <= 15 && rest >> field; ++i) {
            if (i == 14)
                utime = std::atof(field.c_str());
            else if (i == 15)
                stime = std::atof(field.c_str());
        }
        result[name] += (utime + stime) / tick;
    }
    closedir(dir);
    return result;
}

// Video packets in the file, as ffprobe counts them; -1 when it cannot.
long CountVideoPackets(const std::string& path)
{
    const std::string command = "ffprobe -v error -select_streams v:0 -count_packets -show_entries "
                                "stream=nb_read_packets -of csv=p=0 '"
        + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[64] = {};
    const bool read = std::fgets(buffer, sizeof buffer, pipe) != nullptr;
    pclose(pipe);
    return read ? std::atol(buffer) : -1;
}

void BM_PreviewAndRecord(benchmark::State& state)
{
    const Settings& s = g_settings;
    SetV4L2EnumerationEnabled(false);
    VirtualDeviceDescription d;
    d.name = L"Bench Camera";
    d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_MJPG, s.width, s.height)};
    d.frameRate = s.fps;
    const int id = VirtualDeviceRegistry::Add(d);
    const std::vector<int> ids = VirtualDeviceRegistry::Ids();
    const int index = static_cast<int>(std::find(ids.begin(), ids.end(), id) - ids.begin());
    CCameraController controller;
    CImageRenderUI* preview = g_host->Preview();
    controller.SetRenderControl(preview, nullptr);
    char directory[] = "/tmp/kelvara-record60-XXXXXX";
    if (!mkdtemp(directory) || !controller.OpenCamera(new CMCameraDirectShow(index))) {
        state.SkipWithError("cannot open the virtual camera");
        VirtualDeviceRegistry::Remove(id);
        return;
    }
    controller.GetCamera()->SetPreviewImageSize(s.width, s.height);
    controller.GetCamera()->Play();
    const std::string video = std::string(directory) + "/record60.mp4";
    const std::wstring wideVideo(video.begin(), video.end());
    kelvara::test::PumpUntil([] { return false; }, 1000);

    for (auto _ : state) {
        // Reset first: every frame queued for the file is then counted.
        controller.ResetPipelineStats();
        if (!controller.StartRecording(wideVideo.c_str())) {
            state.SkipWithError("cannot record");
            break;
        }
        const unsigned uploadsBefore = preview->GetUploadCount();
        const unsigned drawsBefore = preview->GetDrawCount();
        const uint64_t lostBefore = VirtualDeviceRegistry::FramesLost(id);
        const std::map<std::string, double> cpuBefore = ThreadCpuByName();
        const auto start = std::chrono::steady_clock::now();
        kelvara::test::PumpUntil([] { return false; }, s.seconds * 1000);
        const double seconds
            = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::map<std::string, double> cpuAfter = ThreadCpuByName();
        const uint64_t cameraLost = VirtualDeviceRegistry::FramesLost(id) - lostBefore;
        const unsigned shown = preview->GetUploadCount() - uploadsBefore;
        const unsigned draws = preview->GetDrawCount() - drawsBefore;
        const CCameraController::RecordingEnd end = controller.FinishRecording();
        const PipelineStats st = controller.GetPipelineStats();
        state.SetIterationTime(seconds);

        // Frames that arrived while the recording ran: queued, refused, or
        // not recorded (encoder behind, another size).
        const uint64_t delivered = st.recorded + st.recordQueueFull + st.notRecorded + st.dropped;
        const long inFile = CountVideoPackets(video);
        const long lost = static_cast<long>(delivered) - inFile;
        const double lostPct
            = delivered ? 100.0 * static_cast<double>(lost) / static_cast<double>(delivered) : 0;
        std::printf("\n%dx%d MJPG at %.0f fps, previewed and recorded for %.1f s (%s)\n", s.width, s.height,
            s.fps, seconds,
            end == CCameraController::RecordingEnd::kSaved ? "file complete" : "file NOT complete");
        std::printf("  camera delivered %llu frames (%.1f fps; %.0f expected at the nominal rate)\n",
            static_cast<unsigned long long>(delivered), static_cast<double>(delivered) / seconds,
            s.fps * seconds);
        std::printf("  camera lost %llu frames (its sink was more than the driver's buffers behind)\n",
            static_cast<unsigned long long>(cameraLost));
        std::printf("  shown (uploaded) %u, preview redraws %u\n", shown, draws);
        std::printf("  recorded: %llu queued, %llu encoded, %ld in the file (ffprobe)\n",
            static_cast<unsigned long long>(st.recorded), static_cast<unsigned long long>(st.encoded),
            inFile);
        std::printf(
            "  dropped by the pipeline: %ld (%.2f %%): refused %llu, encoder behind %llu, other size %llu\n",
            lost, lostPct, static_cast<unsigned long long>(st.dropped),
            static_cast<unsigned long long>(st.recordQueueFull),
            static_cast<unsigned long long>(st.notRecorded));
        const double frames = static_cast<double>(std::max<uint64_t>(st.frames, 1));
        std::printf("  per frame: convert %.2f ms, I420 %.2f ms, hand-over %.3f ms, callback %.2f ms, encode "
                    "%.2f ms\n",
            static_cast<double>(st.convertUs) / frames / 1000.0,
            static_cast<double>(st.yuvUs) / frames / 1000.0, static_cast<double>(st.pushUs) / frames / 1000.0,
            static_cast<double>(st.callbackUs) / frames / 1000.0,
            static_cast<double>(st.encodeUs) / std::max(1.0, static_cast<double>(st.encoded)) / 1000.0);
        std::printf("  CPU per thread (%% of one core over the run):\n");
        double total = 0;
        for (const auto& entry : cpuAfter) {
            const auto before = cpuBefore.find(entry.first);
            const double used = entry.second - (before == cpuBefore.end() ? 0.0 : before->second);
            total += used;
            if (used > 0.005 * seconds)
                std::printf("    %-16s %6.1f %%\n", entry.first.c_str(), 100.0 * used / seconds);
        }
        std::printf("    %-16s %6.1f %%\n", "all threads", 100.0 * total / seconds);
        state.counters["delivered"] = static_cast<double>(delivered);
        state.counters["shown"] = shown;
        state.counters["recorded"] = static_cast<double>(inFile);
        state.counters["dropped"] = static_cast<double>(lost);
        state.counters["fps"] = static_cast<double>(delivered) / seconds;
        state.counters["cpu_cores"] = total / seconds;
        state.counters["camera_lost"] = static_cast<double>(cameraLost);
        if (std::abs(lostPct) > 1.0)
            std::printf("  GOAL NOT MET: more than 1 %% of the delivered frames are missing from the file\n");
        if (static_cast<double>(delivered) < 0.98 * s.fps * seconds)
            std::printf("  GOAL NOT MET: the camera delivered less than 98 %% of the nominal rate\n");
    }
    controller.CloseCamera();
    controller.SetRenderControl(nullptr, nullptr);
    VirtualDeviceRegistry::Remove(id);
    std::remove(video.c_str());
    rmdir(directory);
}

// Takes this program's own options out of argv.
void ParseSettings(int* argc, char** argv)
{
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        const char* a = argv[i];
        if (std::strncmp(a, "--seconds=", 10) == 0)
            g_settings.seconds = std::max(1, std::atoi(a + 10));
        else if (std::strncmp(a, "--width=", 8) == 0)
            g_settings.width = std::atoi(a + 8);
        else if (std::strncmp(a, "--height=", 9) == 0)
            g_settings.height = std::atoi(a + 9);
        else if (std::strncmp(a, "--fps=", 6) == 0)
            g_settings.fps = std::atof(a + 6);
        else
            argv[kept++] = argv[i];
    }
    *argc = kept;
}

}  // namespace

BENCHMARK(BM_PreviewAndRecord)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    ParseSettings(&argc, argv);
    benchmark::Initialize(&argc, argv);
    kelvara::test::PreviewHostWindow host;
    if (!host.Open(0, 0, 1280, 780, true, true)) {
        std::fprintf(stderr, "bench_record60: cannot open the preview window\n");
        return 1;
    }
    g_host = &host;
    benchmark::RunSpecifiedBenchmarks();
    g_host = nullptr;
    host.Close();
    return 0;
}
