#include "settings/ValueConversion.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <functional>
#include <limits>

#include "common/RuntimeError.h"

namespace orvane {
namespace {

int ErrorOf(const std::function<void()>& convert) {
    try {
        convert();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

TEST(ValueConversionTest, IntegerTargetsRoundHalvesToEven) {
    EXPECT_EQ(ToInt16(2.5), 2);
    EXPECT_EQ(ToInt16(-2.5), -2);
    EXPECT_EQ(ToInt32(3.5), 4);
    EXPECT_EQ(ToInt32(0.5), 0);
}

TEST(ValueConversionTest, IntegerTargetsOverflowAfterRounding) {
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_EQ(ToInt16(-32768.5), -32768);
    EXPECT_EQ(ErrorOf([] { ToInt16(32767.5); }), ErrorNumber::Overflow);
    EXPECT_EQ(ErrorOf([] { ToInt16(-32769); }), ErrorNumber::Overflow);
    EXPECT_EQ(ErrorOf([] { ToInt16(40000); }), ErrorNumber::Overflow);
    EXPECT_EQ(ToInt32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ErrorOf([] { ToInt32(2147483647.5); }), ErrorNumber::Overflow);
    EXPECT_EQ(ErrorOf([] { ToInt32(4294967295.0); }), ErrorNumber::Overflow);
    EXPECT_EQ(ErrorOf([] { ToInt32(std::numeric_limits<double>::infinity()); }),
              ErrorNumber::Overflow);
}

TEST(ValueConversionTest, SingleOverflowsOnlyWhereRoundingGivesInfinity) {
    EXPECT_EQ(ToSingle(DBL_MIN), 0.0f);
    EXPECT_EQ(ToSingle(FLT_MAX), FLT_MAX);
    EXPECT_EQ(ToSingle(0x1.fffffefffffffp127), FLT_MAX);
    EXPECT_EQ(ErrorOf([] { ToSingle(0x1.ffffffp127); }), ErrorNumber::Overflow);
    EXPECT_EQ(ErrorOf([] { ToSingle(-1e39); }), ErrorNumber::Overflow);
    EXPECT_EQ(ToSingle(82.26667), 82.26667f);
}

TEST(ValueConversionTest, ColoursKeepTheirBits) {
    const meter::Colour buttonText = ToColour(-2147483630);
    EXPECT_TRUE(buttonText.IsSystem());
    EXPECT_EQ(buttonText.SystemIndex(), 18);
    EXPECT_EQ(ToColour(65535), meter::Colour::Rgb(255, 255, 0));
}

TEST(ValueConversionTest, FlagIsExactlyTrue) {
    EXPECT_TRUE(FlagValue("True"));
    for (const char* text : {"true", "TRUE", "1", "", "True "}) EXPECT_FALSE(FlagValue(text));
}

TEST(ValueConversionTest, BooleanTextTakesWordsInAnyCaseOrNumbers) {
    EXPECT_TRUE(BooleanTextValue("true"));
    EXPECT_TRUE(BooleanTextValue("TRUE"));
    EXPECT_FALSE(BooleanTextValue("fAlSe"));
    EXPECT_TRUE(BooleanTextValue("1"));
    EXPECT_TRUE(BooleanTextValue("-1"));
    EXPECT_TRUE(BooleanTextValue("0.5"));
    EXPECT_FALSE(BooleanTextValue("0"));
    EXPECT_TRUE(BooleanTextValue("&HFF"));
    for (const char* text : {"yes", "", "1px", "Tru", "on"}) {
        EXPECT_EQ(ErrorOf([text] { BooleanTextValue(text); }), ErrorNumber::TypeMismatch) << text;
    }
    EXPECT_EQ(ErrorOf([] { BooleanTextValue("1E400"); }), ErrorNumber::Overflow);
}

TEST(ValueConversionTest, StrictNumberMustBeWhollyANumber) {
    EXPECT_EQ(StrictNumberValue("10"), 10.0f);
    EXPECT_EQ(StrictNumberValue(" 24 "), 24.0f);
    EXPECT_EQ(StrictNumberValue("-1.5"), -1.5f);
    for (const char* text : {"10px", "", "1 0", "ten"}) {
        EXPECT_EQ(ErrorOf([text] { StrictNumberValue(text); }), ErrorNumber::TypeMismatch) << text;
    }
    EXPECT_EQ(ErrorOf([] { StrictNumberValue("1e39"); }), ErrorNumber::Overflow);
}

}  // namespace
}  // namespace orvane
