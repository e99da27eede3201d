#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "log/LogFile.h"

namespace orvane {

// The counter (Millis) of every sample of a log: its time axis, for placing another log's
// samples on it and finding the sample on show at a time. Four bytes a sample for the
// counters and four for their running maximum (8 MB for a million samples).
class LogTimeline {
public:
    // The counters of samples 1, 2, ... in order.
    explicit LogTimeline(std::vector<std::int32_t> millis);

    // Reads the counters of every complete record of `log` (positional reads; the log's
    // read position does not move). nullopt with the reason in `error` when the log has
    // no sample or cannot be read, or `stop` was triggered ("cancelled").
    static std::optional<LogTimeline> Read(const LogFile& log, std::stop_token stop,
                                           std::string& error);

    std::int64_t Samples() const noexcept { return static_cast<std::int64_t>(millis_.size()); }

    // The time of a sample (1 to Samples(); a number beyond either end is taken as that
    // end) since the log's first sample, in milliseconds: negative for a counter below
    // the first one's. 0 for a timeline without samples.
    std::int64_t ElapsedMillis(std::int64_t sample) const noexcept;

    // The sample on show at `elapsed` milliseconds since the first sample: the one just
    // before the first sample whose counter lies after that time (so in a log whose
    // counter jumps back, the samples after the jump count as later than those before
    // it until the counter passes them again). In a log whose counter only rises, the
    // last sample at or before that time. nullopt before the first sample and after the
    // highest counter (the last sample's, unless the counter jumped back).
    std::optional<std::int64_t> SampleAtOrBefore(std::int64_t elapsed) const noexcept;

private:
    std::vector<std::int32_t> millis_;
    std::vector<std::int32_t> peak_;  // the highest counter of samples 1 to n, at n - 1
};

}  // namespace orvane
