#include "analysis/TimeLookup.h"

#include <algorithm>
#include <cstdio>

#include "analysis/LogOutline.h"
#include "log/LogFormat.h"
#include "log/RecordScan.h"

namespace orvane {
namespace {

constexpr int kSecondsPerDay = 86400;

}  // namespace

std::optional<std::int64_t> FindSampleAtTime(const LogFile& log, int secondOfDay, TimeMatch match,
                                             std::string& error) {
    const auto outline = LogOutline::Of(log, error);
    if (!outline) return std::nullopt;
    if (outline->Records < 1) {
        error = "the log has no samples";
        return std::nullopt;
    }
    const DateTime& start = outline->Start;
    const int startOfDay = start.SecondOfDay();
    const std::int64_t wanted =
        ((secondOfDay - startOfDay) % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
    const std::string wantedText = start.AddSeconds(wanted).TimeText();

    std::optional<std::int64_t> found;
    std::int64_t latest = INT64_MIN;  // the latest sample time, in seconds after the start
    const ScanResult result = RecordScan(log).Run(
        1, outline->Records, [&](std::int64_t sample, std::span<const std::uint8_t> bytes) {
            for (std::size_t at = 0; at < bytes.size(); at += RecordSize, ++sample) {
                const std::int64_t seconds = WholeSeconds(RecordView{bytes.data() + at}.Millis());
                latest = std::max(latest, seconds);
                if (match == TimeMatch::FirstAtOrAfter) {
                    // The first match settles it, and it is not after the last sample.
                    if (seconds >= wanted) {
                        found = sample;
                        return false;
                    }
                } else if (seconds <= wanted) {
                    found = sample;
                }
            }
            return true;
        });
    error = ScanProblem(result);
    if (!error.empty()) return std::nullopt;
    if (wanted > latest) {
        error = wantedText + " is after the log's last sample (" +
                start.AddSeconds(latest).TimeText() + ")";
        return std::nullopt;
    }
    if (!found) {
        error = "no sample of the log is at or before " + wantedText;
        return std::nullopt;
    }
    return found;
}

}  // namespace orvane
