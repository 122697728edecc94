// Paint time of one frame of the gallery window whose list holds 100 or
// 10,000 callback rows, scrolled to the middle, next to the bare cost of a
// frame of the same size (clear, display and read back an SFML render
// texture). Rows outside the view are not drawn, so both list sizes should
// cost about the same. "cells" counts the callback calls per frame.
#include "tests/support/duilib/SampleSkin.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <benchmark/benchmark.h>

#include <memory>

using namespace DuiLib;

namespace {

class Cells : public IListCallbackUI
{
public:
    long calls = 0;
    std::string GetItemText(CControlUI*, int row, int column) override
    {
        ++calls;
        return column == 0 ? std::to_string(row) : "value " + std::to_string(row * 3 + column);
    }
};

struct Gallery
{
    duilib_test::SampleWindow window{"xmls\\gallery.xml"};
    Cells cells;
    CListUI* list = nullptr;
};

std::unique_ptr<Gallery> OpenGallery(int rows)
{
    static bool installed = false;
    if (!installed) {
        duilib_test::InstallSampleSkin();
        installed = true;
    }
    auto g = std::make_unique<Gallery>();
    if (g->window.Create(nullptr, "bench", UI_WNDSTYLE_FRAME, 0, 0, 0, 720, 520) == nullptr)
        return nullptr;
    g->list = static_cast<CListUI*>(g->window.Find("list"));
    g->list->SetTextCallback(&g->cells);
    for (int i = 0; i < rows; ++i)
        g->list->Add(new CListTextElementUI);
    g->window.GetPaintManager()->PaintNow();
    g->list->EnsureVisible(rows / 2);
    g->window.GetPaintManager()->PaintNow();
    return g;
}

void BM_ListFramePaint(benchmark::State& state)
{
    std::unique_ptr<Gallery> g = OpenGallery(static_cast<int>(state.range(0)));
    if (!g) {
        state.SkipWithError("no display");
        return;
    }
    CPaintManagerUI* pm = g->window.GetPaintManager();
    long frames = 0;
    g->cells.calls = 0;
    for (auto _ : state) {
        // Scroll by one row each frame: layout and paint both run.
        g->list->SetScrollPos(SIZE{0, g->list->GetScrollPos().cy + (frames % 2 ? -23 : 23)});
        benchmark::DoNotOptimize(pm->PaintNow());
        ++frames;
    }
    state.counters["cells"] = static_cast<double>(g->cells.calls) / static_cast<double>(frames);
    g->list->SetTextCallback(nullptr);
    g->window.DestroyWindow();
}
BENCHMARK(BM_ListFramePaint)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

// The bare library cost of a frame of the same size.
void BM_BareFrame(benchmark::State& state)
{
    sf::RenderTexture texture;
    if (!texture.create(720, 520)) {
        state.SkipWithError("no GL");
        return;
    }
    for (auto _ : state) {
        texture.clear(sf::Color::White);
        texture.display();
        sf::Image image = texture.getTexture().copyToImage();
        benchmark::DoNotOptimize(image.getPixelsPtr());
    }
}
BENCHMARK(BM_BareFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
