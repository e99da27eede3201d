#include "analysis/TimeLookup.h"

#include <algorithm>
#include <cstdio>

#include "analysis/LogOutline.h"
#include "log/LogFormat.h"
#include "log/RecordScan.h"

namespace orvane {
namespace {

constexpr int kSecondsPerDay = 86400;

std::string TimeText(const DateTime& t) {
    char text[DateTime::FormattedLength];
    t.FormatTime(text);
    return std::string(text, sizeof text);
}

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
    const int startOfDay = start.Hour() * 3600 + start.Minute() * 60 + start.Second();
    const std::int64_t wanted =
        ((secondOfDay - startOfDay) % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
    const std::string wantedText = TimeText(start.AddSeconds(wanted));

    std::optional<std::int64_t> found;
    std::int64_t latest = INT64_MIN;  // the latest sample time, in seconds after the start
    const ScanResult result = RecordScan(log).Run(
        1, outline->Records, [&](std::int64_t sample, std::span<const std::uint8_t> bytes) {
            for (std::size_t at = 0; at < bytes.size(); at += RecordSize, ++sample) {
                const std::int64_t seconds = WholeSeconds(RecordView{bytes.data() + at}.Millis());
                latest = std::max(latest, seconds);
                if (match == TimeMatch::FirstAtOrAfter) {
                    if (!found && seconds >= wanted) found = sample;
                } else if (seconds <= wanted) {
                    found = sample;
                }
            }
            return true;
        });
    if (result.Status != ScanStatus::Complete) {
        error = "cannot read the log: " + result.Error;
        return std::nullopt;
    }
    if (wanted > latest) {
        error = wantedText + " is after the log's last sample (" +
                TimeText(start.AddSeconds(latest)) + ")";
        return std::nullopt;
    }
    if (!found) {
        error = "no sample of the log is at or before " + wantedText;
        return std::nullopt;
    }
    return found;
}

}  // namespace orvane
