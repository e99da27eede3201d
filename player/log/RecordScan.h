#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stop_token>
#include <string>

#include "log/ByteOrder.h"
#include "log/LogFile.h"
#include "log/LogFormat.h"

namespace orvane {

// Number of complete records in a log file of `length` bytes. Unlike the record count
// (which rounds, so a long partial record counts), this is the number of records that
// can actually be read: the sample numbers 1 to this value.
constexpr std::int64_t CompleteRecords(std::int64_t length) noexcept {
    return length > HeaderSize ? (length - HeaderSize) / RecordSize : 0;
}

// One 22-byte record in a scanned chunk, read in place.
struct RecordView {
    const std::uint8_t* Bytes;

    std::int32_t Millis() const noexcept {
        return static_cast<std::int32_t>(byteorder::LoadU32(Bytes));
    }
    // Raw byte of slot `index` (0-based: slot 1 is index 0).
    std::uint8_t SlotByte(int index) const noexcept { return Bytes[4 + index]; }
};

enum class ScanStatus {
    Complete,   // every record asked for was read (or the visitor stopped the scan)
    Cancelled,  // the stop token was triggered
    Failed,     // a read failed, or the file ended before the last record asked for
};

struct ScanResult {
    ScanStatus Status = ScanStatus::Complete;
    std::string Error;         // the reason, when Failed
    std::int64_t Records = 0;  // records handed to the visitor
};

// What keeps a scan from counting as done, for a message: "cancelled", or why the log
// could not be read; empty for a complete scan.
std::string ScanProblem(const ScanResult& result);

// Reads a range of records of an open log with large positional reads, leaving the
// log's read position (the one playback and Output share) alone. The records are
// handed over in chunks of up to ChunkRecords; the stop token is checked before each
// chunk. Reading is const on the log, but one LogFile must not be read by two threads:
// give a worker thread its own LogFile::OpenDuplicateOf.
class RecordScan {
public:
    static constexpr std::int64_t ChunkRecords = 8192;

    // Receives the sample number of the chunk's first record and the chunk's bytes (a
    // whole number of records); returns false to end the scan early.
    using Visitor = std::function<bool(std::int64_t firstSample, std::span<const std::uint8_t>)>;

    explicit RecordScan(const LogFile& log, std::stop_token stop = {}) noexcept
        : log_(log), stop_(std::move(stop)) {}

    // Scans the records first to last (1-based sample numbers, inclusive). An empty
    // range (last < first) reads nothing and is Complete.
    ScanResult Run(std::int64_t first, std::int64_t last, const Visitor& visit) const;

    // Reads up to `count` records from sample `first` into `out` (room for count * 22
    // bytes). Returns the number of whole records read; fewer than `count` only with
    // `error` set (a failed read, or the end of the file).
    static std::int64_t ReadChunk(const LogFile& log, std::int64_t first, std::int64_t count,
                                  std::uint8_t* out, std::string& error);

    // Reads the one record `sample` into `out`; false when it cannot be read.
    bool ReadOne(std::int64_t sample, std::uint8_t (&out)[RecordSize]) const noexcept;

    // Number of complete records of the log as it is now.
    std::int64_t CompleteRecordCount() const noexcept;

private:
    const LogFile& log_;
    std::stop_token stop_;
};

}  // namespace orvane
