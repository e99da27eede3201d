// The chart over a log of 10,000,000 records with all 18 slots in use (220 MB), each
// figure against a baseline of the same run:
//  - the min/max summary the chart and the overview strip share, built in two threads,
//    against a plain read of the file in 1 MiB blocks from the page cache (wall-clock
//    time of both; target at most 3x); "summary MB" its memory;
//  - one repaint of a 1600 x 900 chart with 4 panes of 2 items, offscreen, at the whole
//    log's zoom, at a tenth of a second per pixel and at 20 samples across (best of the
//    iterations; target under 10 ms each), the frame worked out anew each time;
//  - the same repaints with a reference log laid over the chart (the same log, 1.5 s
//    later: every item drawn twice), against the repaint without it in the same loop
//    ("x alone");
//  - the chart's memory beside the log (the summary, the timeline, the frame and its
//    buffers) against the file's size (target at most a fifth: "x file" at most 0.2).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <chrono>
#include <filesystem>

#include "DemoDrive.h"
#include "TempDir.h"
#include "analysis/ChartTimeline.h"
#include "analysis/LogTimeline.h"
#include "analysis/SlotPairing.h"
#include "log/LogLoader.h"
#include "session/LogSession.h"
#include "settings/modCommon.h"
#include "views/chart/ChartCanvas.h"

namespace {

constexpr int kRecords = 10'000'000;
using Clock = std::chrono::steady_clock;

const std::string& LogPath() {
    static const orvane::testing::TempDir folder;
    static const std::string path = [] {
        const std::string log = (folder.Path() / "orvn10m.bin").string();
        // A drive with a pause of 11 minutes and one of 5 minutes.
        orvane::demo::WriteDemoLog(log, kRecords, 11, orvane::DateTime::FromCivil(2026, 12, 5, 10),
                                   nullptr, 100, orvane::demo::DefaultDemoSlots(),
                                   {{3'000'000, 653}, {7'000'000, 300}});
        return log;
    }();
    return path;
}

std::uint64_t PlainRead() {
    const int fd = ::open(LogPath().c_str(), O_RDONLY | O_CLOEXEC);
    std::vector<unsigned char> buffer(1 << 20);
    std::uint64_t sum = 0;
    for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;) {
        sum += buffer[static_cast<std::size_t>(n) - 1];
    }
    ::close(fd);
    return sum;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double PlainReadSeconds() {
    static const double best = [] {
        PlainRead();
        double fastest = 1e9;
        for (int i = 0; i < 5; ++i) {
            const auto start = Clock::now();
            benchmark::DoNotOptimize(PlainRead());
            fastest = std::min(fastest, Seconds(Clock::now() - start));
        }
        return fastest;
    }();
    return best;
}

orvane::LogFile& Log() {
    static orvane::LogFile log;
    if (!log.IsOpen()) log.Open(LogPath());
    return log;
}

void BM_ChartSummary(benchmark::State& state) {
    const double baseline = PlainReadSeconds();
    double fastest = 1e9;
    std::size_t memory = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        std::string error;
        const auto summary = orvane::MinMaxSummary::Build(Log(), {{1, 33, 6500, 7000}}, {}, error);
        fastest = std::min(fastest, Seconds(Clock::now() - start));
        if (!summary) state.SkipWithError(error.c_str());
        if (summary) memory = summary->MemoryBytes();
    }
    state.counters["best ms"] = fastest * 1e3;
    state.counters["read ms"] = baseline * 1e3;
    state.counters["x read"] = fastest / baseline;
    state.counters["summary MB"] = static_cast<double>(memory) / (1 << 20);
}

// A session over the log as the player has it, and a chart of 4 panes of 2 items on it.
struct Chart {
    orvane::LogFile playback;
    orvane::LogSession session;
    std::unique_ptr<orvane::ChartCanvas> canvas;

    Chart() {
        orvane::SetSettingsFilePath("");
        const orvane::LogLoadResult loaded = orvane::LoadLogFile(LogPath(), playback);
        orvane::LogOutline outline;
        outline.Codes = loaded.Header.SlotItemCodes;
        outline.Start = loaded.Start;
        outline.Records = loaded.RecordCount;
        session.Open(LogPath(), playback, outline, loaded.Length);
        while (session.Jobs().Busy())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        std::string error;
        auto timeline = orvane::ChartTimeline::Build(*session.Reader(), session.MinMax(),
                                                     *session.Pauses(), {}, error);
        canvas = std::make_unique<orvane::ChartCanvas>(session);
        canvas->resize(1600, 900);
        canvas->SetTimeline(std::make_shared<const orvane::ChartTimeline>(std::move(*timeline)));
        std::vector<orvane::ChartCanvas::Pane> panes;
        for (const auto& pair : {std::pair{"33", "23"}, {"38", "6"}, {"41", "19"}, {"7", "58"}}) {
            orvane::ChartCanvas::Pane pane;
            for (const char* key : {pair.first, pair.second}) {
                pane.Series.push_back(*orvane::SeriesByKey(outline, key));
            }
            panes.push_back(std::move(pane));
        }
        canvas->SetPanes(std::move(panes));
        canvas->SetPlayhead(4'321'000);
    }
};

Chart& TheChart() {
    static Chart chart;
    return chart;
}

// Argument: 0 the whole log, 1 a tenth of a second per pixel, 2 twenty samples across.
void BM_ChartRepaint(benchmark::State& state) {
    Chart& chart = TheChart();
    orvane::ChartCanvas& canvas = *chart.canvas;
    canvas.ShowWholeLog();
    orvane::ChartView view = canvas.View();
    const double middle = static_cast<double>(chart.canvas->Timeline()->Summary().LastAxis()) / 2;
    if (state.range(0) == 1) {
        view.MillisPerPixel = 100;
        view.StartAxis = middle;
    } else if (state.range(0) == 2) {
        view.MillisPerPixel = canvas.Timeline()->FinestMillisPerPixel(view.Width);
        view.StartAxis = middle;
    }
    double fastest = 1e9;
    std::int64_t shown = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        canvas.SetView(view);  // the frame is worked out again
        benchmark::DoNotOptimize(canvas.Picture());
        fastest = std::min(fastest, Seconds(Clock::now() - start));
        shown = canvas.Frame() ? canvas.Frame()->InView().Count() : 0;
    }
    state.counters["best ms"] = fastest * 1e3;
    state.counters["samples in view"] = static_cast<double>(shown);
}

// Argument: the zoom, as for BM_ChartRepaint.
void BM_ChartRepaintCompared(benchmark::State& state) {
    Chart& chart = TheChart();
    orvane::ChartCanvas& canvas = *chart.canvas;
    static const auto samples = [&] {
        std::string error;
        auto read = orvane::LogTimeline::Read(*chart.session.Reader(), {}, error);
        return std::make_shared<const orvane::LogTimeline>(std::move(*read));
    }();
    const orvane::ChartCanvas::Reference reference{
        chart.session.Reader(), chart.session.MinMax(), samples,
        orvane::SlotPairing(chart.session.Outline(), chart.session.Outline()), 1500};
    canvas.SetReference(std::nullopt);
    canvas.ShowWholeLog();
    orvane::ChartView view = canvas.View();
    const double middle = static_cast<double>(canvas.Timeline()->Summary().LastAxis()) / 2;
    if (state.range(0) == 1) {
        view.MillisPerPixel = 100;
        view.StartAxis = middle;
    } else if (state.range(0) == 2) {
        view.MillisPerPixel = canvas.Timeline()->FinestMillisPerPixel(view.Width);
        view.StartAxis = middle;
    }
    double alone = 1e9, compared = 1e9;
    for (auto _ : state) {
        canvas.SetReference(std::nullopt);
        auto start = Clock::now();
        canvas.SetView(view);
        benchmark::DoNotOptimize(canvas.Picture());
        alone = std::min(alone, Seconds(Clock::now() - start));
        canvas.SetReference(reference);
        start = Clock::now();
        canvas.SetView(view);
        benchmark::DoNotOptimize(canvas.Picture());
        compared = std::min(compared, Seconds(Clock::now() - start));
    }
    canvas.SetReference(std::nullopt);
    state.counters["best ms"] = compared * 1e3;
    state.counters["alone ms"] = alone * 1e3;
    state.counters["x alone"] = compared / alone;
}

void BM_ChartMemory(benchmark::State& state) {
    Chart& chart = TheChart();
    // The memory after the closest zoom (whose read buffer is the largest) and the whole
    // log's.
    for (const double factor : {1e9, 1.0}) {
        chart.canvas->ShowWholeLog();
        chart.canvas->ZoomAt(800, factor);
        benchmark::DoNotOptimize(chart.canvas->Picture());
    }
    for (auto _ : state) benchmark::DoNotOptimize(chart.canvas->Frame());
    const double file = static_cast<double>(std::filesystem::file_size(LogPath()));
    const double memory = static_cast<double>(chart.canvas->MemoryBytes());
    state.counters["chart MB"] = memory / (1 << 20);
    state.counters["file MB"] = file / (1 << 20);
    state.counters["x file"] = memory / file;
}

BENCHMARK(BM_ChartSummary)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ChartRepaint)
    ->ArgName("zoom")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->UseRealTime();
BENCHMARK(BM_ChartRepaintCompared)
    ->ArgName("zoom")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->UseRealTime();
BENCHMARK(BM_ChartMemory)->Iterations(1);

}  // namespace
