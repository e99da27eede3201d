// The play loop's wait, the speed list and the value text's colour, without a window.
#include <gtest/gtest.h>

#include <limits>

#include "playback/PlaybackRules.h"

namespace orvane {
namespace {

TEST(WaitSlicesTest, TheGapIsCountedInSlicesOfFiftyMillisecondsRoundedHalfToEven) {
    EXPECT_EQ(WaitSlices(0, 1), 0);
    EXPECT_EQ(WaitSlices(0, 25), 0);  // 0.5 rounds to 0
    EXPECT_EQ(WaitSlices(0, 26), 1);
    EXPECT_EQ(WaitSlices(0, 74), 1);
    EXPECT_EQ(WaitSlices(0, 75), 2);   // 1.5 rounds to 2
    EXPECT_EQ(WaitSlices(0, 125), 2);  // 2.5 rounds to 2
    EXPECT_EQ(WaitSlices(0, 200), 4);
    EXPECT_EQ(WaitSlices(1000, 1999), 20);
}

TEST(WaitSlicesTest, GapsOutsideOneToNineHundredNinetyNineMillisecondsAreNotWaited) {
    EXPECT_EQ(WaitSlices(500, 500), 0);
    EXPECT_EQ(WaitSlices(500, 100), 0);  // backwards
    EXPECT_EQ(WaitSlices(0, 1000), 0);
    EXPECT_EQ(WaitSlices(0, 5000), 0);
}

TEST(WaitSlicesTest, CountersFarApartDoNotOverflow) {
    // In 32 bits this gap would wrap round to a small positive number and be waited.
    constexpr auto min = std::numeric_limits<std::int32_t>::min();
    constexpr auto max = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(WaitSlices(max - 100, min + 100), 0);
    EXPECT_EQ(WaitSlices(min, max), 0);
    EXPECT_EQ(WaitSlices(max - 200, max), 4);
}

TEST(SliceSleepTest, EachSpeedSleepsFiftyDividedByItsFactorRoundedHalfToEven) {
    EXPECT_EQ(SliceSleepMilliseconds(1), 50);
    EXPECT_EQ(SliceSleepMilliseconds(2), 25);
    EXPECT_EQ(SliceSleepMilliseconds(3), 17);  // 16.67
    EXPECT_EQ(SliceSleepMilliseconds(4), 12);  // 12.5 to the even neighbour
    EXPECT_EQ(SliceSleepMilliseconds(5), 10);
    EXPECT_EQ(SliceSleepMilliseconds(MaxSpeedFactor), 0);
    EXPECT_EQ(SliceSleepMilliseconds(-3), 0);
}

TEST(ValueTextColourTest, TheHighestReachedThresholdAboveZeroChoosesTheColour) {
    const meter::Colour normal(255), alarm1(65535), alarm2(16711680);
    const ValueColours colours{normal, alarm1, alarm2, 50, 80};
    EXPECT_EQ(ValueTextColour(colours, 49.99), normal);
    EXPECT_EQ(ValueTextColour(colours, 50), alarm1);  // exactly at the threshold
    EXPECT_EQ(ValueTextColour(colours, 79), alarm1);
    EXPECT_EQ(ValueTextColour(colours, 80), alarm2);
    EXPECT_EQ(ValueTextColour(colours, 1e9), alarm2);
}

TEST(ValueTextColourTest, AThresholdOfZeroOrBelowNeverColours) {
    const meter::Colour normal(255), alarm1(65535), alarm2(16711680);
    EXPECT_EQ(ValueTextColour({normal, alarm1, alarm2, 0, 0}, 0), normal);
    EXPECT_EQ(ValueTextColour({normal, alarm1, alarm2, -5, 0}, 10), normal);
    // Only the second threshold in use: reaching it gives the second colour.
    EXPECT_EQ(ValueTextColour({normal, alarm1, alarm2, 0, 50}, 60), alarm2);
    EXPECT_EQ(ValueTextColour({normal, alarm1, alarm2, 0, 50}, 40), normal);
}

}  // namespace
}  // namespace orvane
