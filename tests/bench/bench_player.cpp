// Speed of playback in the real window, offscreen, with every display slot in use: 15
// value boxes, 15 gauges of 200 x 100, 15 graphs and the lamps.
//  - Max: a log of 10,000 samples played as fast as the window can show it (samples/s).
//  - x1: 30 seconds of log played at the recorded pace; the CPU time used meanwhile
//    (most of it should be sleeping).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <filesystem>
#include <fstream>
#include "window/TextBox.h"

#include <meter/Meter.h>

#include "DemoDrive.h"
#include "TempDir.h"
#include "graph/usrGraph.h"
#include "settings/modCommon.h"
#include "window/QtPlayerHost.h"
#include "window/frmPlayer.h"

namespace {

// The folder of the settings file and the logs, removed when the program ends.
const std::filesystem::path& Folder() {
    static const orvane::testing::TempDir dir;
    static const std::filesystem::path folder = [] {
        // Every slot shown: boxes in two columns, gauges and graphs in a grid.
        std::ofstream ini(dir.Path() / "Orvane.ini");
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
        return dir.Path();
    }();
    return folder;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Play(benchmark::State& state, const char* speed, int samples) {
    orvane::SetSettingsFilePath((Folder() / "Orvane.ini").string());
    orvane::QtPlayerHost host;
    orvane::frmPlayer window(host);
    window.Form_Load();
    window.show();
    QApplication::processEvents();
    // A log of exactly `samples` records: playback ends with its last one.
    const std::string log = (Folder() / ("orvn" + std::to_string(samples) + ".bin")).string();
    if (!std::filesystem::exists(log)) {
        orvane::demo::WriteDemoLog(log, samples, 5, orvane::DateTime::FromCivil(2026, 12, 5, 10));
    }
    double cpu = 0;
    for (auto _ : state) {
        window.CloseLog();
        window.State().LogFileName = log;
        window.OpenLog(log);
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

void BM_PlayAtMax(benchmark::State& state) {
    Play(state, "Max", static_cast<int>(state.range(0)));
}
// About 30 seconds of log: the demo drive samples every 100 ms or so.
void BM_PlayAtX1(benchmark::State& state) {
    Play(state, "x1", 295);
}

BENCHMARK(BM_PlayAtMax)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_PlayAtX1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
