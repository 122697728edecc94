// Hover testing and refitting over a view with 1,000 measurement marks,
// next to the bare SFML work they are made of (label bounds, vertex
// transforms) measured in the same run.

#include "app/measure/LabelFont.h"
#include "app/measure/SFPrimitiveBrokenLine.h"
#include "app/measure/SFPrimitiveCalibration.h"
#include "app/measure/SFPrimitiveContainer.h"
#include "app/measure/SFPrimitiveLine.h"
#include "app/measure/SFPrimitivePoint.h"
#include "app/measure/SFPrimitivePolygon.h"
#include "app/measure/SFPrimitiveRectangle.h"
#include "app/measure/SFPrimitiveText.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Transform.hpp>
#include <benchmark/benchmark.h>

#include <memory>
#include <mutex>
#include <vector>

using namespace kelvara;

namespace {

constexpr int kCount = 1000;

void Click(SFPrimitiveBase& p, float x, float y, int tool)
{
    p.OnMouseMove(x, y, tool, false, HitRecord());
    p.OnMouseDown(x, y, tool);
}

// 1,000 finished primitives of the seven basic kinds on a 40 x 25 grid.
std::vector<std::unique_ptr<SFPrimitiveBase>> MakeMixed()
{
    std::vector<std::unique_ptr<SFPrimitiveBase>> out;
    for (int i = 0; i < kCount; ++i) {
        const float x = 20.0f + (i % 40) * 45.0f;
        const float y = 20.0f + (i / 40) * 40.0f;
        std::unique_ptr<SFPrimitiveBase> p;
        switch (i % 7) {
        case 0:
            p = std::make_unique<SFPrimitivePoint>(x, y, 1.0f, 1.0f, 0, 0, "px");
            break;
        case 1:
            p = std::make_unique<SFPrimitiveLine>(x, y, 1.0f, 1.0f, 0, 0, "px");
            Click(*p, x + 30, y + 10, kToolLine);
            break;
        case 2:
            p = std::make_unique<SFPrimitiveBrokenLine>(x, y, 1.0f, 1.0f, 0, 0, "px");
            Click(*p, x + 15, y + 20, kToolBrokenLine);
            Click(*p, x + 30, y, kToolBrokenLine);
            p->OnRightButtonDown(x + 35, y + 5, kToolBrokenLine);
            break;
        case 3:
            p = std::make_unique<SFPrimitiveRectangle>(x, y, 1.0f, 1.0f, 0, 0, "px");
            Click(*p, x + 30, y + 25, kToolRectangle);
            break;
        case 4:
            p = std::make_unique<SFPrimitivePolygon>(x, y, 1.0f, 1.0f, 0, 0, "px");
            Click(*p, x + 30, y, kToolPolygon);
            Click(*p, x + 30, y + 25, kToolPolygon);
            p->OnMouseMove(x, y + 25, kToolPolygon, false, HitRecord());
            p->OnRightButtonDown(x, y + 25, kToolPolygon);
            break;
        case 5:
            p = std::make_unique<SFPrimitiveText>(x, y, 1.0f, 1.0f, 0, 0, "px");
            Click(*p, x + 30, y + 20, kToolText);
            break;
        default:
            p = std::make_unique<SFPrimitiveCalibration>(x, y, 1.0f, 1.0f, 0, 0, "px");
            break;
        }
        out.push_back(std::move(p));
    }
    return out;
}

// The container's hover test: stop at the first primitive hit.
int Hover(std::vector<std::unique_ptr<SFPrimitiveBase>>& primitives, float x, float y)
{
    for (std::size_t i = 0; i < primitives.size(); ++i) {
        if (primitives[i]->HitTest(x, y).kind != kHitNone)
            return static_cast<int>(i);
    }
    return -1;
}

void BM_HoverMissOver1000Mixed(benchmark::State& state)
{
    auto primitives = MakeMixed();
    for (auto _ : state)
        benchmark::DoNotOptimize(Hover(primitives, 5000.0f, 5000.0f));
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_HoverMissOver1000Mixed)->Unit(benchmark::kMicrosecond);

void BM_ApplyViewTransformOver1000Mixed(benchmark::State& state)
{
    auto primitives = MakeMixed();
    bool zoomed = false;
    for (auto _ : state) {
        zoomed = !zoomed;
        const float zoom = zoomed ? 1.25f : 1.0f;
        for (auto& p : primitives)
            p->ApplyViewTransform(zoom, zoomed ? 8.0f : 0.0f, 0.0f);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ApplyViewTransformOver1000Mixed)->Unit(benchmark::kMicrosecond);

// How a user builds each of the twenty kinds: clicks relative to a cell,
// plus a finishing right click for the open polylines (0 = none).
struct KindClicks
{
    int tool;
    std::vector<sf::Vector2f> clicks;
    sf::Vector2f rightClick;
};

const std::vector<KindClicks>& AllKinds()
{
    static const std::vector<KindClicks> kinds = {
        {kToolPoint, {{100, 100}}, {}},
        {kToolLine, {{100, 100}, {300, 100}}, {}},
        {kToolBrokenLine, {{100, 100}, {200, 150}}, {300, 100}},
        {kToolRectangle, {{100, 100}, {300, 200}}, {}},
        {kToolPolygon, {{100, 100}, {300, 100}}, {200, 250}},
        {kToolCircle, {{200, 200}, {250, 200}}, {}},
        {kToolCircle2, {{150, 200}, {250, 200}}, {}},
        {kToolCircle3, {{150, 200}, {200, 150}, {250, 200}}, {}},
        {kToolArc, {{150, 200}, {200, 150}, {250, 200}}, {}},
        {kToolAngle, {{100, 200}, {200, 200}, {200, 100}}, {}},
        {kToolText, {{100, 100}, {300, 150}}, {}},
        {kToolPerpendicular, {{100, 100}, {300, 100}, {200, 200}}, {}},
        {kToolCrosshair, {{200, 200}, {220, 220}}, {}},
        {kToolCrosshair2, {{100, 100}, {150, 150}, {300, 250}}, {}},
        {kToolParallel, {{100, 100}, {300, 100}, {100, 200}, {300, 210}}, {}},
        {kToolConcentrical, {{200, 200}, {250, 200}, {280, 200}}, {}},
        {kToolTwoCircles, {{100, 200}, {150, 200}, {300, 200}, {340, 200}}, {}},
        {kToolTwoCircles2, {{100, 200}, {200, 200}, {300, 200}, {400, 200}}, {}},
        {kToolTwoCircles3, {{100, 200}, {150, 150}, {200, 200}, {300, 200}, {350, 150}, {400, 200}}, {}},
        {kToolCalibration, {{100, 100}}, {}},
    };
    return kinds;
}

// 1,000 primitives, 50 of each kind, built with the mouse through the
// container. Cells are 450 x 350 view pixels; the size crosshairs, whose
// lines are hit along their whole length, lie on a diagonal beyond the grid
// so no creating click lands on an earlier primitive.
void FillContainer(SFPrimitiveContainer& container)
{
    const auto& kinds = AllKinds();
    int cell = 0;
    int diagonal = 0;
    for (int i = 0; i < kCount; ++i) {
        const KindClicks& kind = kinds[static_cast<std::size_t>(i) % kinds.size()];
        sf::Vector2f base;
        if (kind.tool == kToolCrosshair2) {
            base = sf::Vector2f(20000.0f, 10000.0f) + 400.0f * sf::Vector2f(diagonal, diagonal);
            ++diagonal;
        } else {
            base = sf::Vector2f(450.0f * (cell % 40), 350.0f * (cell / 40));
            ++cell;
        }
        container.SetTool(kind.tool);
        for (sf::Vector2f c : kind.clicks) {
            c += base;
            container.OnMouseMove(c.x, c.y);
            container.OnMouseDown(c.x, c.y);
            container.OnMouseUp(c.x, c.y);
        }
        if (kind.rightClick != sf::Vector2f()) {
            const sf::Vector2f r = kind.rightClick + base;
            container.OnMouseMove(r.x, r.y);
            container.OnRightButtonDown(r.x, r.y);
        }
    }
}

void BM_ContainerHoverMissOver1000AllKinds(benchmark::State& state)
{
    std::recursive_mutex lock;
    SFPrimitiveContainer container;
    container.SetLock(&lock);
    FillContainer(container);
    if (container.GetCount() != kCount) {
        state.SkipWithError("the container did not build 1,000 primitives");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(container.OnMouseMove(-500.0f, -500.0f));
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ContainerHoverMissOver1000AllKinds)->Unit(benchmark::kMicrosecond);

void BM_ContainerSetViewTransformOver1000AllKinds(benchmark::State& state)
{
    std::recursive_mutex lock;
    SFPrimitiveContainer container;
    container.SetLock(&lock);
    FillContainer(container);
    bool zoomed = false;
    for (auto _ : state) {
        zoomed = !zoomed;
        container.SetViewTransform(zoomed ? 8.0f : 0.0f, 0.0f, zoomed ? 1.25f : 1.0f);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ContainerSetViewTransformOver1000AllKinds)->Unit(benchmark::kMicrosecond);

// Bare SFML: the label rectangle of 1,000 texts, the floor of any hover test
// that looks at labels.
void BM_BareTextBounds1000(benchmark::State& state)
{
    std::vector<sf::Text> texts(kCount);
    for (int i = 0; i < kCount; ++i) {
        texts[i].setFont(*GetLabelFont());
        texts[i].setCharacterSize(14);
        texts[i].setString("L: 123.45 px");
        texts[i].setPosition(static_cast<float>(i), 0.0f);
    }
    for (auto _ : state) {
        float sum = 0.0f;
        for (const sf::Text& t : texts)
            sum += t.getGlobalBounds().width;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_BareTextBounds1000)->Unit(benchmark::kMicrosecond);

// Bare SFML: moving the same vertices with sf::Transform and setting 1,000
// label strings, what a refit has to do at the least.
void BM_BareTransformAndRelabel1000(benchmark::State& state)
{
    auto primitives = MakeMixed();
    std::vector<sf::VertexArray> shapes;
    std::vector<sf::Text> texts(kCount);
    for (int i = 0; i < kCount; ++i) {
        shapes.push_back(primitives[i]->GetShape());
        texts[i].setFont(*GetLabelFont());
    }
    bool zoomed = false;
    for (auto _ : state) {
        zoomed = !zoomed;
        sf::Transform t;
        t.scale(zoomed ? 1.25f : 0.8f, zoomed ? 1.25f : 0.8f);
        for (int i = 0; i < kCount; ++i) {
            for (std::size_t v = 0; v < shapes[i].getVertexCount(); ++v)
                shapes[i][v].position = t.transformPoint(shapes[i][v].position);
            texts[i].setString(zoomed ? "L: 125.00 px" : "L: 100.00 px");
        }
        benchmark::DoNotOptimize(shapes.data());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_BareTransformAndRelabel1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
