#pragma once

#include <cstdint>
#include <string>

#include "analysis/MinMaxSummary.h"
#include "log/LogFile.h"
#include "log/LogRecord.h"

namespace orvane {

// One block of a summary's records read from its log (a positional read), kept while the
// next samples asked for lie in the same block: a chart's columns and points close in
// read each block once.
class BlockCache {
public:
    BlockCache(const MinMaxSummary& summary, const LogFile& log) : summary_(summary), log_(log) {}

    // The 22 bytes of `sample`; null, with the reason in `error`, when its block cannot be
    // read.
    const std::uint8_t* Record(std::int64_t sample, std::string& error);

private:
    const MinMaxSummary& summary_;
    const LogFile& log_;
    std::int64_t block_ = -1;
    std::int64_t first_ = 0;
    std::uint8_t bytes_[MinMaxSummary::MaxBlockSamples * RecordSize]{};
};

}  // namespace orvane
