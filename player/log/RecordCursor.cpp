#include "log/RecordCursor.h"

#include <span>

#include "log/RecordScan.h"

namespace orvane {

RecordCursor::RecordCursor(const LogFile& log, SampleRange range)
    : log_(log), range_(range), nextToRead_(range.First) {}

std::optional<LogRecord> RecordCursor::Next() {
    if (used_ == recordsInChunk_) {
        if (nextToRead_ > range_.Last || !error_.empty()) return std::nullopt;
        const std::int64_t count =
            std::min(RecordScan::ChunkRecords, range_.Last - nextToRead_ + 1);
        chunk_.resize(static_cast<std::size_t>(count) * RecordSize);
        const std::int64_t got =
            RecordScan::ReadChunk(log_, nextToRead_, count, chunk_.data(), error_);
        if (got <= 0) return std::nullopt;
        recordsInChunk_ = static_cast<std::size_t>(got);
        used_ = 0;
        nextToRead_ += got;
    }
    const std::uint8_t* bytes = chunk_.data() + used_++ * RecordSize;
    return LogRecord::Decode(std::span<const std::uint8_t, RecordSize>(bytes, RecordSize));
}

}  // namespace orvane
