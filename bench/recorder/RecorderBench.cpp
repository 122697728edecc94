// Encoding throughput of the recorder (encoder + MP4 muxer + file) against
// libavcodec's libx264 encoder called directly with the same settings, on
// the same changing frames in the same run.

#include "app/capture/CVideoRecorder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
}

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kFrameCount = 8;
constexpr int64_t kFrameSpacingUs = 33333;  // 30 fps

// Frames of a moving scene: a gradient drifting under a walking square.
const std::vector<std::vector<uint8_t>>& Frames(int width, int height)
{
    static std::map<std::pair<int, int>, std::vector<std::vector<uint8_t>>> cache;
    auto& frames = cache[{width, height}];
    if (frames.empty()) {
        const size_t luma = static_cast<size_t>(width) * height;
        for (int index = 0; index < kFrameCount; ++index) {
            std::vector<uint8_t> frame(luma * 3 / 2);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    frame[static_cast<size_t>(y) * width + x]
                        = static_cast<uint8_t>((x + 2 * y + index * 5) >> 1);
            const int side = height / 5;
            const int left = index * width / (2 * kFrameCount);
            for (int y = side; y < 2 * side; ++y)
                for (int x = left; x < left + side; ++x)
                    frame[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(200 + index);
            for (size_t i = luma; i < frame.size(); ++i)
                frame[i] = static_cast<uint8_t>(112 + (i / 64 + index) % 32);
            frames.push_back(std::move(frame));
        }
    }
    return frames;
}

std::string OutputPath()
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/kelvara-bench-" + std::to_string(getpid()) + ".mp4";
}

void BM_Recorder(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const auto& frames = Frames(width, height);
    const std::string path = OutputPath();
    kelvara::CVideoRecorder recorder;
    if (!recorder.Open(width, height, path.c_str())) {
        state.SkipWithError("Open failed");
        return;
    }
    int64_t index = 0;
    for (auto _ : state) {
        recorder.EncodeFrameAt(frames[index % kFrameCount].data(), width, height, index * kFrameSpacingUs);
        ++index;
    }
    state.SetItemsProcessed(index);
    recorder.Close();
    unlink(path.c_str());
}

// libx264 through libavcodec with the recorder's settings; packets dropped.
void BM_BareLibx264(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const auto& frames = Frames(width, height);
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    AVCodecContext* c = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!c) {
        state.SkipWithError("no libx264");
        return;
    }
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->width = width;
    c->height = height;
    c->bit_rate = 400000;
    c->gop_size = 250;
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    c->me_range = 16;
    c->max_qdiff = 4;
    c->qcompress = 0.6f;
    c->qmin = 10;
    c->qmax = 50;
    c->thread_count = 4;
    c->time_base = AVRational{1, 90000};
    c->framerate = AVRational{30, 1};
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", "ultrafast", 0);
    av_dict_set(&options, "profile", "baseline", 0);
    int ret = avcodec_open2(c, codec, &options);
    av_dict_free(&options);
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    if (ret < 0 || !frame || !packet) {
        state.SkipWithError("encoder setup failed");
    } else {
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = width;
        frame->height = height;
        int64_t index = 0;
        for (auto _ : state) {
            const uint8_t* buffer = frames[index % kFrameCount].data();
            av_image_fill_arrays(frame->data, frame->linesize, buffer, AV_PIX_FMT_YUV420P, width, height, 1);
            frame->pts = index * kFrameSpacingUs * 9 / 100;
            avcodec_send_frame(c, frame);
            while (avcodec_receive_packet(c, packet) == 0)
                av_packet_unref(packet);
            ++index;
        }
        state.SetItemsProcessed(index);
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&c);
}

// Encoder threads do the work, so rates are wall-clock time and the CPU
// column counts every thread of the process (less sensitive to other load).
// Alternating, so both see the same machine load.
BENCHMARK(BM_BareLibx264)
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_Recorder)
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_BareLibx264)
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_Recorder)
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Prints frames per second and recorder / bare ratios after the table, as
// medians when the benchmarks run repeatedly (--benchmark_repetitions=N).
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            // Keyed by function and frame size ("BM_Recorder/1920/1080").
            const std::string key = run.run_name.function_name + "/" + run.run_name.args;
            auto found = run.counters.find("items_per_second");
            if (found != run.counters.end())
                m_fps[key].push_back(found->second.value);
            m_cpuMs[key].push_back(run.GetAdjustedCPUTime());
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const char* size : {"1920/1080", "3840/2160"}) {
            const std::string recorderKey = "BM_Recorder/" + std::string(size);
            const std::string bareKey = "BM_BareLibx264/" + std::string(size);
            const double recorder = Median(m_fps[recorderKey]);
            const double bare = Median(m_fps[bareKey]);
            const double recorderCpu = Median(m_cpuMs[recorderKey]);
            const double bareCpu = Median(m_cpuMs[bareKey]);
            if (recorder > 0 && bare > 0 && recorderCpu > 0)
                std::printf("%s: recorder %.1f fps, bare libx264 %.1f fps, ratio %.3f%s; "
                            "CPU per frame %.2f ms vs %.2f ms, ratio %.3f\n",
                    size, recorder, bare, recorder / bare, recorder >= 30.0 ? " (keeps up with 30 fps)" : "",
                    recorderCpu, bareCpu, bareCpu / recorderCpu);
        }
    }

private:
    static double Median(std::vector<double> values)
    {
        if (values.empty())
            return 0;
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }

    // Per repetition: frames per second, CPU milliseconds per frame.
    std::map<std::string, std::vector<double>> m_fps;
    std::map<std::string, std::vector<double>> m_cpuMs;
};

}  // namespace

int main(int argc, char** argv)
{
    av_log_set_level(AV_LOG_ERROR);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
