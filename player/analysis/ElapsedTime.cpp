#include "analysis/ElapsedTime.h"

#include <cstdio>

namespace orvane {

std::string ElapsedText(std::int64_t millis) {
    const bool negative = millis < 0;
    // Magnitude in whole seconds; unsigned so that the most negative value is safe.
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(millis) : static_cast<std::uint64_t>(millis);
    const std::uint64_t seconds = magnitude / 1000;
    const unsigned long long hours = seconds / 3600;
    const unsigned minutes = static_cast<unsigned>(seconds / 60 % 60);
    const unsigned secs = static_cast<unsigned>(seconds % 60);
    const char* sign = negative && seconds > 0 ? "-" : "";
    char text[48];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%s%llu:%02u:%02u", sign, hours, minutes, secs);
    } else {
        std::snprintf(text, sizeof text, "%s%02u:%02u", sign, minutes, secs);
    }
    return text;
}

}  // namespace orvane
