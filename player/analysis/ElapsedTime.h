#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// An elapsed time as text, to the whole second (rounded down): "mm:ss" below one hour
// ("00:00", "07:05", "59:59"), "h:mm:ss" from one hour on ("1:00:00", "12:34:56"). A
// negative time (a log whose counter runs backwards) gets a leading "-".
std::string ElapsedText(std::int64_t millis);

}  // namespace orvane
