// Speed of playback in the real window. The platform is the one the environment names
// (scripts/run-benchmarks.sh runs this offscreen and again in a virtual X server).
//  - Max: logs of 10,000 and 100,000 samples played as fast as the window can show them
//    (samples/s), on the demo layout (15 value boxes, 3 gauges, 4 graphs, lamps) and on
//    a layout with everything shown (15 boxes, 15 gauges of 200 x 100, 15 graphs);
//    once with the window repainted at most once a frame, as the player does, and once
//    with every sample painted. The demo drive samples about every 100 ms, so each
//    sample waits two (sleepless) slices; a log sampled every 10 ms has samples played
//    without any wait, after each of which the events run once.
//  - Max over a log with 10,000 markers against the same log without any (1,000,000
//    samples): nothing per sample may cost more with many markers.
//  - Max with the map window open beside the player, following every sample (its live
//    cell moves at most once a frame), against the same log played without it.
//  - Max with the chart window open beside the player and following the sample on
//    display, zoomed to a tenth of a second per pixel so that it scrolls on all the time,
//    against the same log played without it (target: at least 80 % of its samples/s).
//  - x1: 30 seconds of log played at the recorded pace; the CPU time used meanwhile
//    (most of it should be sleeping).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <filesystem>
#include <fstream>

#include "DemoDrive.h"
#include "TempDir.h"
#include "analysis/MarksFile.h"
#include "settings/modCommon.h"
#include "views/ViewWindows.h"
#include "views/chart/ChartWindow.h"
#include "views/map/MapWindow.h"
#include "window/QtPlayerHost.h"
#include "window/TextBox.h"
#include "window/frmPlayer.h"

namespace {

enum Layout { DemoLayout, FullLayout };

// The folder of the layouts and logs, removed when the program ends.
const std::filesystem::path& Folder() {
    static const orvane::testing::TempDir temp;
    static const std::filesystem::path folder = [] {
        const std::filesystem::path& dir = temp.Path();
        // Every slot shown: boxes in two columns, gauges and graphs in a grid.
        std::ofstream ini(dir / "Full.ini");
        ini << "[Main Form]\nWidth=1900\nHeight=1000\n[Main]\n";
        const auto codes = orvane::demo::DefaultDemoSlots();
        for (int i = 0; i < orvane::SlotCount; ++i) {
            ini << "Sensor" << i + 1 << "=" << codes[i] << "\n";
        }
        for (int n = 1; n <= 15; ++n) {
            const int column = (n - 1) % 5, row = (n - 1) / 5;
            ini << "[Sensor Name" << n << "]\nVisible=True\n[Sensor Data" << n
                << "]\nVisible=True\n"
                << "Threshold1=50\nThreshold2=100\nAlarmColor1=65535\nAlarmColor2=255\n"
                << "[Sensor Meter" << n << "]\nVisible=True\nLeft=" << 460 + column * 210
                << "\nTop=" << 50 + row * 110 << "\nWidth=200\nHeight=100\nMin=-2600\nMax=8000\n"
                << "Threshold1=3000\nThreshold2=6000\nCaption=slot " << n << "\n"
                << "[Sensor Graph" << n << "]\nVisible=True\nLeft=" << 460 + column * 210
                << "\nTop=" << 400 + row * 110 << "\nWidth=200\nHeight=100\nMin=-2600\nMax=8000\n"
                << "Threshold1=3000\nThreshold2=6000\nTextVisible=True\n";
        }
        std::filesystem::copy_file(ORVANE_DEMO_INI, dir / "Demo.ini",
                                   std::filesystem::copy_options::overwrite_existing);
        return dir;
    }();
    return folder;
}

// A log of exactly `samples` records about `intervalMs` apart: playback ends with its
// last one.
std::string Log(int samples, int intervalMs = 100) {
    const std::string log =
        (Folder() / ("orvn" + std::to_string(samples) + "-" + std::to_string(intervalMs) + ".bin"))
            .string();
    if (!std::filesystem::exists(log)) {
        orvane::demo::WriteDemoLog(log, samples, 5, orvane::DateTime::FromCivil(2026, 12, 5, 10),
                                   nullptr, intervalMs);
    }
    return log;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Writes a marks file beside `log` with `markers` markers spread over its samples (none:
// no file).
void WriteMarkers(const std::string& log, int samples, int markers) {
    const std::string path = orvane::MarksFile::PathFor(log);
    std::filesystem::remove(path);
    if (markers == 0) return;
    std::ofstream out(path);
    out << "[Marks]\nRecords=" << samples << "\nMarkers=";
    for (int i = 0; i < markers; ++i) {
        out << (i ? "," : "") << 1 + static_cast<std::int64_t>(i) * samples / markers;
    }
    out << "\n";
}

void Play(benchmark::State& state, const char* speed, int samples, Layout layout,
          bool everySamplePainted, int intervalMs = 100, bool mapOpen = false, int markers = 0,
          bool chartOpen = false) {
    orvane::SetSettingsFilePath(
        (Folder() / (layout == DemoLayout ? "Demo.ini" : "Full.ini")).string());
    orvane::ForgetCachedSettings();
    orvane::QtPlayerHost host;
    orvane::frmPlayer window(host);
    window.Form_Load();
    window.SetRepaintThrottle(!everySamplePainted);
    window.show();
    QApplication::processEvents();
    const std::string log = Log(samples, intervalMs);
    WriteMarkers(log, samples, markers);
    double cpu = 0;
    for (auto _ : state) {
        window.CloseLog();
        window.State().LogFileName = log;
        window.OpenLog(log);
        if (window.Session().Markers().size() != static_cast<std::size_t>(markers)) {
            state.SkipWithError("the markers were not read");
        }
        // The overview strip draws the markers once its summary is there.
        while (window.Session().Jobs().Busy()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        if (mapOpen) {
            // The map of the log is ready before playback starts.
            window.Views().ShowMap();
            while (window.Views().Map()->Computing() || !window.Views().Map()->Map()) {
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            }
        }
        if (chartOpen) {
            // The chart of the log is ready before playback starts, and follows it closely.
            window.Views().ShowChart();
            orvane::ChartWindow* chart = window.Views().Chart();
            while (!chart->Ready() || chart->Computing()) {
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            }
            orvane::ChartView view = chart->Canvas()->View();
            view.MillisPerPixel = 100;
            chart->Canvas()->SetView(view);
        }
        window.cboSpeed->setCurrentIndex(window.cboSpeed->findText(QString::fromLatin1(speed)));
        window.cboSpeed_Click();
        window.cmdPlay_Click();
        const double cpuBefore = CpuSeconds();
        window.Timer1_Timer();
        cpu += CpuSeconds() - cpuBefore;
        if (window.txtSeq->text().toInt() != samples) state.SkipWithError("playback stopped early");
    }
    state.counters["samples/s"] =
        benchmark::Counter(samples, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
}

// Arguments: layout, samples, every sample painted (1) or at most one repaint a frame (0),
// milliseconds between samples.
void BM_PlayAtMax(benchmark::State& state) {
    Play(state, "Max", static_cast<int>(state.range(1)), static_cast<Layout>(state.range(0)),
         state.range(2) != 0, static_cast<int>(state.range(3)));
}
// Arguments: map window open (1) or not (0), milliseconds between samples.
void BM_PlayAtMaxBesideMap(benchmark::State& state) {
    Play(state, "Max", 100000, DemoLayout, false, static_cast<int>(state.range(1)),
         state.range(0) != 0);
}
// Argument: chart window open (1) or not (0).
void BM_PlayAtMaxBesideChart(benchmark::State& state) {
    Play(state, "Max", 100000, DemoLayout, false, 100, false, 0, state.range(0) != 0);
}
// Argument: markers on the log. Nothing per sample may cost more with many markers.
void BM_PlayAtMaxWithMarkers(benchmark::State& state) {
    Play(state, "Max", 1000000, DemoLayout, false, 10, false, static_cast<int>(state.range(0)));
}
// About 30 seconds of log: the demo drive samples every 100 ms or so.
void BM_PlayAtX1(benchmark::State& state) {
    Play(state, "x1", 295, DemoLayout, false);
}

BENCHMARK(BM_PlayAtMax)
    ->ArgNames({"full", "samples", "every", "ms"})
    ->Args({DemoLayout, 10000, 0, 100})
    ->Args({DemoLayout, 100000, 0, 100})
    ->Args({DemoLayout, 100000, 0, 10})
    ->Args({DemoLayout, 10000, 1, 100})
    ->Args({FullLayout, 10000, 0, 100})
    ->Args({FullLayout, 10000, 1, 100})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_PlayAtMaxBesideMap)
    ->ArgNames({"map", "ms"})
    ->Args({0, 100})
    ->Args({1, 100})
    ->Args({0, 10})
    ->Args({1, 10})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_PlayAtMaxBesideChart)
    ->ArgName("chart")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_PlayAtMaxWithMarkers)
    ->ArgNames({"markers"})
    ->Args({0})
    ->Args({10000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_PlayAtX1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
