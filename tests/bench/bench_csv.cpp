// Speed of the CSV export: a log of 1,000,000 records with all 18 slots in use,
// exported to a file (as the Output button and orvane-csv do, flushed to disk), to
// /dev/null (conversion cost alone), and, as the baseline, `cp` of the same output bytes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "DemoDrive.h"
#include "TempDir.h"
#include "log/CsvExport.h"
#include "log/LogLoader.h"

namespace {

constexpr int kRecords = 1'000'000;

// The folder of the log and its exports, removed when the program ends.
const std::filesystem::path& Folder() {
    static const orvane::testing::TempDir folder;
    return folder.Path();
}

std::string LogPath() {
    static const std::string path = [] {
        const std::string log = (Folder() / "orvn1000.bin").string();
        orvane::demo::WriteDemoLog(log, kRecords, 11, orvane::DateTime::FromCivil(2026, 12, 5, 10));
        return log;
    }();
    return path;
}
std::string CsvPath() {
    return (Folder() / "orvn1000.csv").string();
}

void Export(benchmark::State& state, bool toDevNull) {
    std::int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(CsvPath());
        state.ResumeTiming();

        orvane::LogFile file;
        const auto log = orvane::LoadLogFile(LogPath(), file);
        const orvane::CsvExport exporter(log.Start, log.Header.SlotItemCodes);
        orvane::CsvExportResult result;
        if (toDevNull) {
            const int fd = ::open("/dev/null", O_WRONLY);
            result = exporter.WriteTo(file, fd);
            ::close(fd);
        } else {
            result = exporter.AppendTo(file, CsvPath());
        }
        if (!result.Ok || result.RecordLines != kRecords) state.SkipWithError("export failed");
    }
    if (!toDevNull) bytes = static_cast<std::int64_t>(std::filesystem::file_size(CsvPath()));
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(kRecords),
                                                     benchmark::Counter::kIsIterationInvariantRate);
    if (bytes > 0) {
        state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                    benchmark::Counter::kIsIterationInvariantRate);
    }
}

void BM_ExportToFile(benchmark::State& state) {
    Export(state, false);
}
void BM_ExportToDevNull(benchmark::State& state) {
    Export(state, true);
}

// The baseline: copying the bytes of the same CSV file with cp (and flushing them, as
// the export does).
void BM_CopyOutputWithCp(benchmark::State& state) {
    if (!std::filesystem::exists(CsvPath())) {
        orvane::LogFile file;
        const auto log = orvane::LoadLogFile(LogPath(), file);
        orvane::CsvExport(log.Start, log.Header.SlotItemCodes).AppendTo(file, CsvPath());
    }
    const std::string copy = (Folder() / "copy.csv").string();
    const std::string command = "cp '" + CsvPath() + "' '" + copy + "' && sync '" + copy + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
    }
    const auto bytes = static_cast<double>(std::filesystem::file_size(CsvPath()));
    state.counters["MB/s"] =
        benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_ExportToFile)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ExportToDevNull)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CopyOutputWithCp)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
