#include "analysis/LogTimeline.h"

#include <algorithm>

#include "log/RecordScan.h"

namespace orvane {

LogTimeline::LogTimeline(std::vector<std::int32_t> millis) : millis_(std::move(millis)) {
    peak_.resize(millis_.size());
    std::int32_t highest = millis_.empty() ? 0 : millis_.front();
    for (std::size_t i = 0; i < millis_.size(); ++i) {
        highest = std::max(highest, millis_[i]);
        peak_[i] = highest;
    }
}

std::optional<LogTimeline> LogTimeline::Read(const LogFile& log, std::stop_token stop,
                                             std::string& error) {
    const RecordScan scan(log, std::move(stop));
    const std::int64_t records = scan.CompleteRecordCount();
    if (records < 1) {
        error = "the log has no samples";
        return std::nullopt;
    }
    std::vector<std::int32_t> millis;
    millis.reserve(static_cast<std::size_t>(records));
    const ScanResult result =
        scan.Run(1, records, [&](std::int64_t, std::span<const std::uint8_t> bytes) {
            for (std::size_t at = 0; at < bytes.size(); at += RecordSize) {
                millis.push_back(RecordView{bytes.data() + at}.Millis());
            }
            return true;
        });
    error = ScanProblem(result);
    if (!error.empty()) return std::nullopt;
    return LogTimeline(std::move(millis));
}

std::int64_t LogTimeline::ElapsedMillis(std::int64_t sample) const noexcept {
    if (millis_.empty()) return 0;
    const auto at = static_cast<std::size_t>(std::clamp<std::int64_t>(sample, 1, Samples()) - 1);
    return static_cast<std::int64_t>(millis_[at]) - millis_.front();
}

std::optional<std::int64_t> LogTimeline::SampleAtOrBefore(std::int64_t elapsed) const noexcept {
    if (millis_.empty()) return std::nullopt;
    const std::int64_t at = millis_.front() + elapsed;
    if (at < millis_.front() || at > peak_.back()) return std::nullopt;
    // The first sample whose running maximum lies after the time is the first one later
    // than it; the sample before is on show.
    const auto later = std::upper_bound(peak_.begin(), peak_.end(), at,
                                        [](std::int64_t t, std::int32_t peak) { return t < peak; });
    return static_cast<std::int64_t>(later - peak_.begin());
}

}  // namespace orvane
