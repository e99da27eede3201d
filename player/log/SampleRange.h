#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// A range of samples by their 1-based numbers, both ends included: what the in and out
// points select, and what range exports, statistics and maps cover.
struct SampleRange {
    std::int64_t First = 1;
    std::int64_t Last = 0;

    constexpr bool Empty() const noexcept { return Last < First; }
    constexpr std::int64_t Count() const noexcept { return Empty() ? 0 : Last - First + 1; }
    constexpr bool Contains(std::int64_t sample) const noexcept {
        return sample >= First && sample <= Last;
    }
    // All samples of a log with `records` complete records.
    static constexpr SampleRange Whole(std::int64_t records) noexcept { return {1, records}; }

    friend constexpr bool operator==(SampleRange, SampleRange) noexcept = default;
};

// Why `range` cannot be used on a log of `records` complete records, as a sentence for
// the user ("the range 500 to 100 is empty", "sample 1200 is beyond the end of the log
// (samples 1 to 1000)"); empty when it is a non-empty range inside the log.
std::string RangeProblem(SampleRange range, std::int64_t records);

}  // namespace orvane
