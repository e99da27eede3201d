#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

#include "analysis/AlarmTable.h"
#include "analysis/OverviewSummary.h"
#include "log/LogFile.h"
#include "log/SampleRange.h"

namespace orvane {

// Finds alarm starts: samples at which some box's alarm level is higher than at the
// sample before (the first sample counts when any box is in alarm there). See
// AlarmTable for the levels.
//
// With an overview summary built for the same boxes, only the buckets the summary marks
// as holding an alarm start are read (a few kilobytes each); without one, the log is
// read from the given sample on until a start turns up. Records are read with
// positional reads: the log's read position does not move. A log that cannot be read is
// treated as having no further start.
class AlarmStarts {
public:
    explicit AlarmStarts(std::vector<AlarmBox> boxes) : table_(std::move(boxes)) {}

    // The first alarm start after sample `after` (0 to search from sample 1).
    std::optional<std::int64_t> Next(const LogFile& log, std::int64_t after,
                                     const OverviewSummary* summary = nullptr,
                                     std::stop_token stop = {}) const;

    // The last alarm start before sample `before`.
    std::optional<std::int64_t> Previous(const LogFile& log, std::int64_t before,
                                         const OverviewSummary* summary = nullptr,
                                         std::stop_token stop = {}) const;

    // Every alarm start in `range`, in order (for tests and lists).
    std::vector<std::int64_t> All(const LogFile& log, SampleRange range,
                                  std::stop_token stop = {}) const;

private:
    enum class Pick { First, Last };
    // The first or last start among the samples of `range` (inside the log).
    std::optional<std::int64_t> Find(const LogFile& log, SampleRange range, Pick pick,
                                     const std::stop_token& stop) const;
    bool Usable(const OverviewSummary* summary) const noexcept;

    AlarmTable table_;
};

}  // namespace orvane
