#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "log/modOrvane.h"

namespace orvane {
namespace {

struct Conversion {
    int code;
    int raw;
    double value;
    const char* text;
};

TEST(Catalogue, ConvertsAndFormatsTheKnownEdgeValues) {
    const Conversion cases[] = {
        {7, 0, 158, "158"},
        {7, 100, 33.25, "33.25"},
        {7, 255, -59, "-59"},
        {58, 0, 184, "184"},
        {58, 40, 76.5, "76.50"},
        {58, 255, -59, "-59"},
        {33, 100, 3125, "3125"},
        {33, 3, 93, "93"},
        {20, 180, 13.194, "13.19"},
        {6, 25, -250, "-250"},
        {18, 100, 164.2, "164.20"},
        {23, 255, 100, "100"},
        {23, 128, 12800.0 / 255, "50.20"},
        {22, 17, 17, "17"},
        {2, 77, 0, "0"},
        {99, 77, 0, "0"},
        {62, 200, 0, "0"},
        {255, 200, 0, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << " raw " << c.raw);
        const double v =
            ConvertValue(static_cast<std::uint8_t>(c.code), static_cast<std::uint8_t>(c.raw));
        EXPECT_NEAR(v, c.value, 1e-9);
        EXPECT_EQ(FormatValue(v), c.text);
    }
}

TEST(Catalogue, ComputesInDoublesExactlyAsTheFormulasSay) {
    // Products with the nearest double of each constant, not rescaled integers.
    EXPECT_EQ(ConvertValue(20, 180), 180 * 0.0733);
    EXPECT_EQ(ConvertValue(12, 7), 7 * 0.78);
    EXPECT_EQ(ConvertValue(18, 100), 100 * -1.5 + 314.2);
    // Division after the exact integer product.
    EXPECT_EQ(ConvertValue(29, 77), 7700.0 / 255);
    // Engine speed rounds down, never up.
    EXPECT_EQ(ConvertValue(33, 255), 7968);
    // Interpolation between the last two (equal) entries of the coolant table.
    EXPECT_EQ(ConvertValue(7, 250), 21 - 80);
}

TEST(Catalogue, TemperatureTablesNeverRiseAndHaveSeventeenEntries) {
    for (std::size_t i = 1; i < CoolantTempTable.size(); ++i) {
        EXPECT_LE(CoolantTempTable[i], CoolantTempTable[i - 1]);
        EXPECT_LE(AirTempTable[i], AirTempTable[i - 1]);
    }
    // Interpolation is monotonic over every raw byte, both tables.
    for (int raw = 1; raw < 256; ++raw) {
        EXPECT_LE(ConvertValue(7, static_cast<std::uint8_t>(raw)),
                  ConvertValue(7, static_cast<std::uint8_t>(raw - 1)));
        EXPECT_LE(ConvertValue(58, static_cast<std::uint8_t>(raw)),
                  ConvertValue(58, static_cast<std::uint8_t>(raw - 1)));
    }
}

TEST(Catalogue, NamesAndUnits) {
    EXPECT_EQ(SensorName(33), "Engine speed");
    EXPECT_EQ(SensorUnit(33), "rpm");
    EXPECT_EQ(SensorUnit(7), "c");
    EXPECT_EQ(SensorName(0), "Switch status2");
    EXPECT_EQ(SensorName(2), "Switch status");
    EXPECT_EQ(SensorName(255), "Inj duty cycle");
    EXPECT_EQ(SensorUnit(255), "");
    EXPECT_EQ(SensorName(15), "Oxygen Feedback Trim");
    for (const std::int16_t code : {-1, 1, 99, 256, 300, -32768, 32767}) {
        EXPECT_EQ(SensorName(code), "") << code;
        EXPECT_EQ(SensorUnit(code), "") << code;
    }
    EXPECT_FALSE(IsByteCode(-1));
    EXPECT_FALSE(IsByteCode(256));
    EXPECT_TRUE(IsByteCode(0));
    EXPECT_TRUE(IsByteCode(255));
}

TEST(Catalogue, SwitchBits) {
    EXPECT_FALSE(SwitchIsOn(SwitchKind::Idle, 0x00));
    EXPECT_FALSE(SwitchIsOn(SwitchKind::Power, 0x00));
    EXPECT_FALSE(SwitchIsOn(SwitchKind::Tdc, 0x00));
    EXPECT_TRUE(SwitchIsOn(SwitchKind::Ac, 0x00));
    EXPECT_TRUE(SwitchIsOn(SwitchKind::AcRelay, 0x00));
    EXPECT_TRUE(SwitchIsOn(SwitchKind::Idle, 0xFF));
    EXPECT_TRUE(SwitchIsOn(SwitchKind::Power, 0xFF));
    EXPECT_TRUE(SwitchIsOn(SwitchKind::Tdc, 0xFF));
    EXPECT_FALSE(SwitchIsOn(SwitchKind::Ac, 0xFF));
    EXPECT_FALSE(SwitchIsOn(SwitchKind::AcRelay, 0xFF));
    // Each signal reads its own bit only.
    EXPECT_TRUE(SwitchIsOn(SwitchKind::Idle, 0x80));
    EXPECT_TRUE(SwitchIsOn(SwitchKind::Power, 0x08));
    EXPECT_FALSE(SwitchIsOn(SwitchKind::Ac, 0x10));
    EXPECT_TRUE(SwitchIsOn(SwitchKind::Tdc, 0x04));
    EXPECT_FALSE(SwitchIsOn(SwitchKind::AcRelay, 0x20));
    EXPECT_FALSE(SwitchIsOn(SwitchKind::Idle, 0x7F));
    EXPECT_TRUE(SwitchIsOn(SwitchKind::AcRelay, 0xDF));
}

TEST(FormatValue, WholeNumbersArePlainDigits) {
    EXPECT_EQ(FormatValue(0), "0");
    EXPECT_EQ(FormatValue(-0.0), "0");
    EXPECT_EQ(FormatValue(850), "850");
    EXPECT_EQ(FormatValue(-2550), "-2550");
    EXPECT_EQ(FormatValue(1e15), "1000000000000000");
}

TEST(FormatValue, FractionsHaveTwoDecimalsRoundedHalfAwayAfterFifteenDigits) {
    EXPECT_EQ(FormatValue(0.5), "0.50");
    EXPECT_EQ(FormatValue(-0.8), "-0.80");
    EXPECT_EQ(FormatValue(2.675), "2.68");  // the double lies just below 2.675
    EXPECT_EQ(FormatValue(-2.675), "-2.68");
    EXPECT_EQ(FormatValue(1.005), "1.01");
    EXPECT_EQ(FormatValue(0.125), "0.13");
    EXPECT_EQ(FormatValue(0.124999), "0.12");
    EXPECT_EQ(FormatValue(0.005), "0.01");
    EXPECT_EQ(FormatValue(0.0049), "0.00");
    EXPECT_EQ(FormatValue(0.0001), "0.00");
    EXPECT_EQ(FormatValue(9.995), "10.00");
    EXPECT_EQ(FormatValue(99.999), "100.00");
    EXPECT_EQ(FormatValue(-0.0625), "-0.06");
    EXPECT_EQ(FormatValue(123456.785), "123456.79");
    EXPECT_EQ(FormatValue(0.1 + 0.2), "0.30");
}

TEST(FormatValue, IgnoresTheLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    EXPECT_EQ(FormatValue(13.194), "13.19");
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(FormatValue, EveryCatalogueValueRoundTripsThroughItsText) {
    // The text never differs from the value by more than half a hundredth.
    for (int code = 0; code < 256; ++code) {
        for (int raw = 0; raw < 256; ++raw) {
            const double v =
                ConvertValue(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(raw));
            const std::string text = FormatValue(v);
            ASSERT_LE(std::fabs(std::stod(text) - v), 0.005 + 1e-9)
                << code << " " << raw << " " << text;
        }
    }
}

}  // namespace
}  // namespace orvane
