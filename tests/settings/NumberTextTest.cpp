#include "settings/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvane {
namespace {

TEST(LeadingNumberTest, ReadsTheNumberAtTheStart) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"2 0 1", 201}, {"&HFF", 255}, {"1.5E2", 150},  {"12px", 12},   {"abc", 0},     {"", 0},
        {"-1", -1},     {"0.5", 0.5},  {" - 1 2", -12}, {"\t1\n2", 12}, {"1.2.3", 1.2}, {"12E", 12},
        {"12E+", 12},   {"1e3", 1000}, {"&hff", 255},   {"&O17", 15},   {"&o17", 15},   {"&H", 0},
        {"&X1", 0},     {".5", 0.5},   {"-", 0},        {"+3", 3},      {"1,5", 1},     {"1\r2", 1},
        {"&HFFG", 255}, {"5E-1", 0.5}, {"0x10", 0},     {"1 E 2", 100},
    };
    for (const auto& c : cases) EXPECT_EQ(LeadingNumber(c.text), c.expected) << c.text;
}

TEST(LeadingNumberTest, HexadecimalAndOctalAre32BitPatterns) {
    EXPECT_EQ(LeadingNumber("&HFFFF"), 65535);
    EXPECT_EQ(LeadingNumber("&H80000012"), -2147483630);
    EXPECT_EQ(LeadingNumber("&HFFFFFFFF"), -1);
    EXPECT_EQ(LeadingNumber("&O37777777777"), -1);
    EXPECT_EQ(LeadingNumber("&H1FFFFFFFF"), 8589934591.0);
    EXPECT_EQ(LeadingNumber("&H00000000FF"), 255);
}

TEST(LeadingNumberTest, ExtremesStayNumbers) {
    EXPECT_EQ(LeadingNumber("1E400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumber("-1E400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumber("1E-400"), 0);
    EXPECT_FALSE(std::signbit(LeadingNumber("-0")));
    EXPECT_EQ(LeadingNumber(std::string(100000, '9')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumber("1" + std::string(20000, '0') + "E-20000"), 1);
}

TEST(WholeNumberTest, AcceptsOnlyTextThatIsOneNumber) {
    EXPECT_EQ(WholeNumber(" 24 "), 24);
    EXPECT_EQ(WholeNumber("&HFF"), 255);
    EXPECT_EQ(WholeNumber("1."), 1);
    EXPECT_EQ(WholeNumber("+.5"), 0.5);
    EXPECT_EQ(WholeNumber("-2.5e1"), -25);
    for (const char* text : {"", " ", "10px", "1 0", ".", "1E", "&H", "inf", "nan", "1,5", "--1"}) {
        EXPECT_FALSE(WholeNumber(text).has_value()) << text;
    }
}

TEST(GeneralTextTest, ReadsBackThroughTheLeadingNumberRule) {
    for (const double value : {-1.0, 0.5, 18.6915, 1e15, 1e-5, -2147483633.0, 6.02214076e23}) {
        EXPECT_EQ(LeadingNumber(GeneralText(value)), value) << GeneralText(value);
    }
    EXPECT_EQ(static_cast<float>(LeadingNumber(GeneralText(82.26667f))), 82.26667f);
}

}  // namespace
}  // namespace orvane
