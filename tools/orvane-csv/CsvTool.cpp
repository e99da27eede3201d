#include "CsvTool.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <optional>
#include <tuple>

#include "CsvToolOptions.h"
#include "analysis/ComputedCsvColumns.h"
#include "analysis/FormulaStream.h"
#include "analysis/LogMap.h"
#include "analysis/LogOutline.h"
#include "analysis/LogStatistics.h"
#include "analysis/TimeLookup.h"
#include "common/DeferredSignals.h"
#include "log/CsvExport.h"
#include "log/CsvRangeExport.h"
#include "log/LogLoader.h"
#include "log/RecordScan.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

// Loads a log and reports a failure on `err`; true when it can be read.
bool Load(const std::string& path, LogFile& file, LogLoadResult& result, std::FILE* err) {
    result = LoadLogFile(path, file);
    switch (result.Status) {
        case LogLoadStatus::Ok:
            return true;
        case LogLoadStatus::CannotOpen:
            std::fprintf(err, "orvane-csv: %s: %.*s (%s)\n", path.c_str(),
                         static_cast<int>(CannotOpenLogMessage.size()), CannotOpenLogMessage.data(),
                         result.Reason.c_str());
            return false;
        case LogLoadStatus::NoHeader:
            std::fprintf(err,
                         "orvane-csv: %s: not a log file: shorter than its 44-byte header (%" PRId64
                         " bytes)\n",
                         path.c_str(), result.Length);
            return false;
        case LogLoadStatus::InvalidStartDate:
            std::fprintf(err, "orvane-csv: %s: %.*s (the start date is not a valid date)\n",
                         path.c_str(), static_cast<int>(InvalidLogMessage.size()),
                         InvalidLogMessage.data());
            return false;
    }
    return false;
}

// Stops the export when an ending signal arrives, and waits for a CSV file that another
// export holds for at most `lockWait`, saying so once.
CsvExportControl ExportControl(const DeferredSignals& signals, const std::string& csvPath,
                               std::chrono::milliseconds lockWait, std::FILE* err) {
    CsvExportControl control;
    control.Progress = [&signals](std::int64_t) { return signals.Pending() == 0; };
    control.Waiting = [&signals, csvPath, lockWait, err,
                       told = false](std::chrono::milliseconds waited) mutable {
        if (signals.Pending() != 0 || waited >= lockWait) return false;
        if (!told) {
            std::fprintf(err, "orvane-csv: %s is being written by another export; waiting\n",
                         csvPath.c_str());
            told = true;
        }
        return true;
    };
    return control;
}

void PrintTime(std::FILE* out, const char* label, const DateTime& t, int millisPart) {
    std::fprintf(out, "  %-18s %04d-%02d-%02d %02d:%02d:%02d  ms %d\n", label, t.Year(), t.Month(),
                 t.Day(), t.Hour(), t.Minute(), t.Second(), millisPart);
}

void PrintInfo(const std::string& path, LogFile& file, const LogLoadResult& log, std::FILE* out) {
    const std::int64_t complete =
        log.Length >= HeaderSize ? (log.Length - HeaderSize) / RecordSize : 0;
    std::fprintf(out, "%s\n", path.c_str());
    std::fprintf(out, "  %-18s %04d-%02d-%02d %02d:%02d:%02d\n", "start", log.Start.Year(),
                 log.Start.Month(), log.Start.Day(), log.Start.Hour(), log.Start.Minute(),
                 log.Start.Second());
    std::fprintf(out, "  %-18s %" PRId32 " (file of %" PRId64 " bytes)\n", "record count",
                 log.RecordCount, log.Length);
    std::fprintf(out, "  %-18s %" PRId64 "\n", "complete records", complete);
    if (complete > 0) {
        file.SeekRecord(1);
        if (const auto first = file.ReadRecord()) {
            PrintTime(out, "first sample", SampleTime(log.Start, first->Millis),
                      MillisPart(first->Millis));
        }
        file.SeekRecord(complete);
        if (const auto last = file.ReadRecord()) {
            PrintTime(out, "last sample", SampleTime(log.Start, last->Millis),
                      MillisPart(last->Millis));
        }
    }
    std::fprintf(out, "  slots:\n");
    for (int k = 0; k < SlotCount; ++k) {
        const std::int16_t code = log.Header.SlotItemCodes[k];
        if (code < 0) continue;
        const auto name = SensorName(code);
        const auto unit = SensorUnit(code);
        std::fprintf(out, "  %4d  code %-5d %-22.*s %.*s\n", k + 1, code,
                     static_cast<int>(name.size()), name.data(), static_cast<int>(unit.size()),
                     unit.data());
    }
}

// Prints a failure for one log: "orvane-csv: LOG: reason".
void Report(std::FILE* err, const std::string& path, const std::string& reason) {
    std::fprintf(err, "orvane-csv: %s: %s\n", path.c_str(), reason.c_str());
}

// The samples --from and --to select in a loaded log; nullopt after reporting why there
// are none (exit status 2).
std::optional<SampleRange> ResolveRange(const CsvToolOptions& options, const std::string& path,
                                        const LogFile& file, std::FILE* err) {
    const std::int64_t records = CompleteRecords(file.Length());
    SampleRange range = SampleRange::Whole(records);
    std::string error;
    const auto resolve = [&](const std::optional<RangeEnd>& end, TimeMatch match,
                             std::int64_t& sample) {
        if (!end) return true;
        if (!end->IsTime) {
            sample = end->Sample;
            return true;
        }
        const auto found = FindSampleAtTime(file, end->SecondOfDay, match, error);
        if (!found) return false;
        sample = *found;
        return true;
    };
    if (!resolve(options.From, TimeMatch::FirstAtOrAfter, range.First) ||
        !resolve(options.To, TimeMatch::LastAtOrBefore, range.Last)) {
        Report(err, path, error);
        return std::nullopt;
    }
    if (error = RangeProblem(range, records); !error.empty()) {
        Report(err, path, error);
        return std::nullopt;
    }
    return range;
}

// Writes all of `text` to standard output; false after reporting a failure.
bool Print(const std::string& text, const std::string& path, std::FILE* out, std::FILE* err) {
    if (std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0) {
        return true;
    }
    Report(err, path, std::string("cannot write to standard output: ") + std::strerror(errno));
    return false;
}

// The --computed items and the --where filter bound to a log; the items the log lacks
// what they need for are reported on `err` (they are left out, which is no error).
// nullopt after reporting a log that cannot be read.
std::optional<FormulaSet> Formulas(const CsvToolOptions& options, const std::string& path,
                                   const LogFile& file, std::FILE* err) {
    std::string error;
    const auto outline = LogOutline::Of(file, error);
    std::optional<FormulaSet> formulas;
    if (outline) formulas = FormulaSet::Prepare(*outline, options.Computed, options.Where, error);
    if (!formulas) {
        Report(err, path, error);
        return std::nullopt;
    }
    for (std::size_t i = 0; i < formulas->ItemCount(); ++i) {
        if (formulas->Present(i)) continue;
        Report(err, path,
               "computed item " + formulas->Item(i).Name() +
                   " left out: " + formulas->AbsentReason(i));
    }
    return formulas;
}

// `signals` holds back ending signals during an export to a file; it is null for an
// export to standard output, which has nothing to take back and ends at once.
int Export(const CsvToolOptions& options, const std::string& path, LogFile& file,
           const LogLoadResult& log, int outFd, std::FILE* out, std::FILE* err,
           const DeferredSignals* signals, std::chrono::milliseconds lockWait) {
    const CsvExport exporter(log.Start, log.Header.SlotItemCodes);
    const bool ranged = options.From || options.To;
    std::optional<SampleRange> range;
    if (ranged && !(range = ResolveRange(options, path, file, err))) return 2;
    // The --computed columns, from the export's first sample on.
    std::optional<ComputedCsvColumns> columns;
    if (!options.Computed.empty()) {
        const auto formulas = Formulas(options, path, file, err);
        if (!formulas) return 1;
        std::string error;
        columns = ComputedCsvColumns::Start(file, *formulas, ranged ? range->First : 1, error);
        if (!columns) {
            Report(err, path, "cannot read the log: " + error);
            return 1;
        }
    }
    CsvExtraColumns* const extra = columns ? &*columns : nullptr;
    if (options.ToStdout) {
        std::fflush(out);
        const CsvExportResult result = ranged ? exporter.WriteRangeTo(file, *range, outFd, extra)
                                              : exporter.WriteTo(file, outFd, extra);
        if (!result.Ok) {
            Report(err, path, "cannot write to standard output: " + result.Error);
            return 1;
        }
        return 0;
    }
    const std::string csvPath =
        ranged ? RangeCsvPathFor(path, *range) : CsvExport::CsvPathFor(path);
    const CsvExportResult result =
        ranged ? ExportRange(exporter, file, *range, csvPath, extra)
               : exporter.AppendTo(file, csvPath, ExportControl(*signals, csvPath, lockWait, err));
    if (result.Cancelled) {
        Report(err, path,
               "not exported: " + csvPath + " was still being written by another export");
        return 1;
    }
    if (!result.Ok) {
        Report(err, path, "cannot write " + csvPath + ": " + result.Error);
        return 1;
    }
    return 0;
}

int Stats(const CsvToolOptions& options, const std::string& path, const LogFile& file,
          const LogLoadResult& log, std::FILE* out, std::FILE* err) {
    const auto range = ResolveRange(options, path, file, err);
    if (!range) return 2;
    std::array<SlotThresholds, SlotCount> thresholds{};
    for (const ToolThreshold& t : options.Thresholds) {
        for (int k = 0; k < SlotCount; ++k) {
            if (log.Header.SlotItemCodes[static_cast<std::size_t>(k)] != t.Code) continue;
            thresholds[static_cast<std::size_t>(k)] = {t.Threshold1, t.Threshold2};
        }
    }
    const auto formulas = Formulas(options, path, file, err);
    if (!formulas) return 1;
    if (!formulas->FilterProblem().empty()) {
        Report(err, path, "--where: " + formulas->FilterProblem());
        return 2;
    }
    std::string error;
    const auto statistics = LogStatistics::Compute(file, *range, thresholds, *formulas, {}, error);
    if (!statistics) {
        Report(err, path, error);
        return 1;
    }
    std::string text = statistics->TabSeparatedText();
    if (formulas->Filtered()) text = statistics->FilterSummary() + "\n" + text;
    return Print(text, path, out, err) ? 0 : 1;
}

int Map(const CsvToolOptions& options, const std::string& path, const LogFile& file, std::FILE* out,
        std::FILE* err) {
    std::string error;
    const auto outline = LogOutline::Of(file, error);
    if (!outline) {
        Report(err, path, error);
        return 1;
    }
    MapRequest request;
    request.Computed = options.Computed;
    request.Filter = options.Where;
    std::optional<FormulaSet> formulas;
    if (!options.Computed.empty() || !options.Where.empty()) {
        formulas = Formulas(options, path, file, err);
        if (!formulas) return 1;
        if (!formulas->FilterProblem().empty()) {
            Report(err, path, "--where: " + formulas->FilterProblem());
            return 2;
        }
    }
    // A computed item's default axis spans its values in the log: found when needed.
    std::optional<std::vector<std::optional<ValueRange>>> ranges;
    const auto defaultAxis = [&](const ToolMapItem& item) -> std::optional<MapAxis> {
        if (item.Computed.empty()) return DefaultMapAxis(item.Code);
        const std::size_t index = *formulas->IndexOf(item.Computed);
        if (!ranges) ranges = ComputedValueRanges(file, *formulas, {}, error);
        if (!ranges) return std::nullopt;
        return DefaultMapAxis(formulas->Item(index).Definition(), (*ranges)[index]);
    };
    const std::tuple<const ToolMapItem&, int*, std::string*> items[] = {
        {options.MapX, &request.XSlot, &request.XComputed},
        {options.MapY, &request.YSlot, &request.YComputed},
        {options.MapZ, &request.ZSlot, &request.ZComputed}};
    for (const auto& [item, slot, computed] : items) {
        if (!item.Computed.empty()) {
            const std::size_t index = *formulas->IndexOf(item.Computed);
            if (!formulas->Present(index)) {
                Report(err, path,
                       "the computed item " + item.Computed + " " + formulas->AbsentReason(index));
                return 2;
            }
            *computed = item.Computed;
            continue;
        }
        *slot = outline->SlotOf(item.Code);
        if (*slot == 0) {
            Report(err, path, "the log has no item " + std::to_string(item.Code));
            return 2;
        }
    }
    const auto x = options.XRange ? options.XRange : defaultAxis(options.MapX);
    const auto y = options.YRange ? options.YRange : defaultAxis(options.MapY);
    if (!x || !y) {
        Report(err, path, error);
        return 1;
    }
    request.X = *x;
    request.Y = *y;
    const auto range = ResolveRange(options, path, file, err);
    if (!range) return 2;
    request.Range = *range;
    const auto map = LogMap::Compute(file, request, {}, error);
    if (!map) {
        Report(err, path, error);
        return 1;
    }
    std::string text = map->Text(options.Statistic, ',');
    if (!options.Where.empty()) text = map->FilterSummary() + "\n" + text;
    return Print(text, path, out, err) ? 0 : 1;
}

}  // namespace

int RunCsvTool(const std::vector<std::string>& args, int outFd, std::FILE* out, std::FILE* err,
               std::chrono::milliseconds lockWait) {
    std::string usageError;
    const auto options = ParseCsvToolOptions(args, usageError);
    if (!options) {
        std::fprintf(err, "orvane-csv: %s\n%s", usageError.c_str(), CsvToolUsage);
        return 2;
    }
    using Mode = CsvToolOptions::Mode;
    if (options->Action == Mode::Help) {
        std::fputs(CsvToolUsage, out);
        return 0;
    }
    if (options->Action == Mode::Version) {
        std::fprintf(out, "orvane-csv %s\n", ORVANE_VERSION);
        return 0;
    }

    // Ending signals wait for an export to a file in progress to be taken back (or a range
    // file to be put in place whole).
    std::optional<DeferredSignals> signals;
    if (options->Action == Mode::Export && !options->ToStdout) signals.emplace();
    const auto endIfSignalled = [&] {
        if (signals && signals->Pending() != 0) {
            std::fflush(out);
            DeferredSignals::EndBySignal(signals->Pending());
        }
    };

    const bool severalTables = options->Action == Mode::Stats && options->Logs.size() > 1;
    int status = 0;
    bool first = true;
    for (const std::string& path : options->Logs) {
        endIfSignalled();
        LogFile file;
        LogLoadResult log;
        if (!Load(path, file, log, err)) {
            status = std::max(status, 1);
            continue;
        }
        int logStatus = 0;
        switch (options->Action) {
            case Mode::Info:
                PrintInfo(path, file, log, out);
                break;
            case Mode::Stats:
                if (severalTables)
                    std::fprintf(out, "%s==> %s <==\n", first ? "" : "\n", path.c_str());
                logStatus = Stats(*options, path, file, log, out, err);
                break;
            case Mode::Map:
                logStatus = Map(*options, path, file, out, err);
                break;
            default:
                logStatus = Export(*options, path, file, log, outFd, out, err,
                                   signals ? &*signals : nullptr, lockWait);
                endIfSignalled();
                break;
        }
        first = false;
        status = std::max(status, logStatus);
    }
    return status;
}

}  // namespace orvane
