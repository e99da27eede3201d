#include "log/RecordScan.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace orvane {

std::string ScanProblem(const ScanResult& result) {
    switch (result.Status) {
        case ScanStatus::Complete:
            return {};
        case ScanStatus::Cancelled:
            return "cancelled";
        case ScanStatus::Failed:
            break;
    }
    return "cannot read the log: " + result.Error;
}

std::int64_t RecordScan::ReadChunk(const LogFile& log, std::int64_t first, std::int64_t count,
                                   std::uint8_t* out, std::string& error) {
    if (first < 1) {
        error = "there is no sample " + std::to_string(first);
        return 0;
    }
    const std::int64_t got =
        log.ReadAt(RecordOffset(first), out, static_cast<std::size_t>(count) * RecordSize);
    if (got < 0) {
        error = log.IsOpen() ? std::strerror(errno) : "the log is closed";
        return 0;
    }
    const std::int64_t whole = got / RecordSize;
    if (whole < count) {
        error = "the log ends at sample " + std::to_string(first + whole - 1) + ", before sample " +
                std::to_string(first + count - 1);
    }
    return whole;
}

ScanResult RecordScan::Run(std::int64_t first, std::int64_t last, const Visitor& visit) const {
    ScanResult result;
    if (last < first) return result;
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min(ChunkRecords, last - first + 1)) * RecordSize);
    for (std::int64_t sample = first; sample <= last;) {
        if (stop_.stop_requested()) {
            result.Status = ScanStatus::Cancelled;
            return result;
        }
        const std::int64_t count = std::min(ChunkRecords, last - sample + 1);
        const std::int64_t whole = ReadChunk(log_, sample, count, buffer.data(), result.Error);
        if (whole > 0) {
            result.Records += whole;
            const std::span<const std::uint8_t> bytes(buffer.data(),
                                                      static_cast<std::size_t>(whole) * RecordSize);
            if (!visit(sample, bytes)) return result;
        }
        if (whole < count) {
            result.Status = ScanStatus::Failed;
            return result;
        }
        sample += count;
    }
    return result;
}

bool RecordScan::ReadOne(std::int64_t sample, std::uint8_t (&out)[RecordSize]) const noexcept {
    return sample >= 1 && log_.ReadAt(RecordOffset(sample), out, RecordSize) == RecordSize;
}

std::int64_t RecordScan::CompleteRecordCount() const noexcept {
    return CompleteRecords(log_.Length());
}

}  // namespace orvane
