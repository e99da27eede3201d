#include "CsvTool.h"

#include <cinttypes>
#include <optional>

#include "common/DeferredSignals.h"
#include "log/CsvExport.h"
#include "log/LogLoader.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

constexpr const char* kUsage =
    "usage: orvane-csv LOG...              append each LOG's CSV file (LOG with its last\n"
    "                                      four characters replaced by .csv)\n"
    "       orvane-csv --stdout LOG        write the CSV text to standard output instead\n"
    "       orvane-csv --info LOG...       print a summary of each LOG\n"
    "       orvane-csv --help\n"
    "\n"
    "The CSV text is what the player's Output button appends right after opening the\n"
    "log: a header line, then one line per complete record.\n";

enum class Mode { Export, Stdout, Info };

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

}  // namespace

int RunCsvTool(const std::vector<std::string>& args, int outFd, std::FILE* out, std::FILE* err,
               std::chrono::milliseconds lockWait) {
    Mode mode = Mode::Export;
    std::vector<std::string> logs;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, out);
            return 0;
        }
        if (arg == "--stdout" && logs.empty() && mode == Mode::Export) {
            mode = Mode::Stdout;
        } else if (arg == "--info" && logs.empty() && mode == Mode::Export) {
            mode = Mode::Info;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
            std::fprintf(err, "orvane-csv: unknown option %s\n%s", arg.c_str(), kUsage);
            return 2;
        } else if (arg != "--") {
            logs.push_back(arg);
        }
    }
    if (logs.empty() || (mode == Mode::Stdout && logs.size() != 1)) {
        std::fputs(kUsage, err);
        return 2;
    }

    // Ending signals wait for the export in progress to be taken back.
    std::optional<DeferredSignals> signals;
    if (mode == Mode::Export) signals.emplace();
    const auto endIfSignalled = [&] {
        if (signals && signals->Pending() != 0) {
            std::fflush(out);
            DeferredSignals::EndBySignal(signals->Pending());
        }
    };

    int status = 0;
    for (const std::string& path : logs) {
        endIfSignalled();
        LogFile file;
        LogLoadResult log;
        if (!Load(path, file, log, err)) {
            status = 1;
            continue;
        }
        if (mode == Mode::Info) {
            PrintInfo(path, file, log, out);
            continue;
        }
        const CsvExport exporter(log.Start, log.Header.SlotItemCodes);
        if (mode == Mode::Stdout) {
            std::fflush(out);
            const CsvExportResult result = exporter.WriteTo(file, outFd);
            if (!result.Ok) {
                std::fprintf(err, "orvane-csv: %s: cannot write to standard output: %s\n",
                             path.c_str(), result.Error.c_str());
                status = 1;
            }
            continue;
        }
        const std::string csvPath = CsvExport::CsvPathFor(path);
        const CsvExportResult result =
            exporter.AppendTo(file, csvPath, ExportControl(*signals, csvPath, lockWait, err));
        endIfSignalled();
        if (result.Cancelled) {
            std::fprintf(err,
                         "orvane-csv: %s: not exported: %s was still being written by another "
                         "export after %g s\n",
                         path.c_str(), csvPath.c_str(),
                         static_cast<double>(lockWait.count()) / 1000);
            status = 1;
        } else if (!result.Ok) {
            std::fprintf(err, "orvane-csv: %s: cannot write %s: %s\n", path.c_str(),
                         csvPath.c_str(), result.Error.c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace orvane
