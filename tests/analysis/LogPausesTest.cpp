#include <gtest/gtest.h>

#include <map>
#include <stop_token>

#include "PlantedLog.h"
#include "analysis/LogPauses.h"

namespace orvane {
namespace {

using testing::PlantedLog;

// 9000 samples 100 ms apart but for the gaps after the samples named, from a counter
// near the bottom of the 32-bit range.
PlantedLog& Planted(PlantedLog& log, const std::map<int, std::int64_t>& gaps) {
    std::int64_t millis = -2'000'000'000;
    for (int sample = 1; sample <= 9000; ++sample) {
        log.records.push_back({static_cast<std::int32_t>(millis), {}});
        const auto gap = gaps.find(sample);
        millis += gap == gaps.end() ? 100 : gap->second;
    }
    log.Open();
    return log;
}

std::vector<std::pair<std::int64_t, std::int64_t>> Pauses(const LogFile& file, SampleRange range) {
    std::string error;
    const auto pauses = FindPauses(file, range, {}, error);
    EXPECT_TRUE(pauses) << error;
    std::vector<std::pair<std::int64_t, std::int64_t>> found;
    for (const LogPause& pause : pauses.value_or(std::vector<LogPause>{})) {
        EXPECT_EQ(pause.After(), pause.Before + 1);
        found.emplace_back(pause.Before, pause.Millis());
    }
    return found;
}

TEST(LogPauses, GapsOfFiveSecondsOrMoreInsideTheRangeAndNothingShorterOrBackwards) {
    // 4999 ms is no pause, 5000 ms is; a counter that jumps back makes none; a jump of
    // four thousand million milliseconds does not overflow; sample 8192 ends the first
    // chunk a scan reads.
    PlantedLog log({33});
    const LogFile& file = Planted(log, {{10, 4999},
                                        {20, 5000},
                                        {30, -60'000},
                                        {40, 3'999'000'000},
                                        {41, -3'999'000'000},
                                        {8192, 653'000}})
                              .file;
    using Found = std::vector<std::pair<std::int64_t, std::int64_t>>;
    EXPECT_EQ(Pauses(file, SampleRange::Whole(9000)),
              (Found{{20, 5000}, {40, 3'999'000'000}, {8192, 653'000}}));
    // Only pauses between two samples of the range count.
    EXPECT_EQ(Pauses(file, {21, 8192}), (Found{{40, 3'999'000'000}}));
    EXPECT_EQ(Pauses(file, {20, 21}), (Found{{20, 5000}}));
    EXPECT_EQ(Pauses(file, {8192, 8193}), (Found{{8192, 653'000}}));
    EXPECT_EQ(Pauses(file, {8193, 8193}), Found{});
    std::string error;
    const auto first = FindPauses(file, {1, 30}, {}, error);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->front().BeforeMillis, log.records[19].Millis);
    EXPECT_EQ(first->front().AfterMillis, log.records[20].Millis);
}

TEST(LogPauses, RefusesRangesOutsideTheLogAndStopsWhenAsked) {
    PlantedLog log({33});
    const LogFile& file = Planted(log, {}).file;
    std::string error;
    EXPECT_FALSE(FindPauses(file, {5, 4}, {}, error));
    EXPECT_EQ(error, "the range 5 to 4 is empty");
    EXPECT_FALSE(FindPauses(file, {1, 9001}, {}, error));
    EXPECT_EQ(error, "sample 9001 is beyond the end of the log (samples 1 to 9000)");
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(FindPauses(file, {1, 9000}, stop.get_token(), error));
    EXPECT_EQ(error, "cancelled");
    // The log's read position stays where playback left it.
    log.file.SeekRecord(3);
    ASSERT_TRUE(FindPauses(file, {1, 9000}, {}, error));
    EXPECT_EQ(log.file.ReadRecord()->Millis, log.records[2].Millis);
}

}  // namespace
}  // namespace orvane
