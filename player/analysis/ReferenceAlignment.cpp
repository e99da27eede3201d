#include "analysis/ReferenceAlignment.h"

#include <cinttypes>
#include <cstdio>

namespace orvane {

ReferenceAlignment ReferenceAlignment::AlignHere(const LogTimeline& log, std::int64_t sample,
                                                 const LogTimeline& reference,
                                                 std::int64_t referenceSample) noexcept {
    return {log.ElapsedMillis(sample) - reference.ElapsedMillis(referenceSample)};
}

std::int64_t ReferenceAlignment::PlacedMillis(const LogTimeline& reference,
                                              std::int64_t referenceSample) const noexcept {
    return reference.ElapsedMillis(referenceSample) + OffsetMillis;
}

std::optional<std::int64_t> ReferenceAlignment::ReferenceSampleAt(
    const LogTimeline& reference, std::int64_t elapsed) const noexcept {
    return reference.SampleAtOrBefore(elapsed - OffsetMillis);
}

std::optional<std::int64_t> ReferenceAlignment::ReferenceSampleBeside(
    const LogTimeline& log, std::int64_t sample, const LogTimeline& reference) const noexcept {
    return ReferenceSampleAt(reference, log.ElapsedMillis(sample));
}

std::string ReferenceAlignment::OffsetText() const {
    const std::uint64_t magnitude = OffsetMillis < 0 ? 0 - static_cast<std::uint64_t>(OffsetMillis)
                                                     : static_cast<std::uint64_t>(OffsetMillis);
    char text[32];
    std::snprintf(text, sizeof text, "%c%" PRIu64 ".%03" PRIu64, OffsetMillis < 0 ? '-' : '+',
                  magnitude / 1000, magnitude % 1000);
    return text;
}

}  // namespace orvane
