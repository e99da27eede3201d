#include <gtest/gtest.h>

#include "PlantedLog.h"
#include "analysis/TimeLookup.h"

namespace orvane {
namespace {

using testing::PlantedLog;

constexpr int At(int h, int m, int s) {
    return h * 3600 + m * 60 + s;
}

TEST(TimeLookup, FindsSamplesByTimeOfDayAcrossMidnight) {
    // Starts 10:00:00; samples 20 minutes apart run to 10:00 the next day, then one more
    // sample with a counter that jumped back to 10:20.
    PlantedLog log({33});
    for (int i = 0; i <= 72; ++i) log.records.push_back({i * 1'200'000, {}});
    log.records.push_back({1'200'000, {}});
    const LogFile& file = log.Open();
    std::string error;
    const auto find = [&](int second, TimeMatch match) {
        return FindSampleAtTime(file, second, match, error);
    };
    EXPECT_EQ(find(At(10, 0, 0), TimeMatch::FirstAtOrAfter), 1);
    EXPECT_EQ(find(At(10, 10, 0), TimeMatch::FirstAtOrAfter), 2);
    EXPECT_EQ(find(At(10, 10, 0), TimeMatch::LastAtOrBefore), 1);
    // 00:10 is the one after midnight: 14 hours 10 minutes after the start.
    EXPECT_EQ(find(At(0, 10, 0), TimeMatch::FirstAtOrAfter), 44);
    EXPECT_EQ(find(At(0, 10, 0), TimeMatch::LastAtOrBefore), 74);  // the jump back counts
    EXPECT_EQ(find(At(9, 59, 59), TimeMatch::FirstAtOrAfter), 73);
}

TEST(TimeLookup, TimesAfterTheLogOrBeforeItsFirstSampleAreErrors) {
    PlantedLog log({33});
    for (int i = 0; i < 10; ++i) log.records.push_back({5000 + i * 1000, {}});
    const LogFile& file = log.Open();
    std::string error;
    EXPECT_EQ(FindSampleAtTime(file, At(10, 0, 9), TimeMatch::LastAtOrBefore, error), 5);
    EXPECT_FALSE(FindSampleAtTime(file, At(10, 0, 15), TimeMatch::FirstAtOrAfter, error));
    EXPECT_EQ(error, "10:00:15 is after the log's last sample (10:00:14)");
    EXPECT_FALSE(FindSampleAtTime(file, At(10, 0, 2), TimeMatch::LastAtOrBefore, error));
    EXPECT_EQ(error, "no sample of the log is at or before 10:00:02");
    // 09:59:59 is taken the next day, after the log.
    EXPECT_FALSE(FindSampleAtTime(file, At(9, 59, 59), TimeMatch::FirstAtOrAfter, error));
}

}  // namespace
}  // namespace orvane
