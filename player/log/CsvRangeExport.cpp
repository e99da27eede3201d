#include "log/CsvRangeExport.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
                            const std::string& csvPath, const CsvExportControl& control,
                            CsvExtraColumns* extra) {
    CsvExportResult result;
    result.Error = RangeProblem(range, CompleteRecords(log.Length()));
    if (!result.Error.empty()) {
        result.Ok = false;
        return result;
    }
    std::string error;
    const bool replaced = ReplaceFileAtomically(
        csvPath,
        [&](int fd, std::string& why) {
            result = exporter.WriteRangeTo(log, range, fd, control.Progress, extra);
            // Flushing to the disk is where a full disk shows on some file systems.
            if (result.Ok && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
                result.Ok = false;
                result.Error = std::strerror(errno);
            }
            // The last chance to stop: until the rename the earlier file stays.
            if (result.Ok && control.Progress && !control.Progress(result.RecordLines)) {
                result.Ok = false;
                result.Cancelled = true;
            }
            why = result.Error;
            return result.Ok;
        },
        error);
    if (!replaced) {
        result.Ok = false;
        result.Error = result.Cancelled ? std::string() : error;
        result.RecordLines = 0;
    }
    return result;
}

}  // namespace orvane
