#include "CsvTool.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstring>
#include <optional>
#include <span>
#include <tuple>

#include "CsvToolOptions.h"
#include "analysis/ComputedCsvColumns.h"
#include "analysis/ElapsedTime.h"
#include "analysis/FormulaStream.h"
#include "analysis/LogMap.h"
#include "analysis/LogOutline.h"
#include "analysis/LogPauses.h"
#include "analysis/LogStatistics.h"
#include "analysis/MapComparison.h"
#include "analysis/StatisticsComparison.h"
#include "analysis/TimeLookup.h"
#include "common/CleanPath.h"
#include "common/DeferredSignals.h"
#include "log/CsvExport.h"
#include "log/CsvRangeExport.h"
#include "log/ItemShortNames.h"
#include "log/LogLoader.h"
#include "log/RecordScan.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

// Loads a log and reports a failure on `err`; true when it can be read.
bool Load(const std::string& path, LogFile& file, LogLoadResult& result, std::FILE* err) {
    result = LoadLogFile(path, file);
    const std::string shown = ShownPath(path);
    switch (result.Status) {
        case LogLoadStatus::Ok:
            return true;
        case LogLoadStatus::CannotOpen:
            std::fprintf(err, "orvane-csv: %s: %.*s (%s)\n", shown.c_str(),
                         static_cast<int>(CannotOpenLogMessage.size()), CannotOpenLogMessage.data(),
                         result.Reason.c_str());
            return false;
        case LogLoadStatus::NoHeader:
            std::fprintf(err,
                         "orvane-csv: %s: not a log file: shorter than its 44-byte header (%" PRId64
                         " bytes)\n",
                         shown.c_str(), result.Length);
            return false;
        case LogLoadStatus::InvalidStartDate:
            std::fprintf(err, "orvane-csv: %s: %.*s (the start date is not a valid date)\n",
                         shown.c_str(), static_cast<int>(InvalidLogMessage.size()),
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
                         ShownPath(csvPath).c_str());
            told = true;
        }
        return true;
    };
    return control;
}

// The line of --info for a log whose Millis go backwards somewhere (a counter reset, or
// records out of order), where elapsed times and the waits of playback are not what the
// counter says: how often, and the first place. Nothing for a log whose Millis never
// decrease.
void PrintBackwardMillis(const LogFile& file, std::FILE* out) {
    std::int64_t steps = 0, firstAt = 0;
    std::int32_t previous = 0, from = 0, to = 0;
    const RecordScan scan(file);
    scan.Run(1, scan.CompleteRecordCount(),
             [&](std::int64_t sample, std::span<const std::uint8_t> bytes) {
                 for (std::size_t at = 0; at < bytes.size(); at += RecordSize, ++sample) {
                     const std::int32_t millis = RecordView{bytes.data() + at}.Millis();
                     if (sample > 1 && millis < previous && steps++ == 0) {
                         firstAt = sample;
                         from = previous;
                         to = millis;
                     }
                     previous = millis;
                 }
                 return true;
             });
    if (steps == 0) return;
    std::fprintf(out,
                 "  %-18s go backwards %" PRId64 " time%s, first at sample %" PRId64 " (%" PRId32
                 " to %" PRId32 ")\n",
                 "millis", steps, steps == 1 ? "" : "s", firstAt, from, to);
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
    std::fprintf(err, "orvane-csv: %s: %s\n", ShownPath(path).c_str(), reason.c_str());
}

// The timeline of a log for --info: its duration from the first sample to the last, its
// mean sample rate while logging, and its pauses of MinPauseMillis or more with their
// sample numbers, times of day and lengths. False after reporting a log that cannot be
// read.
bool PrintTimeline(const std::string& path, const LogFile& file, const LogLoadResult& log,
                   std::FILE* out, std::FILE* err) {
    const std::int64_t complete = CompleteRecords(log.Length);
    if (complete < 1) return true;
    std::string error;
    const auto pauses = FindPauses(file, SampleRange::Whole(complete), {}, error);
    std::uint8_t first[RecordSize], last[RecordSize];
    const RecordScan scan(file);
    if (pauses && (!scan.ReadOne(1, first) || !scan.ReadOne(complete, last))) {
        error = "cannot read the log";
    }
    if (!error.empty()) {
        Report(err, path, error);
        return false;
    }
    const std::int64_t duration =
        static_cast<std::int64_t>(RecordView{last}.Millis()) - RecordView{first}.Millis();
    std::fprintf(out, "  %-18s %s\n", "duration", DurationText(duration).c_str());
    // The rate while logging: the gaps between samples without the pauses.
    std::int64_t paused = 0;
    for (const LogPause& pause : *pauses) paused += pause.Millis();
    const auto gaps = complete - 1 - static_cast<std::int64_t>(pauses->size());
    const std::int64_t logging = duration - paused;
    const std::string rate =
        gaps > 0 && logging > 0
            ? FormatValue(static_cast<double>(gaps) * 1000 / static_cast<double>(logging)) +
                  " samples a second, pauses left out"
            : "-";
    std::fprintf(out, "  %-18s %s\n", "mean sample rate", rate.c_str());
    const std::string count = pauses->empty() ? "none" : std::to_string(pauses->size());
    std::fprintf(out, "  %-18s %s of %d s or more%s\n", "pauses", count.c_str(),
                 MinPauseMillis / 1000, pauses->empty() ? "" : ":");
    for (const LogPause& pause : *pauses) {
        const std::string samples =
            "samples " + std::to_string(pause.Before) + " to " + std::to_string(pause.After());
        std::fprintf(out, "    %-24s %s to %s  %s\n", samples.c_str(),
                     SampleTime(log.Start, pause.BeforeMillis).TimeText().c_str(),
                     SampleTime(log.Start, pause.AfterMillis).TimeText().c_str(),
                     DurationText(pause.Millis()).c_str());
    }
    return true;
}

std::string TimeOfDayText(int secondOfDay) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", secondOfDay / 3600 % 24,
                  secondOfDay / 60 % 60, secondOfDay % 60);
    return text;
}

// Why a range given by two times of day selects no sample although its start is not
// after its end: no sample lies between them, because the logging pauses there (or
// merely skips those seconds). `range` is what the times found: the first sample after
// the gap and the last before it. Empty when that is not the case.
std::string TimeGapProblem(const LogFile& file, const RangeEnd& from, const RangeEnd& to,
                           SampleRange range) {
    std::string error;
    const auto outline = LogOutline::Of(file, error);
    if (!outline || range.Last + 1 != range.First || range.Last < 1) return {};
    // Both times are taken at their first occurrence from the log's start on.
    constexpr int kDay = 86400;
    const int start = outline->Start.SecondOfDay();
    if ((from.SecondOfDay - start + kDay) % kDay > (to.SecondOfDay - start + kDay) % kDay) {
        return {};
    }
    std::uint8_t before[RecordSize], after[RecordSize];
    const RecordScan scan(file);
    if (!scan.ReadOne(range.Last, before) || !scan.ReadOne(range.First, after)) return {};
    const std::int32_t beforeMillis = RecordView{before}.Millis();
    const std::int32_t afterMillis = RecordView{after}.Millis();
    const auto sample = [&](std::int64_t number, std::int32_t millis) {
        return "sample " + std::to_string(number) + " (" +
               SampleTime(outline->Start, millis).TimeText() + ")";
    };
    std::string text = "no sample from " + TimeOfDayText(from.SecondOfDay) + " to " +
                       TimeOfDayText(to.SecondOfDay) + ": ";
    const LogPause pause{range.Last, beforeMillis, afterMillis};
    if (pause.Millis() >= MinPauseMillis) {
        text += "the logging pauses for " + DurationText(pause.Millis()) + " from ";
    } else {
        text += "the log goes from ";
    }
    return text + sample(range.Last, beforeMillis) + " to " + sample(range.First, afterMillis);
}

// The samples `from` and `to` (--from and --to, or --ref-from and --ref-to) select in a
// loaded log; nullopt after reporting why there are none (exit status 2).
std::optional<SampleRange> ResolveRange(const std::optional<RangeEnd>& from,
                                        const std::optional<RangeEnd>& to, const std::string& path,
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
    if (!resolve(from, TimeMatch::FirstAtOrAfter, range.First) ||
        !resolve(to, TimeMatch::LastAtOrBefore, range.Last)) {
        Report(err, path, error);
        return std::nullopt;
    }
    if (error = RangeProblem(range, records); !error.empty()) {
        if (from && to && from->IsTime && to->IsTime) {
            if (std::string gap = TimeGapProblem(file, *from, *to, range); !gap.empty()) {
                error = std::move(gap);
            }
        }
        Report(err, path, error);
        return std::nullopt;
    }
    return range;
}

// The samples --from and --to select in LOG.
std::optional<SampleRange> ResolveRange(const CsvToolOptions& options, const std::string& path,
                                        const LogFile& file, std::FILE* err) {
    return ResolveRange(options.From, options.To, path, file, err);
}

// Writes all of `text` to standard output; false after reporting a failure.
bool Print(const std::string& text, const std::string& path, std::FILE* out, std::FILE* err) {
    if (std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0) {
        return true;
    }
    Report(err, path, std::string("cannot write to standard output: ") + std::strerror(errno));
    return false;
}

// The name of an ending signal, for the message of an export it stopped.
const char* SignalName(int signal) {
    switch (signal) {
        case SIGTERM:
            return "SIGTERM";
        case SIGINT:
            return "SIGINT";
        case SIGHUP:
            return "SIGHUP";
    }
    return "a signal";
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
        const CsvExportResult result = ranged
                                           ? exporter.WriteRangeTo(file, *range, outFd, {}, extra)
                                           : exporter.WriteTo(file, outFd, extra);
        if (!result.Ok) {
            Report(err, path, "cannot write to standard output: " + result.Error);
            return 1;
        }
        return 0;
    }
    const std::string csvPath =
        ranged ? RangeCsvPathFor(path, *range) : CsvExport::CsvPathFor(path);
    const CsvExportControl control = ExportControl(*signals, csvPath, lockWait, err);
    const CsvExportResult result =
        ranged ? ExportRange(exporter, file, *range, csvPath, control, extra)
               : exporter.AppendTo(file, csvPath, control);
    if (result.Cancelled && signals->Pending() != 0) {
        Report(err, path,
               std::string("not exported: stopped by ") + SignalName(signals->Pending()) + "; " +
                   ShownPath(csvPath) + " is as it was");
        return 1;
    }
    if (result.Cancelled) {
        Report(
            err, path,
            "not exported: " + ShownPath(csvPath) + " was still being written by another export");
        return 1;
    }
    if (!result.Ok) {
        Report(err, path, "cannot write " + ShownPath(csvPath) + ": " + result.Error);
        return 1;
    }
    return 0;
}

// "the log has no item 99; it has 33 (rpm), 7 (coolant), ...": the items a map can use
// (the switch bytes excepted), each once, in slot order.
std::string MissingItemProblem(std::int16_t code, const LogOutline& outline) {
    std::string text = "the log has no item " + std::to_string(code);
    std::string items;
    for (int slot = 1; slot <= SlotCount; ++slot) {
        const std::int16_t item = outline.CodeOf(slot);
        if (item < 0 || IsSwitchCode(item) || outline.SlotOf(item) != slot) continue;
        items +=
            (items.empty() ? "" : ", ") + std::to_string(item) + " (" + ShortItemName(item) + ")";
    }
    return text + (items.empty() ? "; it has no item a map can use" : "; it has " + items);
}

// The reference log of --compare, loaded once for every LOG, with its range and, for
// --stats, its statistics.
struct Reference {
    std::string Path;
    LogFile File;
    LogLoadResult Log;
    SampleRange Range;
    std::optional<LogStatistics> Statistics;
};

// The statistics of a log over `range` with the --threshold, --computed and --where
// options; nullopt after reporting why there are none, with the exit status in `status`.
// A --threshold item the log lacks is an error where `thresholdsNeeded` (LOG's), and
// goes without a threshold otherwise (REF's).
std::optional<LogStatistics> StatisticsOf(const CsvToolOptions& options, const std::string& path,
                                          const LogFile& file, const LogLoadResult& log,
                                          SampleRange range, bool thresholdsNeeded, std::FILE* err,
                                          int& status) {
    std::array<SlotThresholds, SlotCount> thresholds{};
    for (const ToolThreshold& t : options.Thresholds) {
        bool found = false;
        for (int k = 0; k < SlotCount; ++k) {
            if (log.Header.SlotItemCodes[static_cast<std::size_t>(k)] != t.Code) continue;
            thresholds[static_cast<std::size_t>(k)] = {t.Threshold1, t.Threshold2};
            found = true;
        }
        if (!found && thresholdsNeeded) {
            std::string error;
            const auto outline = LogOutline::Of(file, error);
            Report(err, path,
                   outline ? MissingItemProblem(t.Code, *outline)
                           : "the log has no item " + std::to_string(t.Code));
            status = 2;
            return std::nullopt;
        }
    }
    const auto formulas = Formulas(options, path, file, err);
    if (!formulas) {
        status = 1;
        return std::nullopt;
    }
    if (!formulas->FilterProblem().empty()) {
        Report(err, path, "--where: " + formulas->FilterProblem());
        status = 2;
        return std::nullopt;
    }
    std::string error;
    auto statistics = LogStatistics::Compute(file, range, thresholds, *formulas, {}, error);
    if (!statistics) {
        Report(err, path, error);
        status = 1;
    }
    return statistics;
}

int Stats(const CsvToolOptions& options, const std::string& path, const LogFile& file,
          const LogLoadResult& log, const Reference* reference, std::FILE* out, std::FILE* err) {
    const auto range = ResolveRange(options, path, file, err);
    if (!range) return 2;
    int status = 0;
    auto statistics = StatisticsOf(options, path, file, log, *range, true, err, status);
    if (!statistics) return status;
    std::string text;
    if (reference) {
        const StatisticsComparison comparison(std::move(*statistics), *reference->Statistics);
        text = comparison.FilterSummary();
        if (!text.empty()) text += '\n';
        text += comparison.TabSeparatedText();
    } else {
        text = statistics->TabSeparatedText();
        if (!statistics->Filter().empty()) text = statistics->FilterSummary() + "\n" + text;
    }
    return Print(text, path, out, err) ? 0 : 1;
}

// The --computed items and --where filter of a map are usable for a log: its map can be
// asked for. Returns 0, or the exit status after reporting why not.
int MapFormulasProblem(const CsvToolOptions& options, const std::string& path, const LogFile& file,
                       std::optional<FormulaSet>& formulas, std::FILE* err) {
    if (options.Computed.empty() && options.Where.empty()) return 0;
    formulas = Formulas(options, path, file, err);
    if (!formulas) return 1;
    if (!formulas->FilterProblem().empty()) {
        Report(err, path, "--where: " + formulas->FilterProblem());
        return 2;
    }
    for (const ToolMapItem* item : {&options.MapX, &options.MapY, &options.MapZ}) {
        if (item->Computed.empty()) continue;
        const std::size_t index = *formulas->IndexOf(item->Computed);
        if (!formulas->Present(index)) {
            Report(err, path,
                   "the computed item " + item->Computed + " " + formulas->AbsentReason(index));
            return 2;
        }
    }
    return 0;
}

// The map of REF beside LOG's `map` (of `request`), and the three tables; the exit status.
int CompareMaps(const CsvToolOptions& options, const std::string& path, LogMap map,
                const MapRequest& request, const LogOutline& outline, const Reference& reference,
                std::FILE* out, std::FILE* err) {
    std::string error;
    const auto referenceOutline = LogOutline::Of(reference.File, error);
    if (!referenceOutline) {
        Report(err, reference.Path, error);
        return 1;
    }
    for (const ToolMapItem* item : {&options.MapX, &options.MapY, &options.MapZ}) {
        if (item->Computed.empty() && referenceOutline->SlotOf(item->Code) == 0) {
            Report(err, reference.Path, MissingItemProblem(item->Code, *referenceOutline));
            return 2;
        }
    }
    std::optional<FormulaSet> formulas;
    if (const int status =
            MapFormulasProblem(options, reference.Path, reference.File, formulas, err);
        status != 0) {
        return status;
    }
    const auto referenceRequest = MapComparison::ReferenceRequest(
        request, outline, *referenceOutline, reference.Range, error);
    if (!referenceRequest) {
        Report(err, reference.Path, error);
        return 2;
    }
    auto referenceMap = LogMap::Compute(reference.File, *referenceRequest, {}, error);
    if (!referenceMap) {
        Report(err, reference.Path, error);
        return 1;
    }
    std::string text;
    if (!options.Where.empty()) {
        text = map.FilterSummary() + "\nreference: " + referenceMap->FilterSummary() + "\n";
    }
    const auto comparison = MapComparison::Of(std::move(map), std::move(*referenceMap));
    text += comparison->Text(options.Statistic, options.GreyBelow, ',', path, reference.Path);
    return Print(text, path, out, err) ? 0 : 1;
}

int Map(const CsvToolOptions& options, const std::string& path, const LogFile& file,
        const Reference* reference, std::FILE* out, std::FILE* err) {
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
    if (const int status = MapFormulasProblem(options, path, file, formulas, err); status != 0) {
        return status;
    }
    const std::tuple<const ToolMapItem&, int*, std::string*> items[] = {
        {options.MapX, &request.XSlot, &request.XComputed},
        {options.MapY, &request.YSlot, &request.YComputed},
        {options.MapZ, &request.ZSlot, &request.ZComputed}};
    for (const auto& [item, slot, computed] : items) {
        if (!item.Computed.empty()) {
            *computed = item.Computed;
            continue;
        }
        *slot = outline->SlotOf(item.Code);
        if (*slot == 0) {
            Report(err, path, MissingItemProblem(item.Code, *outline));
            return 2;
        }
    }
    const auto range = ResolveRange(options, path, file, err);
    if (!range) return 2;
    request.Range = *range;
    // Axes not given fit the values the range holds.
    std::optional<SlotExtents> extents;
    std::optional<std::vector<std::optional<ValueRange>>> ranges;
    if (!options.XRange || !options.YRange) {
        const bool computedAxis = !options.MapX.Computed.empty() || !options.MapY.Computed.empty();
        extents = ScanSlotExtents(file, request.Range, {}, error);
        if (extents && computedAxis) {
            ranges = ComputedValueRanges(file, *formulas, request.Range, {}, error);
        }
        if (!extents || (computedAxis && !ranges)) {
            Report(err, path, error);
            return 1;
        }
    }
    const auto axis = [&](const std::optional<MapAxis>& given, const ToolMapItem& item, int slot) {
        if (given) return *given;
        if (item.Computed.empty()) {
            return FittedMapAxis(item.Code, (*extents)[static_cast<std::size_t>(slot - 1)]);
        }
        const std::size_t index = *formulas->IndexOf(item.Computed);
        return DefaultMapAxis(formulas->Item(index).Definition(), (*ranges)[index]);
    };
    request.X = axis(options.XRange, options.MapX, request.XSlot);
    request.Y = axis(options.YRange, options.MapY, request.YSlot);
    auto map = LogMap::Compute(file, request, {}, error);
    if (!map) {
        Report(err, path, error);
        return 1;
    }
    if (reference) {
        return CompareMaps(options, path, std::move(*map), request, *outline, *reference, out, err);
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

    // The reference of --compare: reported as a LOG is when it cannot be read, and then
    // nothing is compared.
    std::optional<Reference> reference;
    if (!options->Compare.empty()) {
        reference.emplace();
        reference->Path = options->Compare;
        if (!Load(reference->Path, reference->File, reference->Log, err)) return 1;
        const auto range =
            ResolveRange(options->RefFrom, options->RefTo, reference->Path, reference->File, err);
        if (!range) return 2;
        reference->Range = *range;
        if (options->Action == Mode::Stats) {
            int status = 0;
            reference->Statistics = StatisticsOf(*options, reference->Path, reference->File,
                                                 reference->Log, *range, false, err, status);
            if (!reference->Statistics) return status;
        }
    }
    const Reference* const compared = reference ? &*reference : nullptr;

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
                if (!PrintTimeline(path, file, log, out, err)) logStatus = 1;
                PrintBackwardMillis(file, out);
                break;
            case Mode::Stats:
                if (severalTables)
                    std::fprintf(out, "%s==> %s <==\n", first ? "" : "\n", path.c_str());
                logStatus = Stats(*options, path, file, log, compared, out, err);
                break;
            case Mode::Map:
                logStatus = Map(*options, path, file, compared, out, err);
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
