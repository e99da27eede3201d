#include "playback/PlaybackRules.h"

#include <array>
#include "common/Rounding.h"

namespace orvane {
namespace {

constexpr std::array<SpeedChoice, 6> kSpeeds = {{
    {"x1", 1},
    {"x2", 2},
    {"x3", 3},
    {"x4", 4},
    {"x5", 5},
    {"Max", MaxSpeedFactor},
}};

}  // namespace

int WaitSlices(std::int32_t previousMillis, std::int32_t millis) noexcept {
    const std::int64_t gap = static_cast<std::int64_t>(millis) - previousMillis;
    if (gap < ShortestWaitedGap || gap > LongestWaitedGap) return 0;
    return static_cast<int>(RoundHalfEven(static_cast<double>(gap) / SliceMilliseconds));
}

int SliceSleepMilliseconds(int speedFactor) noexcept {
    if (speedFactor <= 0) return 0;
    return static_cast<int>(RoundHalfEven(static_cast<double>(SliceMilliseconds) / speedFactor));
}

std::span<const SpeedChoice> SpeedChoices() noexcept {
    return kSpeeds;
}

meter::Colour ValueTextColour(const ValueColours& colours, double value) noexcept {
    if (colours.Threshold2 > 0 && value >= colours.Threshold2) return colours.Alarm2;
    if (colours.Threshold1 > 0 && value >= colours.Threshold1) return colours.Alarm1;
    return colours.Normal;
}

}  // namespace orvane
