#include "log/CsvRangeExport.h"

#include <cstdio>

#include "common/AtomicFile.h"
#include "log/RecordScan.h"

namespace orvane {

std::string RangeCsvPathFor(const std::string& logFileName, SampleRange range) {
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, "_%06lld-%06lld.csv",
                  static_cast<long long>(range.First), static_cast<long long>(range.Last));
    return CsvExport::StemFor(logFileName) + numbers;
}

CsvExportResult ExportRange(const CsvExport& exporter, const LogFile& log, SampleRange range,
                            const std::string& csvPath, CsvExtraColumns* extra) {
    CsvExportResult result;
    result.Error = RangeProblem(range, CompleteRecords(log.Length()));
    if (!result.Error.empty()) {
        result.Ok = false;
        return result;
    }
    std::string error;
    result.Ok = ReplaceFileAtomically(
        csvPath,
        [&](int fd, std::string& why) {
            result = exporter.WriteRangeTo(log, range, fd, extra);
            why = result.Error;
            return result.Ok;
        },
        error);
    if (!result.Ok) {
        result.Error = error;
        result.RecordLines = 0;
    }
    return result;
}

}  // namespace orvane
