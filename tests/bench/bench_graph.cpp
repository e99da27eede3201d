// Cost of one point on a strip chart of the player's usual size (649 x 200): the
// drawing alone, with wider pens, with a picture resized away from its surface, one
// step back, and the drawing plus the repaint of a shown graph. Each benchmark also
// reports how many heap allocations one point costs.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

#include "graph/usrGraph.h"

// Every heap allocation of the process goes through malloc, calloc or realloc (operator
// new included); counting them here shows whether a point allocates.
namespace {
std::atomic<std::size_t> allocations{0};
}

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);

void* malloc(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(pointer, size);
}
}

namespace {

constexpr int kWidth = 649;
constexpr int kHeight = 200;

const std::vector<double>& Signal() {
    static const std::vector<double> values = [] {
        std::vector<double> v(4096);
        for (std::size_t i = 0; i < v.size(); ++i) {
            v[i] = 500.0 + 400.0 * std::sin(i / 40.0) + 80.0 * std::sin(i / 3.0);
        }
        return v;
    }();
    return values;
}

void Configure(orvane::usrGraph& graph, int lineWidth, int thresholdLineWidth) {
    graph.resize(kWidth, kHeight);
    graph.SetBackColor(meter::Colour::Rgb(0, 0, 0));
    graph.SetForeColor(meter::Colour::Rgb(0, 255, 0));
    graph.SetMinValue(0);
    graph.SetMaxValue(1000);
    graph.SetLineWidth(lineWidth);
    graph.Threshold1 = 700;
    graph.Threshold2 = 900;
    graph.SetThresholdLineWidth(thresholdLineWidth);
}

std::unique_ptr<orvane::usrGraph> MakeGraph(int lineWidth, int thresholdLineWidth) {
    auto graph = std::make_unique<orvane::usrGraph>();
    Configure(*graph, lineWidth, thresholdLineWidth);
    return graph;
}

template <class Step>
void Measure(benchmark::State& state, Step&& step) {
    const std::vector<double>& values = Signal();
    std::size_t i = 0;
    for (int warm = 0; warm < 1000; ++warm) step(values[i++ % values.size()]);
    const std::size_t before = allocations.load();
    for (auto _ : state) step(values[i++ % values.size()]);
    const auto count = static_cast<double>(allocations.load() - before);
    state.counters["allocs/point"] =
        benchmark::Counter(count / static_cast<double>(state.iterations()));
    state.SetItemsProcessed(state.iterations());
}

void BM_AddPoint(benchmark::State& state) {
    auto graph = MakeGraph(0, 0);
    Measure(state, [&](double v) { graph->AddPoint(v); });
}
BENCHMARK(BM_AddPoint);

void BM_AddPoint_WidePens(benchmark::State& state) {
    auto graph = MakeGraph(3, 2);
    Measure(state, [&](double v) { graph->AddPoint(v); });
}
BENCHMARK(BM_AddPoint_WidePens);

// After a resize without a rebuild the scroll moves pixels instead of turning the ring.
void BM_AddPoint_ResizedPicture(benchmark::State& state) {
    auto graph = MakeGraph(0, 0);
    graph->resize(kWidth - 49, kHeight);
    Measure(state, [&](double v) { graph->AddPoint(v); });
}
BENCHMARK(BM_AddPoint_ResizedPicture);

void BM_AddPointThenBackMove(benchmark::State& state) {
    auto graph = MakeGraph(0, 0);
    Measure(state, [&](double v) {
        graph->AddPoint(v);
        graph->BackMove();
    });
}
BENCHMARK(BM_AddPointThenBackMove);

// A shown graph: the point alone, as at "Max" where the window repaints once a frame.
void BM_AddPoint_Shown(benchmark::State& state) {
    auto graph = MakeGraph(0, 0);
    graph->show();
    QApplication::processEvents();
    Measure(state, [&](double v) { graph->AddPoint(v); });
}
BENCHMARK(BM_AddPoint_Shown);

// A shown graph: the point, then the event loop runs the repaint it requested.
void BM_AddPoint_ShownAndRepainted(benchmark::State& state) {
    auto graph = MakeGraph(0, 0);
    graph->show();
    QApplication::processEvents();
    Measure(state, [&](double v) {
        graph->AddPoint(v);
        QApplication::processEvents();
    });
}
BENCHMARK(BM_AddPoint_ShownAndRepainted);

// What the player does per sample when all 15 graphs are shown: one point each, then
// one pass of the event loop (the window's repaint).
void BM_FifteenGraphsPerSample_Shown(benchmark::State& state) {
    QWidget window;
    window.resize(2 * kWidth + 30, 8 * (kHeight + 10));
    std::array<orvane::usrGraph*, 15> graphs{};
    for (std::size_t n = 0; n < graphs.size(); ++n) {
        graphs[n] = new orvane::usrGraph(&window);
        Configure(*graphs[n], 0, 0);
        graphs[n]->move(static_cast<int>(n % 2) * (kWidth + 10),
                        static_cast<int>(n / 2) * (kHeight + 10));
    }
    window.show();
    QApplication::processEvents();
    Measure(state, [&](double v) {
        for (orvane::usrGraph* graph : graphs) graph->AddPoint(v);
        QApplication::processEvents();
    });
}
BENCHMARK(BM_FifteenGraphsPerSample_Shown);

}  // namespace
