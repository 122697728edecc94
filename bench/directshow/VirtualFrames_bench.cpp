// How fast virtual cameras produce frames, per format and size, next to the
// bare library calls that do the same conversion on a whole frame.

#include <benchmark/benchmark.h>
#include <libyuv.h>
#include <turbojpeg.h>

#include <vector>

#include "platform/directshow/MediaType.h"
#include "platform/directshow/VirtualFrameGenerator.h"

namespace {

using kelvara::dshow::MicroscopeScene;
using kelvara::dshow::VirtualFrameGenerator;

const GUID* const kSubtypes[] = {&MEDIASUBTYPE_MJPG, &MEDIASUBTYPE_YUY2, &MEDIASUBTYPE_RGB24};
const char* const kNames[] = {"MJPG", "YUY2", "RGB24"};

// Steady state of a streaming virtual camera (args: format index, width, height).
void BM_VirtualCameraFrame(benchmark::State& state)
{
    const int format = static_cast<int>(state.range(0));
    const int width = static_cast<int>(state.range(1));
    const int height = static_cast<int>(state.range(2));
    VirtualFrameGenerator generator(10.0);
    generator.Configure(*kSubtypes[format], width, height);
    for (uint64_t n = 0; n < MicroscopeScene::kDriftPeriod; ++n)
        generator.Frame(n);  // MJPG: the drift cycle is encoded once
    uint64_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(generator.Frame(n++).data());
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::string(kNames[format]) + " frames/s");
}

// The bare library call behind each format, on a BGRA frame of that size.
void BM_BareLibraryCall(benchmark::State& state)
{
    const int format = static_cast<int>(state.range(0));
    const int width = static_cast<int>(state.range(1));
    const int height = static_cast<int>(state.range(2));
    std::vector<uint8_t> argb(static_cast<size_t>(width) * height * 4, 128);
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4);
    tjhandle tj = tjInitCompress();
    for (auto _ : state) {
        if (format == 0) {
            unsigned char* jpeg = nullptr;
            unsigned long size = 0;
            tjCompress2(tj, argb.data(), width, width * 4, height, TJPF_BGRA, &jpeg, &size, TJSAMP_422, 85,
                TJFLAG_FASTDCT);
            tjFree(jpeg);
        } else if (format == 1) {
            libyuv::ARGBToYUY2(argb.data(), width * 4, out.data(), width * 2, width, height);
        } else {
            libyuv::ARGBToRGB24(argb.data(), width * 4, out.data(), width * 3, width, -height);
        }
        benchmark::ClobberMemory();
    }
    tjDestroy(tj);
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::string(format == 0 ? "tjCompress2"
                           : format == 1   ? "ARGBToYUY2"
                                           : "ARGBToRGB24")
        + " frames/s");
}

// A camera's first pass: scene rendering once, then the first frame.
void BM_VirtualCameraFirstFrame(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(1));
    const int height = static_cast<int>(state.range(2));
    for (auto _ : state) {
        VirtualFrameGenerator generator(10.0);
        generator.Configure(*kSubtypes[state.range(0)], width, height);
        benchmark::DoNotOptimize(generator.Frame(0).data());
    }
    state.SetLabel(std::string(kNames[state.range(0)]) + " start-up");
}

void Sizes(benchmark::internal::Benchmark* b)
{
    for (int format = 0; format < 3; ++format) {
        b->Args({format, 1920, 1080});
        b->Args({format, 3840, 2160});
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_VirtualCameraFrame)->Apply(Sizes);
BENCHMARK(BM_BareLibraryCall)->Apply(Sizes);
BENCHMARK(BM_VirtualCameraFirstFrame)->Apply(Sizes)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
