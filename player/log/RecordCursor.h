#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "log/LogFile.h"
#include "log/LogRecord.h"
#include "log/SampleRange.h"

namespace orvane {

// Hands over the records of a range one at a time, read in large positional chunks: the
// log's read position does not move. For code that pulls records (the range export);
// code that can take whole chunks uses RecordScan.
class RecordCursor {
public:
    RecordCursor(const LogFile& log, SampleRange range);

    // The next record of the range; nullopt after the last one, or when a read fails or
    // the file ends early (Error then says why).
    std::optional<LogRecord> Next();

    const std::string& Error() const noexcept { return error_; }

private:
    const LogFile& log_;
    SampleRange range_;
    std::int64_t nextToRead_;
    std::vector<std::uint8_t> chunk_;
    std::size_t recordsInChunk_ = 0;
    std::size_t used_ = 0;
    std::string error_;
};

}  // namespace orvane
