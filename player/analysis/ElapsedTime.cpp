#include "analysis/ElapsedTime.h"

#include <cstdio>

namespace orvane {
namespace {

// The magnitude of a signed count, safe for the most negative value.
std::uint64_t Magnitude(std::int64_t value) noexcept {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

}  // namespace

std::string ElapsedText(std::int64_t millis) {
    const bool negative = millis < 0;
    const std::uint64_t seconds = Magnitude(millis) / 1000;
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

std::string DurationText(std::int64_t millis) {
    const std::uint64_t tenths = Magnitude(millis) / 100;
    const unsigned long long hours = tenths / 36000;
    const unsigned minutes = static_cast<unsigned>(tenths / 600 % 60);
    const unsigned seconds = static_cast<unsigned>(tenths / 10 % 60);
    const unsigned tenth = static_cast<unsigned>(tenths % 10);
    const char* sign = millis < 0 && tenths > 0 ? "-" : "";
    char text[48];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%s%llu:%02u:%02u.%u", sign, hours, minutes, seconds,
                      tenth);
    } else {
        std::snprintf(text, sizeof text, "%s%u:%02u.%u", sign, minutes, seconds, tenth);
    }
    return text;
}

}  // namespace orvane
