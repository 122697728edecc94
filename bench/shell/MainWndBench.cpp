// The program's main window, maximised on the 1920x1080 screen of the bench
// command's Xvfb, measured from the CPU clocks of the program's own threads:
// - LabelUpdate: the frame-rate label gets a new text and is painted
//   ("Time" = UI thread CPU per update);
// - SliderDrag: a slider thumb follows pointer moves, one paint per move
//   ("Time" = wall time per update; updates_per_s);
// - FullRepaint: the whole window is invalidated and painted ("Time" = UI
//   thread CPU), next to BareFullFrame, the bare SFML/GL cost of clearing
//   and reading back a surface of the same size;
// - Idle/NoCamera and Idle/DemoCamera: per cent of a core used by the UI
//   thread, by the threads that started with the window (the preview's
//   render thread), with the camera, by Mesa's llvmpipe workers, and by the
//   whole process, over 5 s of idling (the demo camera plays at 30 fps).
// Per-thread figures of the idle runs go to standard error.
#include "bench/shell/ThreadClocks.h"
#include "tests/support/shell/MainWindowHost.h"

#include "app/view/CImageRenderUI.h"
#include "platform/duilib/UIlib.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/OpenGL.hpp>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>

using kelvara::CMainWnd;
using kelvara::bench::CallingThreadCpuSeconds;
using kelvara::bench::ProcessCpuSeconds;
using kelvara::test::MainWindowHost;
using kelvara::test::Pump;
using kelvara::test::PumpFor;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One main window at a time, kept while benchmarks want the same kind.
struct Session
{
    std::string cameras;
    bool cameraOpen = false;
    std::unique_ptr<MainWindowHost> host;
    std::set<int> threadsBeforeWindow;
    std::set<int> threadsWithWindow;
    std::set<int> threadsWithCamera;
};
Session g_session;

MainWindowHost* OpenHost(const std::string& cameras, bool openCamera)
{
    Session& s = g_session;
    if (s.host && s.cameras == cameras && s.cameraOpen == openCamera)
        return s.host.get();
    s.host.reset();
    s.cameras = cameras;
    s.cameraOpen = openCamera;
    s.threadsBeforeWindow = kelvara::bench::ThreadIds();
    s.host = std::make_unique<MainWindowHost>(cameras);
    if (!s.host->Open()) {
        s.host.reset();
        return nullptr;
    }
    PumpFor(1500);
    s.threadsWithWindow = kelvara::bench::ThreadIds();
    if (openCamera) {
        CMainWnd& window = s.host->Window();
        if (!s.host->ClickCameraRow(0))
            window.OpenLocalCamera(0, 0);
        if (!Pump([&] { return window.GetController().GetCamera() != nullptr; }, 5000)) {
            s.host.reset();
            return nullptr;
        }
        PumpFor(2000);
    }
    s.threadsWithCamera = kelvara::bench::ThreadIds();
    return s.host.get();
}

bool WaitForPaint(DuiLib::CPaintManagerUI* pm, int before)
{
    return Pump([&] { return pm->GetPaintCount() > before; }, 2000);
}

// Runs the loop as the program does (sleeping until something happens) for ms.
void IdleFor(int ms)
{
    DuiLib::CMessageLoop* loop = DuiLib::CMessageLoop::GetCurrent();
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        loop->PumpOnce(static_cast<int>(std::max<long long>(1, left)));
    }
}

void BM_LabelUpdate(benchmark::State& state)
{
    MainWindowHost* host = OpenHost("", false);
    DuiLib::CControlUI* label = host ? host->Find("StatusbarLabelRate") : nullptr;
    if (label == nullptr) {
        state.SkipWithError("no main window");
        return;
    }
    DuiLib::CPaintManagerUI* pm = host->Window().GetPaintManager();
    double wall = 0, process = 0;
    long n = 0;
    for (auto _ : state) {
        const double ui0 = CallingThreadCpuSeconds(), p0 = ProcessCpuSeconds();
        const auto w0 = Clock::now();
        const int before = pm->GetPaintCount();
        label->SetText(n % 2 ? "29.97 fps" : "30.02 fps");
        if (!WaitForPaint(pm, before)) {
            state.SkipWithError("no paint");
            return;
        }
        state.SetIterationTime(CallingThreadCpuSeconds() - ui0);
        wall += SecondsSince(w0);
        process += ProcessCpuSeconds() - p0;
        ++n;
    }
    state.counters["wall_ms"] = wall * 1000 / static_cast<double>(n);
    state.counters["process_cpu_ms"] = process * 1000 / static_cast<double>(n);
}
BENCHMARK(BM_LabelUpdate)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_FullRepaint(benchmark::State& state)
{
    MainWindowHost* host = OpenHost("", false);
    if (host == nullptr) {
        state.SkipWithError("no main window");
        return;
    }
    DuiLib::CPaintManagerUI* pm = host->Window().GetPaintManager();
    double wall = 0, process = 0;
    long n = 0;
    for (auto _ : state) {
        const double ui0 = CallingThreadCpuSeconds(), p0 = ProcessCpuSeconds();
        const auto w0 = Clock::now();
        const int before = pm->GetPaintCount();
        pm->Invalidate();
        if (!WaitForPaint(pm, before)) {
            state.SkipWithError("no paint");
            return;
        }
        state.SetIterationTime(CallingThreadCpuSeconds() - ui0);
        wall += SecondsSince(w0);
        process += ProcessCpuSeconds() - p0;
        ++n;
    }
    SIZE size = pm->GetClientSize();
    state.counters["width"] = static_cast<double>(size.cx);
    state.counters["height"] = static_cast<double>(size.cy);
    state.counters["wall_ms"] = wall * 1000 / static_cast<double>(n);
    state.counters["process_cpu_ms"] = process * 1000 / static_cast<double>(n);
}
BENCHMARK(BM_FullRepaint)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

// The bare library cost under a full repaint: clear a render texture of the
// window's size, display it and read all of it back (no controls, no X).
void BM_BareFullFrame(benchmark::State& state)
{
    MainWindowHost* host = OpenHost("", false);
    if (host == nullptr) {
        state.SkipWithError("no main window");
        return;
    }
    SIZE size = host->Window().GetPaintManager()->GetClientSize();
    sf::RenderTexture texture;
    if (!texture.create(static_cast<unsigned>(size.cx), static_cast<unsigned>(size.cy))) {
        state.SkipWithError("no render texture");
        return;
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy) * 4);
    double wall = 0, process = 0;
    long n = 0;
    for (auto _ : state) {
        const double ui0 = CallingThreadCpuSeconds(), p0 = ProcessCpuSeconds();
        const auto w0 = Clock::now();
        texture.setActive(true);
        texture.clear(sf::Color(n % 2 ? 250 : 255, 255, 255));
        texture.display();
        glReadPixels(0, 0, size.cx, size.cy, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
        state.SetIterationTime(CallingThreadCpuSeconds() - ui0);
        wall += SecondsSince(w0);
        process += ProcessCpuSeconds() - p0;
        ++n;
    }
    texture.setActive(false);
    state.counters["wall_ms"] = wall * 1000 / static_cast<double>(n);
    state.counters["process_cpu_ms"] = process * 1000 / static_cast<double>(n);
}
BENCHMARK(BM_BareFullFrame)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

// An enabled slider of the adjustment drawers, with its drawer open.
DuiLib::CSliderUI* OpenSlider(MainWindowHost* host)
{
    for (const char* name : {"AdjustSldBrightness", "AdjustSldContrast", "AdjustSldGamma",
             "AdjustSldSaturation", "AdjustSldGain", "AdjustSldExpTime"}) {
        auto* slider = host->FindAs<DuiLib::CSliderUI>(name, "Slider");
        if (slider == nullptr)
            continue;
        for (DuiLib::CControlUI* c = slider->GetParent(); c; c = c->GetParent()) {
            if (c->GetName().str().rfind("drawer", 0) == 0) {
                host->Window().OpenDrawer(c->GetName().str(), true);
                break;
            }
        }
        PumpFor(300);
        if (slider->IsVisible() && slider->IsEnabled() && slider->GetMaxValue() > slider->GetMinValue()
            && slider->GetPos().right - slider->GetPos().left > 40)
            return slider;
    }
    return nullptr;
}

void BM_SliderDrag(benchmark::State& state)
{
    MainWindowHost* host = OpenHost("demo", true);
    DuiLib::CSliderUI* slider = host ? OpenSlider(host) : nullptr;
    if (slider == nullptr) {
        state.SkipWithError("no enabled slider");
        return;
    }
    CMainWnd& window = host->Window();
    DuiLib::CPaintManagerUI* pm = window.GetPaintManager();
    const RECT rc = slider->GetPos();
    const long y = (rc.top + rc.bottom) / 2;
    const long left = rc.left + 10, span = rc.right - rc.left - 20;
    window.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(left, y));
    window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(left, y));
    PumpFor(100);
    double cpu = 0, wall = 0;
    long n = 0;
    for (auto _ : state) {
        // Back and forth across the track, 4 pixels a move (the press was at step 0).
        long step = ((n + 1) * 4) % (2 * span);
        long x = left + (step < span ? step : 2 * span - step);
        const double ui0 = CallingThreadCpuSeconds();
        const auto w0 = Clock::now();
        const int before = pm->GetPaintCount();
        window.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
        if (!WaitForPaint(pm, before)) {
            state.SkipWithError("no paint");
            break;
        }
        const double seconds = SecondsSince(w0);
        state.SetIterationTime(seconds);
        wall += seconds;
        cpu += CallingThreadCpuSeconds() - ui0;
        ++n;
    }
    window.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(left, y));
    PumpFor(100);
    if (n > 0) {
        state.counters["updates_per_s"] = static_cast<double>(n) / wall;
        state.counters["ui_cpu_ms"] = cpu * 1000 / static_cast<double>(n);
    }
}
BENCHMARK(BM_SliderDrag)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);

void MeasureIdle(benchmark::State& state, const std::string& cameras, bool openCamera)
{
    MainWindowHost* host = OpenHost(cameras, openCamera);
    if (host == nullptr) {
        state.SkipWithError("no main window or camera");
        return;
    }
    const Session& s = g_session;
    const int ui = kelvara::bench::CallingThreadId();
    constexpr int kMs = 5000;
    for (auto _ : state) {
        auto before = kelvara::bench::SampleThreads();
        const double p0 = ProcessCpuSeconds();
        const auto w0 = Clock::now();
        IdleFor(kMs);
        const double seconds = SecondsSince(w0);
        const double process = ProcessCpuSeconds() - p0;
        auto after = kelvara::bench::SampleThreads();
        double uiPct = 0, windowPct = 0, cameraPct = 0, mesaPct = 0, otherPct = 0;
        std::fprintf(stderr, "Idle %s: per thread (%% of a core over %.1f s)\n",
            openCamera ? "with the demo camera" : "without a camera", seconds);
        for (const auto& [tid, sample] : after) {
            auto it = before.find(tid);
            double used = sample.cpuSeconds - (it != before.end() ? it->second.cpuSeconds : 0.0);
            double pct = 100.0 * used / seconds;
            const char* group;
            if (tid == ui) {
                group = "ui";
                uiPct += pct;
            } else if (sample.name.rfind("llvmpipe", 0) == 0) {
                group = "llvmpipe";
                mesaPct += pct;
            } else if (!s.threadsBeforeWindow.count(tid) && s.threadsWithWindow.count(tid)) {
                group = "window (render)";
                windowPct += pct;
            } else if (!s.threadsWithWindow.count(tid) && s.threadsWithCamera.count(tid)) {
                group = "camera";
                cameraPct += pct;
            } else {
                group = "other";
                otherPct += pct;
            }
            std::fprintf(stderr, "  %6d %-16s %-16s %7.3f %%\n", tid, sample.name.c_str(), group, pct);
        }
        state.SetIterationTime(seconds);
        state.counters["ui_pct"] = uiPct;
        state.counters["render_pct"] = windowPct;
        state.counters["camera_pct"] = cameraPct;
        state.counters["llvmpipe_pct"] = mesaPct;
        state.counters["other_pct"] = otherPct;
        state.counters["process_pct"] = 100.0 * process / seconds;
    }
}

void BM_IdleNoCamera(benchmark::State& state)
{
    MeasureIdle(state, "", false);
}
BENCHMARK(BM_IdleNoCamera)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_IdleDemoCamera(benchmark::State& state)
{
    MeasureIdle(state, "demo", true);
}
BENCHMARK(BM_IdleDemoCamera)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    // The window goes while the loop and the skin are still there.
    g_session.host.reset();
    benchmark::Shutdown();
    return 0;
}
