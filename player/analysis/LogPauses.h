#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "log/LogFile.h"
#include "log/SampleRange.h"

namespace orvane {

// A pause in the logging: two consecutive samples whose counters lie MinPauseMillis or
// more apart (the logger stopped, or the engine was off). The samples show nothing of
// the time in between, so a view that runs by sample shows it as one step.
struct LogPause {
    std::int64_t Before = 0;  // the last sample before the pause; the next one follows it
    std::int32_t BeforeMillis = 0;
    std::int32_t AfterMillis = 0;

    std::int64_t After() const noexcept { return Before + 1; }
    // The pause's length; 64-bit, as the counters may lie far apart.
    std::int64_t Millis() const noexcept {
        return static_cast<std::int64_t>(AfterMillis) - BeforeMillis;
    }

    friend bool operator==(const LogPause&, const LogPause&) = default;
};

// The shortest gap that counts as a pause: 5 s (a gap of 4999 ms is none). Loggers take
// 3 to 15 samples a second, and playback waits gaps of up to a second; a gap this long
// is the logging stopping, not a slow sample.
inline constexpr std::int32_t MinPauseMillis = 5000;

// The pauses between consecutive samples of `range`, in sample order (positional reads;
// the log's read position never moves). A counter that goes backwards makes no pause.
// nullopt with the reason in `error` for a range that is empty or not inside the log, a
// log that cannot be read, or a triggered `stop` ("cancelled").
std::optional<std::vector<LogPause>> FindPauses(const LogFile& log, SampleRange range,
                                                std::stop_token stop, std::string& error);

}  // namespace orvane
