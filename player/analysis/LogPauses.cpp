#include "analysis/LogPauses.h"

#include "log/RecordScan.h"

namespace orvane {

std::optional<std::vector<LogPause>> FindPauses(const LogFile& log, SampleRange range,
                                                std::stop_token stop, std::string& error) {
    error = RangeProblem(range, CompleteRecords(log.Length()));
    if (!error.empty()) return std::nullopt;
    std::vector<LogPause> pauses;
    std::int32_t previous = 0;  // the counter of the sample before
    const auto visit = [&](std::int64_t sample, std::span<const std::uint8_t> bytes) {
        for (std::size_t at = 0; at < bytes.size(); at += RecordSize, ++sample) {
            const std::int32_t millis = RecordView{bytes.data() + at}.Millis();
            if (sample > range.First &&
                static_cast<std::int64_t>(millis) - previous >= MinPauseMillis) {
                pauses.push_back({sample - 1, previous, millis});
            }
            previous = millis;
        }
        return true;
    };
    error = ScanProblem(RecordScan(log, std::move(stop)).Run(range.First, range.Last, visit));
    if (!error.empty()) return std::nullopt;
    return pauses;
}

}  // namespace orvane
