#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "log/DateTime.h"
#include "log/LogFormat.h"

namespace orvane {
namespace {

std::string Text(const DateTime& t) {
    char date[8], time[8];
    t.FormatDate(date);
    t.FormatTime(time);
    return std::to_string(t.Year()) + " " + std::string(date, 8) + " " + std::string(time, 8);
}

DateTime FromOle(double d) {
    const auto t = DateTime::FromOleDate(d);
    EXPECT_TRUE(t.has_value()) << d;
    return t.value_or(DateTime());
}

TEST(OleDate, DayZeroAndFractions) {
    EXPECT_EQ(Text(FromOle(0)), "1899 99/12/30 00:00:00");
    EXPECT_EQ(Text(FromOle(1.5)), "1899 99/12/31 12:00:00");
    EXPECT_EQ(Text(FromOle(2)), "1900 00/01/01 00:00:00");
    EXPECT_EQ(Text(FromOle(40000.25)), "2009 09/07/06 06:00:00");
}

TEST(OleDate, NegativeDatesCountTheFractionForwardFromMidnight) {
    EXPECT_EQ(Text(FromOle(-1.25)), "1899 99/12/29 06:00:00");
    EXPECT_EQ(Text(FromOle(-0.25)), "1899 99/12/30 06:00:00");
    EXPECT_EQ(Text(FromOle(-1)), "1899 99/12/29 00:00:00");
    // Round trip through the writer's direction.
    EXPECT_DOUBLE_EQ(DateTime::FromCivil(1899, 12, 29, 6).ToOleDate(), -1.25);
}

TEST(OleDate, ValidRangeIsYear100ToYear9999) {
    EXPECT_EQ(Text(FromOle(-657434)), "100 00/01/01 00:00:00");
    EXPECT_EQ(Text(FromOle(-657434.5)), "100 00/01/01 12:00:00");
    EXPECT_EQ(Text(FromOle(2958465)), "9999 99/12/31 00:00:00");
    EXPECT_EQ(Text(FromOle(2958465.5)), "9999 99/12/31 12:00:00");
    for (const double bad :
         {-657435.0, -657435.5, 2958466.0, 2958467.0, 1e300, -1e300,
          std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_FALSE(DateTime::FromOleDate(bad).has_value()) << bad;
    }
}

TEST(OleDate, FractionsOfASecondRoundToTheNearestSecond) {
    const double second = 1.0 / 86400;
    EXPECT_EQ(Text(FromOle(1 + 10.4 * second)), "1899 99/12/31 00:00:10");
    EXPECT_EQ(Text(FromOle(1 + 10.6 * second)), "1899 99/12/31 00:00:11");
    // Just before midnight rounds into the next day.
    EXPECT_EQ(Text(FromOle(1 + 86399.7 * second)), "1900 00/01/01 00:00:00");
    EXPECT_EQ(Text(FromOle(-1.99999999)), "1899 99/12/30 00:00:00");
}

TEST(SampleTime, CarriesIntoMinutesHoursDaysMonthsAndYears) {
    const DateTime start = DateTime::FromCivil(2009, 6, 15, 23, 59, 30);
    EXPECT_EQ(Text(SampleTime(start, 61234)), "2009 09/06/16 00:00:31");
    EXPECT_EQ(MillisPart(61234), 234);
    EXPECT_EQ(Text(SampleTime(DateTime::FromCivil(2026, 12, 31, 23, 59, 59), 1000)),
              "2027 27/01/01 00:00:00");
    EXPECT_EQ(Text(SampleTime(DateTime::FromCivil(2024, 2, 28, 23, 59, 59), 1999)),
              "2024 24/02/29 00:00:00");
    EXPECT_EQ(Text(SampleTime(DateTime::FromCivil(2026, 12, 5, 10), 61234)),
              "2026 26/12/05 10:01:01");
    // The largest counter is almost 25 days.
    EXPECT_EQ(
        Text(SampleTime(DateTime::FromCivil(2026, 1, 1), std::numeric_limits<std::int32_t>::max())),
        "2026 26/01/25 20:31:23");
}

TEST(SampleTime, NegativeCountersRoundTheSecondsDownAndKeepTheirSignInTheMilliseconds) {
    const DateTime start = DateTime::FromCivil(2026, 1, 1);
    EXPECT_EQ(Text(SampleTime(start, -1)), "2025 25/12/31 23:59:59");
    EXPECT_EQ(MillisPart(-1), -1);
    EXPECT_EQ(Text(SampleTime(start, -1000)), "2025 25/12/31 23:59:59");
    EXPECT_EQ(Text(SampleTime(start, -1001)), "2025 25/12/31 23:59:58");
    EXPECT_EQ(MillisPart(-1001), -1);
    EXPECT_EQ(Text(SampleTime(start, std::numeric_limits<std::int32_t>::min())),
              "2025 25/12/07 03:28:36");
    EXPECT_EQ(MillisPart(std::numeric_limits<std::int32_t>::min()), -648);
}

TEST(SampleTime, MillisPartAndWholeSeconds) {
    EXPECT_EQ(MillisPart(1005), 5);
    EXPECT_EQ(WholeSeconds(1005), 1);
    EXPECT_EQ(MillisPart(999), 999);
    EXPECT_EQ(WholeSeconds(999), 0);
    EXPECT_EQ(WholeSeconds(-999), -1);
}

}  // namespace
}  // namespace orvane
