// Hover testing and refitting through the container over 1,000 primitives of
// all twenty kinds, built by their own clicks, next to the bare SFML work
// they are made of (label bounds, vertex transforms and relabelling)
// measured in the same run.

#include "app/measure/LabelFont.h"
#include "app/measure/SFPrimitiveContainer.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Transform.hpp>
#include <benchmark/benchmark.h>

#include <memory>
#include <mutex>
#include <vector>

using namespace kelvara;

namespace {

constexpr int kCount = 1000;
constexpr int kColumns = 40;
constexpr float kCellWidth = 120.0f;
constexpr float kCellHeight = 60.0f;

struct Recipe
{
    int tool;
    std::vector<sf::Vector2f> clicks;  // relative to the cell; the first creates
    bool rightClick;
};

// One finishing click sequence per creation tool, each inside a 120 x 60 cell.
const std::vector<Recipe>& Recipes()
{
    static const std::vector<Recipe> recipes = {
        {kToolPoint, {{5, 5}}, false},
        {kToolLine, {{5, 5}, {40, 15}}, false},
        {kToolBrokenLine, {{5, 5}, {20, 15}, {40, 5}}, true},
        {kToolRectangle, {{5, 5}, {40, 20}}, false},
        {kToolPolygon, {{5, 5}, {40, 5}, {40, 20}}, true},
        {kToolCircle, {{20, 15}, {30, 15}}, false},
        {kToolCircle2, {{5, 15}, {30, 15}}, false},
        {kToolCircle3, {{25, 5}, {15, 15}, {5, 5}}, false},
        {kToolArc, {{25, 5}, {15, 15}, {5, 5}}, false},
        {kToolAngle, {{40, 5}, {5, 15}, {40, 20}}, false},
        {kToolText, {{5, 5}, {40, 15}}, false},
        {kToolPerpendicular, {{5, 5}, {40, 5}, {20, 20}}, false},
        {kToolCrosshair, {{20, 15}, {20, 15}}, false},
        {kToolCrosshair2, {{20, 15}, {20, 15}, {20, 15}}, false},
        {kToolParallel, {{5, 5}, {40, 5}, {5, 20}, {40, 20}}, false},
        {kToolConcentrical, {{20, 15}, {28, 15}, {34, 15}}, false},
        {kToolTwoCircles, {{10, 10}, {16, 10}, {40, 10}, {46, 10}}, false},
        {kToolTwoCircles2, {{5, 10}, {15, 10}, {35, 10}, {45, 10}}, false},
        {kToolTwoCircles3, {{15, 5}, {10, 10}, {5, 5}, {45, 5}, {40, 10}, {35, 5}}, false},
    };
    return recipes;
}

// Builds one primitive by clicks at cell + offset; false when the first
// click landed on an earlier primitive (a crosshair pair's lines cross the
// whole view) and so created nothing.
bool Build(SFPrimitiveContainer& container, const Recipe& recipe, sf::Vector2f origin)
{
    const int before = container.GetCount();
    container.SetTool(recipe.tool);
    for (const sf::Vector2f& c : recipe.clicks) {
        const sf::Vector2f p = origin + c;
        container.OnMouseMove(p.x, p.y);
        container.OnMouseDown(p.x, p.y);
        container.OnMouseUp(p.x, p.y);
        if (container.GetCount() == before)
            return false;
    }
    if (recipe.rightClick) {
        const sf::Vector2f p = origin + recipe.clicks.back();
        container.OnRightButtonDown(p.x, p.y);
    }
    return true;
}

// 1,000 primitives cycling through the twenty kinds on a 40 x 25 grid. The
// crosshair pairs, whose lines cross the whole view, come last, each moved
// off the lines of those before it; the calibration line, which only
// calibration mode makes, is added directly.
bool Fill(SFPrimitiveContainer& container)
{
    container.SetRect({0, 0, static_cast<long>(kColumns * kCellWidth), 1600});
    const std::vector<Recipe>& recipes = Recipes();
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < kCount; ++i) {
            const sf::Vector2f cell((i % kColumns) * kCellWidth, (i / kColumns) * kCellHeight);
            const int kind = i % 20;
            if ((kind == 13) != (pass == 1))
                continue;
            if (kind == 19) {
                container.CreatePrimitive(cell.x + 5, cell.y + 40, kToolCalibration, 19);
                continue;
            }
            sf::Vector2f shift;
            int tries = 0;
            while (!Build(container, recipes[static_cast<std::size_t>(kind)], cell + shift)) {
                shift += sf::Vector2f(7.0f, 6.0f);
                if (++tries > 40)
                    return false;
            }
        }
    }
    container.SetTool(kToolMove);
    return container.GetCount() == kCount;
}

// A spot below the grid and right of every vertical crosshair line: every
// primitive is tested and none is hit.
constexpr float kMissX = 4790.0f;
constexpr float kMissY = 3000.0f;

void BM_ContainerHoverMiss1000AllKinds(benchmark::State& state)
{
    std::recursive_mutex lock;
    SFPrimitiveContainer container;
    container.SetLock(&lock);
    if (!Fill(container) || container.OnMouseMove(kMissX, kMissY) != -1) {
        state.SkipWithError("grid not built as planned");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(container.OnMouseMove(kMissX, kMissY));
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ContainerHoverMiss1000AllKinds)->Unit(benchmark::kMicrosecond);

void BM_ContainerRefit1000AllKinds(benchmark::State& state)
{
    std::recursive_mutex lock;
    SFPrimitiveContainer container;
    container.SetLock(&lock);
    if (!Fill(container)) {
        state.SkipWithError("grid not built as planned");
        return;
    }
    bool zoomed = false;
    for (auto _ : state) {
        zoomed = !zoomed;
        container.SetViewTransform(zoomed ? 8.0f : 0.0f, 0.0f, zoomed ? 1.25f : 1.0f);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ContainerRefit1000AllKinds)->Unit(benchmark::kMicrosecond);

// Bare SFML: the label rectangles of 1,000 texts, the floor of a hover test
// that looks at every label.
void BM_BareTextBounds1000(benchmark::State& state)
{
    std::vector<sf::Text> texts(kCount);
    for (int i = 0; i < kCount; ++i) {
        texts[i].setFont(*GetLabelFont());
        texts[i].setCharacterSize(14);
        texts[i].setString("R: 123.45 px");
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

// Bare SFML: moving the very same vertices with sf::Transform and setting
// 1,000 label strings, what any refit has to do at the least.
void BM_BareTransformAndRelabel1000AllKinds(benchmark::State& state)
{
    SFPrimitiveContainer container;
    if (!Fill(container)) {
        state.SkipWithError("grid not built as planned");
        return;
    }
    std::vector<sf::VertexArray> arrays;
    std::vector<sf::Text> texts(kCount);
    for (int i = 0; i < kCount; ++i) {
        arrays.push_back(container.GetPrimitive(i)->GetShape());
        arrays.push_back(container.GetPrimitive(i)->GetAuxiliary());
        texts[static_cast<std::size_t>(i)].setFont(*GetLabelFont());
    }
    bool zoomed = false;
    for (auto _ : state) {
        zoomed = !zoomed;
        sf::Transform t;
        t.scale(zoomed ? 1.25f : 0.8f, zoomed ? 1.25f : 0.8f);
        for (sf::VertexArray& a : arrays) {
            for (std::size_t v = 0; v < a.getVertexCount(); ++v)
                a[v].position = t.transformPoint(a[v].position);
        }
        for (sf::Text& text : texts)
            text.setString(zoomed ? "R: 125.00 px" : "R: 100.00 px");
        benchmark::DoNotOptimize(arrays.data());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_BareTransformAndRelabel1000AllKinds)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
