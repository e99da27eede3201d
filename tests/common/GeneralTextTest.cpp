#include "common/GeneralText.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(GeneralTextTest, WritesTheShortestTextToItsPrecision) {
    EXPECT_EQ(GeneralText(std::int64_t{255}), "255");
    EXPECT_EQ(GeneralText(std::int64_t{-2147483630}), "-2147483630");
    EXPECT_EQ(GeneralText(std::uint64_t{18446744073709551615u}), "18446744073709551615");
    EXPECT_EQ(GeneralText(54.0), "54");
    EXPECT_EQ(GeneralText(-2147483630.0), "-2147483630");
    EXPECT_EQ(GeneralText(0.5), "0.5");
    EXPECT_EQ(GeneralText(-0.0), "0");
    EXPECT_EQ(GeneralText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(GeneralText(123456789012345.0), "123456789012345");
    EXPECT_EQ(GeneralText(1e15), "1E+15");
    EXPECT_EQ(GeneralText(1e-5), "1E-05");
    EXPECT_EQ(GeneralText(-1.5e-300), "-1.5E-300");
    EXPECT_EQ(GeneralText(82.26667f), "82.26667");
    EXPECT_EQ(GeneralText(100.0f), "100");
    EXPECT_EQ(GeneralText(100.5f), "100.5");
    EXPECT_EQ(GeneralText(0.1f), "0.1");
    EXPECT_EQ(GeneralText(-0.0f), "0");
}

}  // namespace
}  // namespace orvane
