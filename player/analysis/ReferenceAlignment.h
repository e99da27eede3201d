#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/LogTimeline.h"

namespace orvane {

// Where a reference log lies on the time axis of the open log: reference sample r is
// drawn at the log's elapsed time (milliseconds since the log's first sample)
// reference.ElapsedMillis(r) + OffsetMillis. An offset of 0 makes the two first samples
// meet; a positive one shows the reference later. The offset is what the marks file keeps
// as ReferenceOffset.
struct ReferenceAlignment {
    std::int64_t OffsetMillis = 0;

    // "Align here": the alignment that puts `referenceSample` of the reference at
    // `sample` of the log (both 1-based), for example both at the start of the same
    // full-throttle pull.
    static ReferenceAlignment AlignHere(const LogTimeline& log, std::int64_t sample,
                                        const LogTimeline& reference,
                                        std::int64_t referenceSample) noexcept;

    // The log's elapsed time at which reference sample `referenceSample` is drawn.
    std::int64_t PlacedMillis(const LogTimeline& reference,
                              std::int64_t referenceSample) const noexcept;

    // The reference sample on show at the log's elapsed time `elapsed`: the reference
    // sample at or before it (LogTimeline::SampleAtOrBefore); nullopt where the reference
    // has no sample, before its first and after its last.
    std::optional<std::int64_t> ReferenceSampleAt(const LogTimeline& reference,
                                                  std::int64_t elapsed) const noexcept;

    // The reference sample on show beside sample `sample` of the log (at its time).
    std::optional<std::int64_t> ReferenceSampleBeside(const LogTimeline& log, std::int64_t sample,
                                                      const LogTimeline& reference) const noexcept;

    // The offset as shown: a sign, the seconds and three decimals ("+1.500", "-62.250",
    // "+0.000").
    std::string OffsetText() const;

    friend bool operator==(const ReferenceAlignment&, const ReferenceAlignment&) = default;
};

}  // namespace orvane
