// Speed of the whole-log computations on a log of 1,000,000 records with all 18 slots in
// use, each against the same baseline measured in the same run: a plain read of the log
// file from start to end in 1 MiB blocks (from the page cache). Times are the best of
// the iterations in CPU time of the thread (system time of the reads included), which
// on an idle machine equals the wall-clock time of this work and, unlike it, does not
// grow when other programs share the processor. The summary, the statistics and the map
// of a long log run in two threads at once and are timed in wall-clock time, against the
// plain read's wall-clock time (run them on an idle machine); so do the slots' extents.
// "cpu ms" is their CPU time in all threads. "x read" is the computation's best
// time over the baseline's; targets: the overview summary at most 5x and under 0.3 s, statistics at
// most 5x, a map at most 5x, the slots' extents at most 5x, the pauses (one thread) at
// most 3x. "wall ms" is the best wall-clock time. The statistics with a computed item
// and a filter are also timed against the plain statistics in the same run ("x plain",
// target at most 3x). The difference map of two such logs (the second of another drive,
// its items in another slot order) is timed against the two maps made alone in the same
// run ("x two maps", target at most 2x). The chart's summary of a computed item and a
// filter is timed against the min/max summary of the same log in the same run ("x
// min/max").
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "DemoDrive.h"
#include "TempDir.h"
#include "analysis/ComputedSummary.h"
#include "analysis/FormulaSet.h"
#include "analysis/LogMap.h"
#include "analysis/LogPauses.h"
#include "analysis/LogStatistics.h"
#include "analysis/MapComparison.h"
#include "analysis/OverviewSummary.h"
#include "log/LogFile.h"

namespace {

constexpr int kRecords = 1'000'000;
using Clock = std::chrono::steady_clock;

// CPU time of the calling thread, in seconds.
double ThreadSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

const std::string& LogPath() {
    static const orvane::testing::TempDir folder;
    static const std::string path = [] {
        const std::string log = (folder.Path() / "orvn1000.bin").string();
        orvane::demo::WriteDemoLog(log, kRecords, 11, orvane::DateTime::FromCivil(2026, 12, 5, 10));
        return log;
    }();
    return path;
}

// Reads the whole file in 1 MiB blocks; returns a byte sum so nothing is optimised away.
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

// CPU time of the whole process (all its threads), in seconds.
double ProcessSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Best time of the plain read, measured once (after the log is in the page cache): in
// CPU time of the thread, and in wall-clock time.
struct Baseline {
    double thread = 1e9;
    double wall = 1e9;
};
const Baseline& BaselineSeconds() {
    static const Baseline best = [] {
        PlainRead();
        Baseline fastest;
        for (int i = 0; i < 20; ++i) {
            const auto wall = Clock::now();
            const double start = ThreadSeconds();
            benchmark::DoNotOptimize(PlainRead());
            fastest.thread = std::min(fastest.thread, ThreadSeconds() - start);
            fastest.wall = std::min(fastest.wall, Seconds(Clock::now() - wall));
        }
        return fastest;
    }();
    return best;
}

// Runs `work` once per iteration and reports its best time against the baseline. Work
// done by one thread is timed in CPU time of the thread, as the baseline; work spread
// over threads (`parallel`) in wall-clock time, against the baseline's, and "cpu ms"
// then shows the CPU time of all its threads.
template <class Work>
void Measure(benchmark::State& state, Work work, bool parallel = false) {
    const Baseline& baseline = BaselineSeconds();
    double fastest = 1e9;
    double fastestWall = 1e9;
    double fastestCpu = 1e9;
    for (auto _ : state) {
        const auto wall = Clock::now();
        const double start = ThreadSeconds();
        const double process = ProcessSeconds();
        if (!work()) state.SkipWithError("the computation failed");
        fastest = std::min(fastest, ThreadSeconds() - start);
        fastestCpu = std::min(fastestCpu, ProcessSeconds() - process);
        fastestWall = std::min(fastestWall, Seconds(Clock::now() - wall));
    }
    state.counters["best ms"] = (parallel ? fastestWall : fastest) * 1e3;
    state.counters["wall ms"] = fastestWall * 1e3;
    state.counters["cpu ms"] = fastestCpu * 1e3;
    state.counters["read ms"] = (parallel ? baseline.wall : baseline.thread) * 1e3;
    state.counters["x read"] = parallel ? fastestWall / baseline.wall : fastest / baseline.thread;
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(kRecords),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

orvane::LogFile& Log() {
    static orvane::LogFile log;
    if (!log.IsOpen()) log.Open(LogPath());
    return log;
}

// A second log of as many records, to compare with the first: another drive, its items in
// another slot order.
orvane::LogFile& ReferenceLog() {
    static const orvane::testing::TempDir folder;
    static orvane::LogFile log;
    if (!log.IsOpen()) {
        const std::string path = (folder.Path() / "orvn1001.bin").string();
        auto slots = orvane::demo::DefaultDemoSlots();
        std::reverse(slots.begin(), slots.end());
        orvane::demo::WriteDemoLog(path, kRecords, 12, orvane::DateTime::FromCivil(2026, 12, 6, 9),
                                   nullptr, 100, slots);
        log.Open(path);
    }
    return log;
}

void BM_PlainRead(benchmark::State& state) {
    Measure(state, [] { return PlainRead() != 1; });
}

// Engine speed and throttle traced; alarms on coolant, knock, engine speed and battery.
void BM_OverviewSummary(benchmark::State& state) {
    orvane::OverviewRequest request;
    request.TracedSlots = {1, 3};
    request.Boxes = {{2, 7, 95, 105}, {14, 38, 3, 6}, {1, 33, 6500, 7000}, {6, 20, 14.5, 15}};
    std::size_t memory = 0;
    Measure(
        state,
        [&] {
            std::string error;
            const auto summary = orvane::OverviewSummary::Build(Log(), request, {}, error);
            if (summary) memory = summary->MemoryBytes();
            return summary.has_value();
        },
        /*parallel=*/true);
    state.counters["summary KB"] = static_cast<double>(memory) / 1024;
}

void BM_Statistics(benchmark::State& state) {
    std::array<orvane::SlotThresholds, orvane::SlotCount> thresholds{};
    thresholds[1] = {95, 105};
    thresholds[13] = {3, 6};
    thresholds[0] = {6500, 7000};
    Measure(
        state,
        [&] {
            std::string error;
            return orvane::LogStatistics::Compute(Log(), {1, kRecords}, thresholds, {}, error)
                .has_value();
        },
        /*parallel=*/true);
}

// Injector duty as a computed item, and only the samples at high throttle and speed;
// each iteration times the plain statistics too, so the ratio comes from one run.
void BM_StatisticsComputedAndFiltered(benchmark::State& state) {
    const std::array<orvane::SlotThresholds, orvane::SlotCount> thresholds{};
    const std::vector<orvane::ComputedItemDefinition> items{
        {"Inj duty", "%", "ipw * rpm / 1200", 0.0, 100.0}};
    double plainBest = 1e9;
    double formulasBest = 1e9;
    std::int64_t passed = 0;
    for (auto _ : state) {
        std::string error;
        auto wall = Clock::now();
        if (!orvane::LogStatistics::Compute(Log(), {1, kRecords}, thresholds, {}, error)) {
            state.SkipWithError("the plain statistics failed");
        }
        plainBest = std::min(plainBest, Seconds(Clock::now() - wall));
        wall = Clock::now();
        const auto outline = orvane::LogOutline::Of(Log(), error);
        const auto formulas =
            orvane::FormulaSet::Prepare(*outline, items, "tps > 90 && rpm > 3000", error);
        const auto statistics = formulas
                                    ? orvane::LogStatistics::Compute(
                                          Log(), {1, kRecords}, thresholds, *formulas, {}, error)
                                    : std::nullopt;
        formulasBest = std::min(formulasBest, Seconds(Clock::now() - wall));
        if (!statistics) {
            state.SkipWithError("the statistics with formulas failed");
        } else {
            passed = statistics->Passed();
        }
    }
    state.counters["best ms"] = formulasBest * 1e3;
    state.counters["plain ms"] = plainBest * 1e3;
    state.counters["x plain"] = formulasBest / plainBest;
    state.counters["passed"] = static_cast<double>(passed);
}

// The chart's summary of the computed items and the filter (injector duty, high throttle
// and speed) over the blocks of the min/max summary, against building that min/max
// summary itself; both timed in each iteration (wall-clock, two threads each), so the
// ratio comes from one run.
void BM_ChartComputedSummary(benchmark::State& state) {
    const std::vector<orvane::ComputedItemDefinition> items{
        {"Inj duty", "%", "ipw * rpm / 1200", 0.0, 100.0}};
    double plainBest = 1e9;
    double computedBest = 1e9;
    std::int64_t passed = 0;
    for (auto _ : state) {
        std::string error;
        auto wall = Clock::now();
        const auto blocks = orvane::MinMaxSummary::Build(Log(), {}, {}, error);
        plainBest = std::min(plainBest, Seconds(Clock::now() - wall));
        if (!blocks) {
            state.SkipWithError("the min/max summary failed");
            break;
        }
        wall = Clock::now();
        auto formulas =
            orvane::FormulaSet::Prepare(blocks->Outline(), items, "tps > 90 && rpm > 3000", error);
        const auto computed = formulas ? orvane::ComputedSummary::Build(
                                             Log(), *blocks, std::move(*formulas), {}, error)
                                       : std::nullopt;
        computedBest = std::min(computedBest, Seconds(Clock::now() - wall));
        if (!computed) {
            state.SkipWithError("the computed summary failed");
        } else {
            passed = computed->Passed();
        }
    }
    state.counters["best ms"] = computedBest * 1e3;
    state.counters["min/max ms"] = plainBest * 1e3;
    state.counters["x min/max"] = computedBest / plainBest;
    state.counters["passed"] = static_cast<double>(passed);
}

void BM_Map(benchmark::State& state) {
    Measure(
        state,
        [] {
            std::string error;
            const auto outline = orvane::LogOutline::Of(Log(), error);
            return outline &&
                   orvane::LogMap::Compute(Log(), orvane::DefaultMapRequest(*outline), {}, error)
                       .has_value();
        },
        /*parallel=*/true);
}

// The difference map of two logs against their two maps made one after the other, both
// timed in each iteration (wall-clock time, the maps reading in two threads).
void BM_DifferenceMap(benchmark::State& state) {
    std::string error;
    const auto outline = orvane::LogOutline::Of(Log(), error);
    const auto referenceOutline = orvane::LogOutline::Of(ReferenceLog(), error);
    const orvane::MapRequest request = orvane::DefaultMapRequest(*outline);
    const orvane::SampleRange referenceRange{1, kRecords};
    const auto referenceRequest = orvane::MapComparison::ReferenceRequest(
        request, *outline, *referenceOutline, referenceRange, error);
    double mapsBest = 1e9;
    double comparisonBest = 1e9;
    for (auto _ : state) {
        auto wall = Clock::now();
        const bool maps =
            orvane::LogMap::Compute(Log(), request, {}, error).has_value() &&
            orvane::LogMap::Compute(ReferenceLog(), *referenceRequest, {}, error).has_value();
        mapsBest = std::min(mapsBest, Seconds(Clock::now() - wall));
        wall = Clock::now();
        const auto comparison = orvane::MapComparison::Compute(Log(), ReferenceLog(), request,
                                                               referenceRange, {}, error);
        const double differences =
            comparison ? comparison->LargestDifference(orvane::MapStatistic::Max, 3) : 0;
        benchmark::DoNotOptimize(differences);
        benchmark::DoNotOptimize(
            comparison ? comparison->DifferenceText(orvane::MapStatistic::Max, 3) : std::string());
        comparisonBest = std::min(comparisonBest, Seconds(Clock::now() - wall));
        if (!maps || !comparison) state.SkipWithError("a map failed");
    }
    state.counters["best ms"] = comparisonBest * 1e3;
    state.counters["two maps ms"] = mapsBest * 1e3;
    state.counters["x two maps"] = comparisonBest / mapsBest;
}

// The pauses of the whole log, which the overview strip marks: one pass, one thread.
void BM_Pauses(benchmark::State& state) {
    Measure(state, [] {
        std::string error;
        return orvane::FindPauses(Log(), {1, kRecords}, {}, error).has_value();
    });
}

// The value extents of all slots, which a map's default axes fit.
void BM_SlotExtents(benchmark::State& state) {
    Measure(
        state,
        [] {
            std::string error;
            return orvane::ScanSlotExtents(Log(), {1, kRecords}, {}, error).has_value();
        },
        /*parallel=*/true);
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_OverviewSummary)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_StatisticsComputedAndFiltered)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseRealTime();
BENCHMARK(BM_ChartComputedSummary)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_Map)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_DifferenceMap)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_Pauses)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_SlotExtents)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
