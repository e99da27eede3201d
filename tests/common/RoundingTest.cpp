#include "common/Rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

namespace orvane {
namespace {

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbourInEveryRoundingMode) {
    const struct {
        double value;
        double expected;
    } cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {2.4, 2},
        {2.6, 3},
        {-2.6, -3},
        {7, 7},
        // The largest doubles with a fraction, and one without.
        {4503599627370495.5, 4503599627370496},
        {4503599627370494.5, 4503599627370494},
        {1e300, 1e300},
    };
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        for (const auto& c : cases) {
            EXPECT_EQ(RoundHalfEven(c.value), c.expected) << "mode " << mode << " " << c.value;
        }
    }
    std::fesetround(FE_TONEAREST);
}

TEST(RoundHalfEvenTest, InfinitiesAndNanComeBackUnchanged) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(RoundHalfEven(inf), inf);
    EXPECT_EQ(RoundHalfEven(-inf), -inf);
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::numeric_limits<double>::quiet_NaN())));
}

}  // namespace
}  // namespace orvane
