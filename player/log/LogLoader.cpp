#include "log/LogLoader.h"

namespace orvane {

LogLoadResult LoadLogFile(const std::string& path, LogFile& file) {
    LogLoadResult result;
    const auto length = LogFile::MeasureLength(path);
    result.Length = length.value_or(0);
    result.RecordCount = RecordCountForLength(result.Length);
    if (!length || !file.Open(path, &result.Reason)) {
        if (!length && result.Reason.empty()) result.Reason = "cannot measure the file";
        result.Status = LogLoadStatus::CannotOpen;
        return result;
    }
    // A file that does not load as a log is released at once: nothing reads it, and
    // other programs may use it.
    const auto header = file.ReadHeader();
    if (!header) {
        file.Close();
        result.Status = LogLoadStatus::NoHeader;
        return result;
    }
    result.Header = *header;
    const auto start = DateTime::FromOleDate(header->StartDate);
    if (!start) {
        file.Close();
        result.Status = LogLoadStatus::InvalidStartDate;
        return result;
    }
    result.Start = *start;
    result.Status = LogLoadStatus::Ok;
    return result;
}

}  // namespace orvane
