#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// The longest elapsed time shown: the most a signed 32-bit millisecond counter counts
// from zero (596:31:23). Anything beyond is a counter that wrapped or jumped, not time.
inline constexpr std::int64_t LongestElapsedMillis = INT32_MAX;

// An elapsed time as text, to the whole second (rounded down): "mm:ss" below one hour
// ("00:00", "07:05", "59:59"), "h:mm:ss" from one hour on ("1:00:00", "12:34:56").
// Elapsed time is measured from the first sample of a log, so it is never negative: a
// time below zero (a sample whose counter lies before the first one's, in a log whose
// counter runs backwards) shows as "00:00", and one beyond LongestElapsedMillis as that,
// so the text never grows beyond nine characters.
std::string ElapsedText(std::int64_t millis);

// A duration to the tenth of a second (rounded down), for a range or a pause:
// "m:ss.t" below one hour ("0:00.0", "0:31.2", "10:53.0"), "h:mm:ss.t" from one hour
// on ("1:02:03.4"); a negative duration gets a leading "-".
std::string DurationText(std::int64_t millis);

}  // namespace orvane
