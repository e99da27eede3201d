#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// An elapsed time as text, to the whole second (rounded down): "mm:ss" below one hour
// ("00:00", "07:05", "59:59"), "h:mm:ss" from one hour on ("1:00:00", "12:34:56"). A
// negative time (a log whose counter runs backwards) gets a leading "-".
std::string ElapsedText(std::int64_t millis);

// A duration to the tenth of a second (rounded down), for a range or a pause:
// "m:ss.t" below one hour ("0:00.0", "0:31.2", "10:53.0"), "h:mm:ss.t" from one hour
// on ("1:02:03.4"); a negative duration gets a leading "-".
std::string DurationText(std::int64_t millis);

}  // namespace orvane
