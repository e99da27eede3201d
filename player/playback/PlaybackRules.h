#pragma once

// The rules of playback that need no window: how long the play loop waits between two
// samples, the speeds the user can choose, and the colour of a value text.
//
// Playback is paced by the counters stored in the log. The gap between two samples is
// waited in slices of 50 ms, with the user-interface events pumped after every slice,
// so the window stays responsive; at a higher speed each slice sleeps less. Slice count
// and sleep are rounded separately, so a gap g at speed s waits
// round(g / 50) x round(50 / s) ms, not g / s exactly.

#include <cstdint>
#include <span>
#include <string_view>

#include <meter/Colour.h>

namespace orvane {

// Length of one slice of the wait at the recorded pace ("x1"), in milliseconds.
inline constexpr int SliceMilliseconds = 50;

// Gaps from 1 to 999 ms are waited; a gap of 0 or less (a jump back) and a gap of a
// second or more (a pause of the logger) are played without any wait.
inline constexpr std::int64_t ShortestWaitedGap = 1;
inline constexpr std::int64_t LongestWaitedGap = 999;

// Speed factor of "Max": no sleep at all, though the events are still pumped once per
// slice so that every command keeps working.
inline constexpr std::int16_t MaxSpeedFactor = 0;

// Number of slices waited between a sample with counter `previousMillis` and the next
// one with counter `millis`: the gap / 50 rounded to the nearest whole number, exact
// halves to the even neighbour (1 to 25 ms give 0, 26 to 74 ms 1, 75 ms 2, 999 ms 20);
// 0 for a gap outside 1 to 999 ms. The gap is taken in 64 bits, so counters far apart
// cannot overflow.
int WaitSlices(std::int32_t previousMillis, std::int32_t millis) noexcept;

// Sleep of one slice at `speedFactor` (1 to 5): 50 / factor rounded to the nearest
// millisecond, halves to even (x3 17 ms, x4 12 ms); 0 at "Max" and for any factor
// below 1.
int SliceSleepMilliseconds(int speedFactor) noexcept;

// One entry of the speed list.
struct SpeedChoice {
    std::string_view Text;
    std::int16_t Factor;
};

// The speed list in the order shown: "x1" to "x5" with factors 1 to 5, then "Max"
// with factor 0. The first entry is the speed at start-up.
std::span<const SpeedChoice> SpeedChoices() noexcept;

// The colours a value box can take.
struct ValueColours {
    meter::Colour Normal;
    meter::Colour Alarm1;   // at or above Threshold1
    meter::Colour Alarm2;   // at or above Threshold2
    double Threshold1 = 0;  // 0 or less: no alarm
    double Threshold2 = 0;
};

// The colour of a value text: the second alarm colour when the second threshold is
// above 0 and reached, else the first alarm colour when the first threshold is above 0
// and reached, else the normal colour. A value exactly at a threshold counts as
// reached.
meter::Colour ValueTextColour(const ValueColours& colours, double value) noexcept;

}  // namespace orvane
