#include "analysis/ElapsedTime.h"

#include <algorithm>
#include <cstdio>

namespace orvane {
namespace {

// The magnitude of a signed count, safe for the most negative value.
std::uint64_t Magnitude(std::int64_t value) noexcept {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

}  // namespace

std::string ElapsedText(std::int64_t millis) {
    const std::int64_t seconds = std::clamp<std::int64_t>(millis, 0, LongestElapsedMillis) / 1000;
    const int hours = static_cast<int>(seconds / 3600);
    const int minutes = static_cast<int>(seconds / 60 % 60);
    const int secs = static_cast<int>(seconds % 60);
    char text[16];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%d:%02d:%02d", hours, minutes, secs);
    } else {
        std::snprintf(text, sizeof text, "%02d:%02d", minutes, secs);
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
