// The preview's hot paths against the bare calls they are made of:
// - PushFrame on the calling thread against one memcpy of the frame;
// - the render thread's frames per second, with a new frame always waiting,
//   against a bare texture upload of the same size;
// - the render thread's CPU use when nothing changes (10 s).
#include "tests/support/view/PreviewHostWindow.h"

#include <SFML/Graphics/Texture.hpp>
#include <SFML/Window/Context.hpp>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

using namespace kelvara;

namespace {

kelvara::test::PreviewHostWindow* g_host = nullptr;
std::map<std::string, double> g_secondsPerOp;  // name/size -> seconds per operation

std::vector<uint8_t> Frame(int w, int h)
{
    std::vector<uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 7);
    return pixels;
}

std::string Key(const char* name, const benchmark::State& state)
{
    return std::string(name) + "/" + std::to_string(state.range(0)) + "x" + std::to_string(state.range(1));
}

void Record(const char* name, benchmark::State& state, std::chrono::steady_clock::duration total)
{
    g_secondsPerOp[Key(name, state)]
        = std::chrono::duration<double>(total).count() / static_cast<double>(state.iterations());
}

void BM_Memcpy(benchmark::State& state)
{
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    std::vector<uint8_t> src = Frame(w, h);
    std::vector<uint8_t> dst(src.size());
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::ClobberMemory();
    }
    Record("memcpy", state, std::chrono::steady_clock::now() - start);
}

void BM_PushFrame(benchmark::State& state)
{
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    std::vector<uint8_t> src = Frame(w, h);
    CImageRenderUI* preview = g_host->Preview();
    preview->PushFrame(w, h, src.data());  // the size change (refit) happens once
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        preview->PushFrame(w, h, src.data());
    Record("PushFrame", state, std::chrono::steady_clock::now() - start);
}

void BM_TextureUpload(benchmark::State& state)
{
    const unsigned w = static_cast<unsigned>(state.range(0)), h = static_cast<unsigned>(state.range(1));
    std::vector<uint8_t> src = Frame(static_cast<int>(w), static_cast<int>(h));
    sf::Context context;
    sf::Texture texture;
    texture.create(w, h);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        texture.update(src.data(), w, h, 0, 0);
    Record("upload", state, std::chrono::steady_clock::now() - start);
}

// One iteration: the render thread finishes one more drawing while a camera
// thread keeps a new frame waiting.
void BM_RenderFrame(benchmark::State& state)
{
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    std::vector<uint8_t> src = Frame(w, h);
    CImageRenderUI* preview = g_host->Preview();
    std::atomic<bool> stop{false};
    std::thread camera([&] {
        while (!stop) {
            preview->PushFrame(w, h, src.data());
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    unsigned last = preview->GetDrawCount();
    while (preview->GetDrawCount() < last + 3)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    last = preview->GetDrawCount();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        while (preview->GetDrawCount() == last)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        last = preview->GetDrawCount();
    }
    Record("render", state, std::chrono::steady_clock::now() - start);
    stop = true;
    camera.join();
    state.counters["fps"]
        = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

double CpuSeconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_IdleRenderThread(benchmark::State& state)
{
    CImageRenderUI* preview = g_host->Preview();
    double percent = 0;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // let pending drawings finish
        const unsigned drawn = preview->GetDrawCount();
        const double cpu = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        percent = 100.0 * (CpuSeconds() - cpu) / wall;
        state.counters["redraws"] = preview->GetDrawCount() - drawn;
    }
    state.counters["cpu_percent"] = percent;
    std::printf("idle render thread: %.2f %% of one core over 10 s\n", percent);
}

}  // namespace

BENCHMARK(BM_Memcpy)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PushFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextureUpload)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderFrame)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
BENCHMARK(BM_IdleRenderThread)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    kelvara::test::PreviewHostWindow host;
    if (!host.Open(0, 0, 1280, 780, true, true)) {
        std::fprintf(stderr, "bench_view: cannot open the preview window\n");
        return 1;
    }
    g_host = &host;
    benchmark::RunSpecifiedBenchmarks();
    g_host = nullptr;
    host.Close();

    std::printf("\nRatios (same run):\n");
    for (const char* size : {"1920x1080", "3840x2160"}) {
        const std::string s = size;
        auto get = [&](const char* name) {
            auto it = g_secondsPerOp.find(std::string(name) + "/" + s);
            return it == g_secondsPerOp.end() ? 0.0 : it->second;
        };
        if (get("memcpy") > 0 && get("PushFrame") > 0)
            std::printf("  %s PushFrame / memcpy: %.2f (%.3f ms vs %.3f ms)\n", size,
                get("PushFrame") / get("memcpy"), get("PushFrame") * 1e3, get("memcpy") * 1e3);
        if (get("render") > 0 && get("upload") > 0)
            std::printf("  %s render fps: %.1f, bare upload rate: %.1f/s, ratio %.2f\n", size,
                1.0 / get("render"), 1.0 / get("upload"), get("upload") / get("render"));
    }
    return 0;
}
